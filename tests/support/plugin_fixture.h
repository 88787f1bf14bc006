#pragma once
// A test fixture for the automation object and attach: fresh process-wide
// state, a LonWorks tree whose language file names the LonMark objects, the
// fake Object Server holding the "Demo" network, and fake windows.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <memory>

#include "host/ldrf.h"
#include "host/mmain.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "tests/support/fake_lns.h"
#include "tests/support/fake_windows.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"

namespace testing_support {

class PlugInFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    MMain = MMainState{};
    ldrf::setFactory(&ldrf_);
    lonworks_ = env_.makeLonWorksTree();
    WriteLanguageFile("9=Internal Modem\n10=External Modem #1\n7=External Modem #2\n8=Directory\n96=Directory #1\n");
    windows_ = std::make_unique<FakeWindows>(lns_.server);
  }
  void TearDown() override {
    windows_.reset();
    ldrf::setFactory(nullptr);
    SetShutdownProcedure(nullptr);
    MMain = MMainState{};
  }

  // Replaces the entries of the installed language file.
  void WriteLanguageFile(const QByteArray& entries) {
    QDir().mkpath(lonworks_ + QStringLiteral("/Types/User/Zev"));
    QFile f(lonworks_ + QStringLiteral("/Types/User/Zev/Zev.enu"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("LDRF-LANGUAGE 1\n" + entries + "END\n");
  }

  // The state an opened "Demo" network leaves behind.
  void OpenDemoDirectly() {
    auto network = lns_.server->networks->items.first();
    MMain.ObjectServer = lns_.server;
    MMain.CurrentNetwork = network;
    MMain.CurrentSystem = network->Systems()->Item(1);
    MMain.CurrentNetworkName = QStringLiteral("Demo");
    MMain.NetworkOpenedByPlugIn = true;
    MMain.ServerOpenedByPlugIn = true;
    lns_.log->calls.clear();
  }

  FakeWindow* window(WindowId id) { return windows_->get(id); }
  FakeWindow* existing(WindowId id) { return windows_->existing(id); }

  TestEnv env_;
  lonworks::LdrfStandInFactory ldrf_;
  FakeLns lns_ = FakeLns::Demo();
  std::unique_ptr<FakeWindows> windows_;
  QString lonworks_;
};

}  // namespace testing_support
