// main() of every test program: an offscreen QApplication, the scripted UI
// services, and a fresh registry root for each test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "scripted_ui.h"

namespace testing_support {

ScriptedUi& scriptedUi() {
  static ScriptedUi ui;
  return ui;
}

namespace {
class ResetUi : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { scriptedUi().clear(); }
};
}  // namespace

}  // namespace testing_support

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    static QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  }
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("RLX_Plug"));
  platform::setUi(&testing_support::scriptedUi());
  ::testing::UnitTest::GetInstance()->listeners().Append(new testing_support::ResetUi);
  return RUN_ALL_TESTS();
}
