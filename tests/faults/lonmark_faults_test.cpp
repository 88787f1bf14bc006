// Every device operation of fMain (LonMark family) with the device silent,
// the data server failing and the data server asking to be reset first.
// Explicit messages meet all three faults; the network variables and
// configuration properties go through the Object Server and only a silent
// device makes them fail.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_grid.h"
#include "ring_stats/fconnstatistics.h"
#include "tests/faults/fault_matrix.h"
#include "windows/fdialondemand.h"
#include "windows/fperpetual.h"

namespace fault_testing {
namespace {

const QString kManual = QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0");
const QString kNoAnswer = QStringLiteral("Routers/RLX-LonMark does not answer");
// The Connection Error window's label shows the prompt's carriage returns as line breaks.
const QString kPrompt =
    QStringLiteral("No response from RLX-LonMark.\nMake sure the device is connected before proceeding.\nRetry?");

fMain* Main(MatrixFixture& fx) { return fx.main(); }
rlxsim::DeviceState State(MatrixFixture& fx) { return fx.net->state(fx.lonMark()); }
bool Works(DeviceFault f) { return f != DeviceFault::Silent; }  // for what goes through the Object Server

// The window on the internal modem with entry 3 ("Depot") in its phonebook.
void OpenWithPhonebook(MatrixFixture& fx) {
  fx.openLonMark();
  fx.lonMarkEntry(3, QStringLiteral("5550003"), QStringLiteral("Depot"));
}

void Choose(QComboBox* combo, const QString& line) {
  const int index = combo->findText(line);
  ASSERT_GE(index, 0) << line.toStdString();
  combo->setCurrentIndex(index);
}

// The open sequence ends in the no-answer row: firmware not available, the red
// line, only what works without the device offered.
void ExpectNoAnswer(MatrixFixture& fx, const QString& menus, const QString& connectStatus) {
  fMain* w = Main(fx);
  EXPECT_EQ(fx.prompts, QStringList{kPrompt});
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: <not available>");
  EXPECT_EQ(w->LabelMessage->text(), "No response from RLX-LonMark");
  EXPECT_EQ(DeviceWindow::LabelColour(w->LabelMessage), kColourRed);
  EXPECT_EQ(FaultFixture::menus(w), menus);
  EXPECT_EQ(FaultFixture::dialControls(w), "000");
  EXPECT_EQ(w->LabelConnectStatus->text(), connectStatus);
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_FALSE(MMain.AttachAbandoned);
}

void ExpectReady(MatrixFixture& fx, const QString& menus) {
  fMain* w = Main(fx);
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.20");
  EXPECT_EQ(FaultFixture::menus(w), menus);
  EXPECT_EQ(FaultFixture::dialControls(w), "111");
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(w->Timer1->isActive());
  EXPECT_FALSE(MMain.DialControlsDisabled);
}

// Runs `inside` on the modal dialog of that name when the window shows it.
void OnModal(const char* name, std::function<void(QDialog*)> inside) {
  scriptedUi().onModal([name, inside](QDialog* d) {
    if (d->objectName() == QLatin1String(name))
      inside(d);
    return 0;
  });
}

std::vector<Operation> Operations() {
  std::vector<Operation> ops;
  auto add = [&ops](const char* name) -> Operation& {
    Operation& op = ops.emplace_back();
    op.name = name;
    return op;
  };

  // --- the open sequences ------------------------------------------------------------
  {
    Operation& op = add("OpenOnInternalModem");
    op.act = [](MatrixFixture& fx) {
      fx.main()->show();
      fx.answerConnectionError({"bNo"});
      fx.configureObject(MMain.InternalModemObjectName);
    };
    op.silent = {{}, {"fProgress", "fConnectionError"}};
    // nvoProductName goes through the Object Server and is read; the modem
    // setting, a message, is not: the modem's status cannot be checked.
    op.failing = {{{"Failed to Check Internal Modem status due to data server error '%1'.", "Error!"}}, {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      fMain* w = Main(fx);
      if (f == DeviceFault::Silent)
        return ExpectNoAnswer(fx, "0010001", " ");  // auto answer waits for a known firmware
      if (f == DeviceFault::ResetFirst)
        return ExpectReady(fx, "1111111");
      // The status could not be checked: the firmware is shown, nothing else changes.
      EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.20");
      EXPECT_EQ(w->LabelMessage->text(), "");
      EXPECT_FALSE(w->Timer1->isActive());
      EXPECT_FALSE(MMain.DialControlsDisabled);
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevPhoneBook*"}; };
  }

  {
    Operation& op = add("OpenOnExternalModem1");
    op.act = [](MatrixFixture& fx) {
      fx.main()->show();
      fx.answerConnectionError({"bNo"});
      fx.configureObject(MMain.ExternalModem1ObjectName);
    };
    // Without an answer the external modem's row still resets input audio.
    op.silent = {{{"Failed to Set Input Audio due to data server error '%1'.", "Error!"}},
                 {"fProgress", "fConnectionError"}};
    op.failing = {{{"Failed to Check External Modem 1 status due to data server error '%1'.", "Error!"}},
                  {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      if (f == DeviceFault::Silent)
        return ExpectNoAnswer(fx, "0010001", " ");  // auto answer waits for a known firmware
      if (f == DeviceFault::ResetFirst)
        return ExpectReady(fx, "1110111");
      EXPECT_FALSE(Main(fx)->Timer1->isActive());
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevPhoneBook*"}; };
  }

  {
    Operation& op = add("OpenOnDevice");
    op.act = [](MatrixFixture& fx) {
      fx.main()->show();
      fx.answerConnectionError({"bNo"});
      fx.configureLonMarkDevice();
    };
    op.silent = {{}, {"fProgress", "fConnectionError"}};
    // Only the first message fails, and its reply is not used.
    op.failing = {{}, {"fProgress"}};
    op.reset = {{}, {"fProgress"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      fMain* w = Main(fx);
      if (f == DeviceFault::Silent)
        return ExpectNoAnswer(fx, "0010000", "");
      EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.20");
      EXPECT_EQ(FaultFixture::menus(w), "1110000");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevPhoneBook*"}; };
  }

  // --- the status display ------------------------------------------------------------
  // A call the device starts meanwhile: a tick that reads the status shows it.
  auto statusFollows = [](MatrixFixture& fx, DeviceFault f) {
    fMain* w = Main(fx);
    if (!Works(f)) {
      // No state that may be gone, the silence named, no box; no dialling.
      EXPECT_EQ(w->LabelConnectStatus->text(), "");
      EXPECT_EQ(w->LabelMessage->text(), "No response from RLX-LonMark");
      EXPECT_FALSE(w->CmdDial->isEnabled());
      return;
    }
    EXPECT_NE(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
    EXPECT_FALSE(w->CmdDial->isEnabled());
  };
  {
    Operation& op = add("StatusPoll");
    op.prepare = [](MatrixFixture& fx) {
      fx.openLonMark();
      fx.callOnDevice(fx.lonMark(), 0, QStringLiteral("123"));
    };
    op.act = [](MatrixFixture& fx) { Main(fx)->Timer1Tick(); };
    op.check = statusFollows;
  }
  {
    Operation& op = add("UpdateEvent");
    op.prepare = [](MatrixFixture& fx) {
      fx.openLonMark();
      fx.callOnDevice(fx.lonMark(), 0, QStringLiteral("123"));
      fx.net->advance(5000, false);  // talking by now
    };
    op.act = [](MatrixFixture& fx) { Main(fx)->OnUpdateEvent(1, QString(), nullptr); };
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      fMain* w = Main(fx);
      if (!Works(f)) {
        EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
        EXPECT_TRUE(w->CmdDial->isEnabled());
        return;
      }
      EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_TALKING");
      EXPECT_FALSE(w->CmdDial->isEnabled());
    };
  }

  // --- calls ----------------------------------------------------------------------------
  {
    Operation& op = add("DialTypedNumber");
    op.prepare = [](MatrixFixture& fx) {
      fx.openLonMark();
      Main(fx)->ComboPhone->setEditText(QStringLiteral("5551234"));
    };
    op.act = [](MatrixFixture& fx) { Main(fx)->CmdDial->click(); };
    // A failed variable write is not reported: the status display shows whether a call started.
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      fMain* w = Main(fx);
      EXPECT_FALSE(w->CmdDial->isEnabled());
      EXPECT_FALSE(w->ComboPhone->isEnabled());
      const rlxsim::Modem m = State(fx).modems[0];
      EXPECT_EQ(m.state != rlxsim::tel::kNotInUse, Works(f));
      EXPECT_EQ(m.number, Works(f) ? "5551234" : "");
      // Once the device answers again the status display gives the controls back.
      if (!Works(f)) {
        fx.removeFault();
        w->Timer1Tick();
        EXPECT_TRUE(w->CmdDial->isEnabled());
      }
    };
  }

  {
    Operation& op = add("DialPhonebookEntry");
    op.prepare = [](MatrixFixture& fx) {
      OpenWithPhonebook(fx);
      Choose(Main(fx)->ComboPhone, QStringLiteral("Depot"));
    };
    op.act = [](MatrixFixture& fx) { Main(fx)->CmdDial->click(); };
    // Finding the entry reads the dial strings: a silent device fails that
    // read, which is shown; nothing is dialled and Dial stays available.
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(Main(fx)->CmdDial->isEnabled(), !Works(f));
      const rlxsim::Modem m = State(fx).modems[0];
      EXPECT_EQ(m.number, Works(f) ? "5550003" : "");
      // The entry is recorded in the modem's dial mode only when it was dialled.
      EXPECT_EQ(m.dialMode, Works(f) ? "MANUAL,3,0,0,0,0,0,0,0,0,0" : kManual);
      EXPECT_EQ(FaultFixture::marks(Main(fx)), "100");
    };
  }

  {
    Operation& op = add("CallCancel");
    op.prepare = [](MatrixFixture& fx) {
      fx.openLonMark();
      fx.callOnDevice(fx.lonMark(), 0, QStringLiteral("123"));
      Main(fx)->ComboPhone->setEditText(QStringLiteral("123"));
    };
    op.act = [](MatrixFixture& fx) { Main(fx)->CmdCallCancel->click(); };
    // A silent router did not take the cancel: the operator is told.
    op.silent = {{{"Call Cancel was sent, but the RLX does not respond: the call may still be up.", "Notice"}}, {}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const int state = State(fx).modems[0].state;
      if (Works(f))
        EXPECT_TRUE(state == rlxsim::tel::kHangingUp || state == rlxsim::tel::kNotInUse) << state;
      else
        EXPECT_EQ(State(fx).modems[0].number, "123");      // the call goes on
      EXPECT_EQ(Main(fx)->ComboPhone->currentText(), "");  // manual mode
    };
  }

  // --- modem and device options ------------------------------------------------------------
  {
    Operation& op = add("AutoAnswer");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuAutoAnswer->trigger(); };
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {}};
    op.failing = {};
    op.reset = {};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(Main(fx)->SubMenuAutoAnswer->isChecked(), !Works(f));
      EXPECT_EQ(State(fx).modems[0].autoAnswer, !Works(f));
    };
  }

  {
    Operation& op = add("MuteInputAudio");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuInputAudio->trigger(); };
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool muted = f == DeviceFault::ResetFirst;
      EXPECT_EQ(Main(fx)->SubMenuInputAudio->isChecked(), muted);
      EXPECT_EQ(State(fx).inputMuted, muted);
    };
    Reports(op, {{"Failed to Set Input Audio due to data server error '%1'.", "Error!"}});
  }

  {
    Operation& op = add("PulseServicePin");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuPulse->trigger(); };
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).servicePinPulses, f == DeviceFault::ResetFirst ? 1 : 0);
    };
    Reports(op, {{"Failed to Pulse Router Service Pin due to data server error '%1'.", "Error!"}});
  }

  {
    Operation& op = add("SoftReboot");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuReboot->trigger(); };
    // The reboot's reply is not examined; a router that never comes back is
    // reported once the loop ends.
    op.silent = {{{"The RLX did not come back within 3 minutes of the Soft Reboot. Check the router, then open it "
                   "again.",
                   "Error!"}},
                 {}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      // Nothing reaches a device behind a failing data server.
      EXPECT_EQ(fx.net->sent(fx.lonMark()).count("00 01 14 00"), f == DeviceFault::DataServerFails ? 0 : 1);
      switch (f) {
        case DeviceFault::Silent:  // never back: every attempt is made
          EXPECT_EQ(State(fx).reboots, 0);
          EXPECT_EQ(fx.pacer->pauses, 1 + modem_options::kLonMarkRebootAttempts);
          break;
        case DeviceFault::DataServerFails:  // never went: the device answers at once
          EXPECT_EQ(State(fx).reboots, 0);
          EXPECT_EQ(fx.pacer->pauses, 1);
          break;
        case DeviceFault::ResetFirst:  // back after its restart
          EXPECT_EQ(State(fx).reboots, 1);
          EXPECT_GE(fx.pacer->pausedMs, State(fx).rebootMs);
          EXPECT_LT(fx.pacer->pauses, 1 + modem_options::kLonMarkRebootAttempts);
          break;
      }
    };
  }

  // --- dial modes -------------------------------------------------------------------------------
  {
    Operation& op = add("ManualMode");
    op.prepare = [](MatrixFixture& fx) {
      fx.net->change(fx.lonMark(), [](rlxsim::DeviceState& s) {
        s.modems[0].dialMode = QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0");
      });
      OpenWithPhonebook(fx);
      ASSERT_EQ(FaultFixture::marks(Main(fx)), "010");
    };
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuManual->trigger(); };
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {}};
    op.failing = {};
    op.reset = {};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(FaultFixture::marks(Main(fx)), Works(f) ? "100" : "010");
      EXPECT_EQ(State(fx).modems[0].dialMode, Works(f) ? kManual : "PERPETUAL,3,0,0,0,0,0,0,0,0,0");
    };
  }

  {
    Operation& op = add("PerpetualDial");
    op.prepare = OpenWithPhonebook;
    op.act = [](MatrixFixture& fx) {
      OnModal("fPerpetual", [&fx](QDialog* d) {
        auto* p = static_cast<fPerpetual*>(d);
        p->show();
        Choose(p->ComboPhonebook, QStringLiteral("Depot"));
        fx.inject();  // the list was read; the write meets the fault
        p->CmdDial->click();
        EXPECT_EQ(p->isVisible(), !Works(fx.fault())) << "the dialog stays open after a failure";
        p->hide();
      });
      Main(fx)->SubMenuLocalPerpetual->trigger();
    };
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {"fPerpetual"}};
    op.failing = {{}, {"fPerpetual"}};
    op.reset = {{}, {"fPerpetual"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      fMain* w = Main(fx);
      EXPECT_EQ(FaultFixture::marks(w), Works(f) ? "010" : "100");
      EXPECT_EQ(State(fx).modems[0].dialMode, Works(f) ? "PERPETUAL,3,0,0,0,0,0,0,0,0,0" : kManual);
      EXPECT_EQ(w->ComboPhone->currentText(), Works(f) ? "Dialing Depot in Perpetual Mode." : "");
      EXPECT_EQ(w->CmdDial->isEnabled(), !Works(f));
    };
    op.injectsItself = true;
  }

  {
    Operation& op = add("DialOnDemand");
    op.prepare = [](MatrixFixture& fx) {
      fx.net->change(fx.lonMark(),
                     [](rlxsim::DeviceState& s) { s.modems[0].dialMode = QStringLiteral("DOD,2,5,60,3,0,0,0,0,0,0"); });
      fx.openLonMark();
    };
    op.act = [](MatrixFixture& fx) {
      Main(fx)->MenuDialOnDemand->trigger();
      auto* d = Main(fx)->findChild<fDialOnDemand*>();
      ASSERT_NE(d, nullptr);
      // A silent device could not tell its settings: the first choices stay.
      EXPECT_EQ(d->Combo2->currentText(), Works(fx.fault()) ? "5" : "0");
      d->Combo1->setCurrentIndex(d->Combo1->findText("4"));
      d->CmdOk->click();
      EXPECT_EQ(d->isVisible(), !Works(fx.fault()));
      d->close();
    };
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {"fDialOnDemand"}};
    op.failing = {{}, {"fDialOnDemand"}};
    op.reset = {{}, {"fDialOnDemand"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).modems[0].dialMode, Works(f) ? "DOD,4,5,60,3,0,0,0,0,0,0" : "DOD,2,5,60,3,0,0,0,0,0,0");
      EXPECT_EQ(FaultFixture::marks(Main(fx)), "001");
    };
  }

  // --- statistics, ring mode ------------------------------------------------------------------
  auto withStatistics = [](MatrixFixture& fx) {
    fx.net->change(fx.lonMark(), [](rlxsim::DeviceState& s) {
      s.modems[0].stats.lastCause = 2;
      s.modems[0].stats.hangups[0] = 4;
      s.modems[0].stats.successes = 17;
    });
    fx.openLonMark();
  };
  {
    Operation& op = add("ReadStatistics");
    op.prepare = withStatistics;
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuStatistics->trigger(); };
    op.silent = {{{"Failed to download Connection Statistics due to a data server error '%1'.", "Error!"}}, {}};
    op.failing = {{{"Failed to download Connection Statistics due to a data server error '%1'.", "Error!"}}, {}};
    op.reset = {{}, {"fConnStatistics"}};
    op.check = [](MatrixFixture&, DeviceFault f) {
      if (f != DeviceFault::ResetFirst)
        return;
      fConnStatistics* s = ring_stats::LoadedStatisticsWindow();
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->LabelHangupValues[0]->text(), "Heartbeat Lost");
      EXPECT_EQ(s->LabelHangupValues[10]->text(), "17");
    };
  }

  {
    Operation& op = add("ClearStatistics");
    op.prepare = withStatistics;
    op.act = [](MatrixFixture& fx) {
      OnModal("fConnStatistics", [&fx](QDialog* d) {
        fx.inject();
        static_cast<fConnStatistics*>(d)->CmdClear->click();
      });
      Main(fx)->SubMenuStatistics->trigger();
    };
    op.silent = {{{"Failed to clear Connection Statistics due to data server error '%1'.", "RLX_Plug"}},
                 {"fConnStatistics"}};
    op.failing = {{{"Failed to clear Connection Statistics due to data server error '%1'.", "RLX_Plug"}},
                  {"fConnStatistics"}};
    op.reset = {{}, {"fConnStatistics"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_FALSE(ring_stats::LoadedStatisticsWindow()->isVisible());
      EXPECT_EQ(State(fx).modems[0].stats.successes, f == DeviceFault::ResetFirst ? 0 : 17);
    };
    op.injectsItself = true;
  }

  {
    Operation& op = add("ReadRingMode");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) { Main(fx)->SubMenuRingMode->trigger(); };
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {}};
    op.failing = {{}, {"fRingMode"}};
    op.reset = {{}, {"fRingMode"}};
  }

  {
    Operation& op = add("ApplyRingMode");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) {
      OnModal("fRingMode", [&fx](QDialog* d) {
        auto* r = static_cast<fRingMode*>(d);
        fx.inject();
        r->EnableChk->setChecked(true);
        r->EnableChk_Click();
        r->TextUnitID->setText(QStringLiteral("5"));
        r->CmdApply->click();
      });
      Main(fx)->SubMenuRingMode->trigger();
    };
    // The write's error is shown and the apply goes on.
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {"fRingMode"}};
    op.failing = {{}, {"fRingMode"}};
    op.reset = {{}, {"fRingMode"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).ring.enabled, Works(f));
      EXPECT_EQ(State(fx).ring.unit, Works(f) ? 5 : 0);
      EXPECT_EQ(ring_stats::LoadedRingModeWindow()->PBar->value(), 100);
    };
    op.injectsItself = true;
  }

  {
    Operation& op = add("RingStatusQuery");
    op.prepare = [](MatrixFixture& fx) { fx.openLonMark(); };
    op.act = [](MatrixFixture& fx) {
      OnModal("fRingMode", [&fx](QDialog* d) {
        fx.inject();
        static_cast<fRingMode*>(d)->QueryRingStatus->click();
      });
      Main(fx)->SubMenuRingMode->trigger();
    };
    op.silent = {{{"Failed to get Ring Status due to data server error '%1'.", "Error!"}}, {"fRingMode"}};
    op.failing = {{{"Failed to get Ring Status due to data server error '%1'.", "Error!"}}, {"fRingMode"}};
    // The device answered: it is not in ring mode.
    op.reset = {{{"'RLX-LonMark' is Not in Ring Mode", "Error"}}, {"fRingMode"}};
    op.check = [](MatrixFixture&, DeviceFault) {
      fRingMode* r = ring_stats::LoadedRingModeWindow();
      EXPECT_FALSE(r->QueryBusy);
      EXPECT_TRUE(r->CmdApply->isEnabled());
      EXPECT_TRUE(r->QueryRingStatus->isEnabled());
    };
    op.injectsItself = true;
  }

  // --- the phonebook -----------------------------------------------------------------------------
  {
    Operation& op = add("PhonebookOpen");
    op.prepare = OpenWithPhonebook;
    op.act = [](MatrixFixture& fx) {
      OnModal("fPhoneBook", [&fx](QDialog* d) {
        auto* e = static_cast<phonebook::fPhoneBook*>(d);
        // The numbers live on the device: a silent device leaves their cells
        // empty; the descriptions come from the database.
        EXPECT_EQ(e->MSFlexGrid->TextMatrix(4, 1), Works(fx.fault()) ? "5550003" : "");
        EXPECT_EQ(e->MSFlexGrid->TextMatrix(4, 2), "Depot");
        e->close();
      });
      Main(fx)->MenuPhoneBook->trigger();
    };
    op.silent = {{{kNoAnswer, "RLX_Plug"}}, {"fPhoneBook"}};
    op.failing = {{}, {"fPhoneBook"}};
    op.reset = {{}, {"fPhoneBook"}};
  }
  {
    Operation& op = add("PhonebookSave");
    op.prepare = OpenWithPhonebook;
    op.act = [](MatrixFixture& fx) {
      OnModal("fPhoneBook", [&fx](QDialog* d) {
        auto* e = static_cast<phonebook::fPhoneBook*>(d);
        e->MSFlexGrid->SetTextMatrix(4, 1, QStringLiteral("5550004"));
        e->MSFlexGrid->SetTextMatrix(4, 2, QStringLiteral("Depot 2"));
        fx.inject();
        e->MenuSave->trigger();
        // What the router did not take is still unsaved: closing asks, and
        // the operator lets it go.
        if (e->PhonebookModified)
          scriptedUi().answer(platform::IdNo);
        e->close();
      });
      Main(fx)->MenuPhoneBook->trigger();
    };
    // Each failing step is trapped and the rest still attempted; no
    // description is stored for a number the router did not take.
    op.silent = {{{kNoAnswer, "RLX_Plug"}, {"Save Changes to phonebook?", "Save Changes?"}}, {"fPhoneBook"}};
    op.failing = {{}, {"fPhoneBook"}};
    op.reset = {{}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).phonebook[3], Works(f) ? "5550004" : "5550003");
      EXPECT_EQ(fx.record(fx.lonMark(), "ZevPhoneBook3", 1), Works(f) ? "Depot 2" : "Depot");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevPhoneBook3"}; };
    op.injectsItself = true;
  }

  {
    Operation& op = add("PhonebookClear");
    op.prepare = OpenWithPhonebook;
    op.act = [](MatrixFixture& fx) {
      OnModal("fPhoneBook", [&fx](QDialog* d) {
        auto* e = static_cast<phonebook::fPhoneBook*>(d);
        fx.inject();
        scriptedUi().answer(platform::IdYes);
        e->MenuClear->trigger();
        e->close();
      });
      Main(fx)->MenuPhoneBook->trigger();
    };
    op.silent = {{{"Are you sure you want to clear the phonebook?", "Warning!"}, {kNoAnswer, "RLX_Plug"}},
                 {"fPhoneBook"}};
    op.failing = {{{"Are you sure you want to clear the phonebook?", "Warning!"}}, {"fPhoneBook"}};
    op.reset = {{{"Are you sure you want to clear the phonebook?", "Warning!"}}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).phonebook[3], Works(f) ? "" : "5550003");
      EXPECT_EQ(fx.record(fx.lonMark(), "ZevPhoneBook3", 1), Works(f) ? "" : "Depot");
    };
    op.mayChange = [](DeviceFault f) { return Works(f) ? QStringList{"ZevPhoneBook3"} : QStringList(); };
    op.injectsItself = true;
  }

  return ops;
}

const std::vector<Operation>& Table() {
  static const std::vector<Operation> ops = Operations();
  return ops;
}

class LonMarkFaults : public MatrixFixture {};

TEST_P(LonMarkFaults, ReportsAndGoesOn) { run(); }

INSTANTIATE_TEST_SUITE_P(Matrix, LonMarkFaults, ::testing::ValuesIn(Cross(Table())), MatrixName);

}  // namespace
}  // namespace fault_testing
