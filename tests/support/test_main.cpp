// main() of every test program: an offscreen QApplication, the scripted UI
// services, and a fresh registry root for each test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "scripted_ui.h"

namespace testing_support {

ScriptedUi& scriptedUi() {
  static ScriptedUi ui;
  return ui;
}

namespace {
// Each test starts from the scripted UI's first state and a registry root of
// its own (an empty registry, so no LonWorks tree either): nothing of the
// caller's environment (say an RLX_REGISTRY_ROOT holding the demo network)
// or of the previous test reaches it.
class FreshStart : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    scriptedUi().clear();
    registry_ = std::make_unique<QTemporaryDir>();
    qputenv("RLX_REGISTRY_ROOT", (registry_->path() + QStringLiteral("/registry")).toUtf8());
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    qunsetenv("RLX_REGISTRY_ROOT");
    registry_.reset();
  }
  std::unique_ptr<QTemporaryDir> registry_;
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
  ::testing::UnitTest::GetInstance()->listeners().Append(new testing_support::FreshStart);
  return RUN_ALL_TESTS();
}
