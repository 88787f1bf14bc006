// The open sequences of both main windows with one of their steps faulted:
// the step's request alone meets a silent device or a failing data server
// while the rest of the device answers. Each step reports as its Part says and
// the open goes on; with the data server asking to be reset first, the open's
// first message meets the reset and the open completes as usual.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "tests/faults/fault_matrix.h"

namespace fault_testing {
namespace {

fMain* Main(MatrixFixture& fx) { return fx.main(); }
fMainExplicit* W(MatrixFixture& fx) { return fx.explicitWindow(); }

void OpenInternalModem(MatrixFixture& fx) {
  fx.main()->show();
  fx.configureObject(MMain.InternalModemObjectName);
}

void OpenExplicit(MatrixFixture& fx) {
  W(fx)->show();
  fx.configureExplicitDevice();
}

// fMain on the internal modem, ready, its status display running.
void ExpectReady(MatrixFixture& fx) {
  fMain* w = Main(fx);
  EXPECT_EQ(FaultFixture::menus(w), "1111111");
  EXPECT_EQ(FaultFixture::dialControls(w), "111");
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(w->Timer1->isActive());
  EXPECT_FALSE(MMain.DialControlsDisabled);
}

// The modem's status could not be checked: the firmware is shown, nothing else changes.
void ExpectStatusUnchecked(MatrixFixture& fx) {
  fMain* w = Main(fx);
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.20");
  EXPECT_EQ(w->LabelMessage->text(), "");
  EXPECT_EQ(w->LabelConnectStatus->text(), "");
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_FALSE(MMain.DialControlsDisabled);
}

std::vector<Operation> Operations() {
  std::vector<Operation> ops;
  auto add = [&ops](const char* name, bool explicitFamily, const char* request) -> Operation& {
    Operation& op = ops.emplace_back();
    op.name = name;
    op.explicitFamily = explicitFamily;
    op.request = QString::fromLatin1(request);
    op.act = explicitFamily ? OpenExplicit : OpenInternalModem;
    op.mayChange = [](DeviceFault) { return QStringList{"ZevPhoneBook*", "ZevExplicit*"}; };
    return op;
  };

  // --- fMain on the internal modem ---------------------------------------------------------
  {
    // The first message of the open: its reply is not used.
    Operation& op = add("LonMarkRingStatusStart", false, "00 01 55 00 03");
    op.silent = op.failing = op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault) { ExpectReady(fx); };
  }
  {
    // Without the modem setting the window cannot tell which selector the
    // object's modem has: it says so as for a failed status check, rather
    // than asking another modem in its place.
    Operation& op = add("LonMarkModemSetting", false, "00 01 73 02");
    op.prepare = [](MatrixFixture& fx) { fx.net->setModem(fx.lonMark(), 1, rlxsim::Presence::NotReady); };
    op.silent = op.failing = {{{"Failed to Check Internal Modem status due to data server error '%1'.", "Error!"}},
                              {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      if (f == DeviceFault::ResetFirst)
        return ExpectReady(fx);
      ExpectStatusUnchecked(fx);
      EXPECT_FALSE(fx.net->sent(fx.lonMark()).contains("00 01 53 02"));
    };
  }
  {
    Operation& op = add("LonMarkModemStatus", false, "00 01 53 00");
    op.silent = op.failing = {{{"Failed to Check Internal Modem status due to data server error '%1'.", "Error!"}},
                              {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      if (f == DeviceFault::ResetFirst)
        return ExpectReady(fx);
      ExpectStatusUnchecked(fx);
    };
  }
  {
    // Showing the internal modem resets its input audio; a failure is
    // reported and the modem is shown all the same.
    Operation& op = add("LonMarkInputAudioReset", false, "00 01 34 00 00");
    op.silent = op.failing = {{{"Failed to Set Input Audio due to data server error '%1'.", "Error!"}}, {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault) {
      ExpectReady(fx);
      EXPECT_FALSE(Main(fx)->SubMenuInputAudio->isChecked());
    };
  }

  // --- fMainExplicit, the device seen for the first time -----------------------------------------
  auto expectOpened = [](MatrixFixture& fx) {
    EXPECT_EQ(W(fx)->LabelProduct->text(), "RLX Firmware: RLX Explicit 2.10");
    EXPECT_TRUE(W(fx)->Timer2->isActive());
    EXPECT_FALSE(MMain.DeviceOffline);
  };
  {
    Operation& op = add("ExplicitRingStatusStart", true, "00 01 55 00 03");
    op.silent = op.failing = op.reset = {{}, {"fProgress"}};
    op.check = [expectOpened](MatrixFixture& fx, DeviceFault) {
      expectOpened(fx);
      EXPECT_EQ(W(fx)->ComboModem->currentText(), MMain.InternalModemObjectName);
    };
  }
  {
    // Each modem's auto answer is set on its own: the next is still sent.
    Operation& op = add("ExplicitAutoAnswerSetUp", true, "00 01 65 02 01");
    op.silent = op.failing = {{{"Failed to set External Modem 1 Auto Answer due to data server error '%1'.", "Error!"}},
                              {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [expectOpened](MatrixFixture& fx, DeviceFault) {
      expectOpened(fx);
      EXPECT_EQ(fx.autoAnswerRecord(), "111");
      EXPECT_TRUE(fx.net->sent(fx.explicitRlx()).contains("00 01 65 03 01"));
    };
  }
  {
    Operation& op = add("ExplicitRingModeProbe", true, "00 01 72 00 02");
    op.silent = op.failing = {
        {{"Failed to determine if RLX supports Ring Mode due to data server error '%1'.", "Error!"}}, {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [expectOpened](MatrixFixture& fx, DeviceFault f) {
      expectOpened(fx);
      EXPECT_EQ(W(fx)->SubMenuRingMode->isEnabled(), f == DeviceFault::ResetFirst);
    };
  }
  {
    Operation& op = add("ExplicitPhonebookProbe", true, "00 01 66 00 02 00");
    op.silent = op.failing = {{{"Failed to determine RLX supports Phonebook functions due to data server error "
                                "'%1'. Phonebook will not be created.",
                                "Error!"}},
                              {}};
    op.reset = {{}, {"fProgress"}};
    op.check = [expectOpened](MatrixFixture& fx, DeviceFault f) {
      expectOpened(fx);
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(W(fx)->MenuPhoneBook->isEnabled(), works);
      EXPECT_EQ(W(fx)->SubMenuDialMode->isEnabled(), works);
      // No phonebook records are made for a device whose phonebook is unknown.
      EXPECT_EQ(RecordsOf(fx.explicitRlx()).contains("ZevExplicitPhonebook0"), works);
    };
  }
  {
    // The first entry cannot be read: the download stops, the copy is marked.
    Operation& op = add("ExplicitFirstDownload", true, "00 01 66 00 02 0");
    op.prepare = [](MatrixFixture& fx) {
      fx.net->change(fx.explicitRlx(), [](rlxsim::DeviceState& s) { s.phonebook[7] = QStringLiteral("5550007"); });
    };
    op.silent = op.failing = {{{"Failed to download Phonebook entries due to data server error '%1'.", "Error!"}},
                              {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [expectOpened](MatrixFixture& fx, DeviceFault f) {
      expectOpened(fx);
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_TRUE(W(fx)->MenuPhoneBook->isEnabled());
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitPhonebook7", 1), works ? "5550007" : "");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitResync", 1), works ? "" : "1");
      EXPECT_EQ(fx.net->state(fx.explicitRlx()).phonebook[7], "5550007");  // the device keeps it
    };
  }
  {
    // The search for a ready modem goes on past the failure.
    Operation& op = add("ExplicitModemSearch", true, "00 01 53 00");
    op.silent = op.failing = {{{"Failed to Check Internal Modem status due to data server error '%1'.", "Error!"}},
                              {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [expectOpened](MatrixFixture& fx, DeviceFault f) {
      expectOpened(fx);
      EXPECT_EQ(W(fx)->ComboModem->currentText(),
                f == DeviceFault::ResetFirst ? MMain.InternalModemObjectName : MMain.ExternalModem1ObjectName);
      EXPECT_EQ(FaultFixture::dialControls(W(fx)), "111");
    };
  }
  return ops;
}

const std::vector<Operation>& Table() {
  static const std::vector<Operation> ops = Operations();
  return ops;
}

class OpenStepFaults : public MatrixFixture {};

TEST_P(OpenStepFaults, ReportsAndGoesOn) { run(); }

INSTANTIATE_TEST_SUITE_P(Matrix, OpenStepFaults, ::testing::ValuesIn(Cross(Table())), MatrixName);

}  // namespace
}  // namespace fault_testing
