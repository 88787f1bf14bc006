// Every device operation of fMainExplicit (explicit family) with the device
// silent, the data server failing and the data server asking to be reset
// first. Everything the window does to the device is an explicit message, so
// the first two faults fail each operation the same way; after a reset every
// operation must work as it does without a fault.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_grid.h"
#include "ring_stats/fconnstatistics.h"
#include "tests/faults/fault_matrix.h"
#include "windows/fperpetual.h"

namespace fault_testing {
namespace {

const QString kPrompt =
    QStringLiteral("No response from RLX-Explicit.\nMake sure the device is connected before proceeding.\nRetry?");
const QString kPerpetual5 = QStringLiteral("PERPETUAL,5,0,0,0,0,0,0,0,0,0");

fMainExplicit* W(MatrixFixture& fx) { return fx.explicitWindow(); }
rlxsim::DeviceState State(MatrixFixture& fx) { return fx.net->state(fx.explicitRlx()); }

// The window on the internal modem, entry 5 ("Depot") in its phonebook and in
// the list of numbers to dial.
void Open(MatrixFixture& fx) {
  fx.openExplicit();
  fx.explicitEntry(5, QStringLiteral("5550005"), QStringLiteral("Depot"));
  W(fx)->ModemSelection();
}

void Choose(QComboBox* combo, const QString& line) {
  const int index = combo->findText(line);
  ASSERT_GE(index, 0) << line.toStdString();
  combo->setCurrentIndex(index);
}

void OnModal(const char* name, std::function<void(QDialog*)> inside) {
  scriptedUi().onModal([name, inside](QDialog* d) {
    if (d->objectName() == QLatin1String(name))
      inside(d);
    return 0;
  });
}

// Opens the phonebook editor from the window and works in it.
void InEditor(MatrixFixture& fx, std::function<void(phonebook::fPhoneBook*)> work) {
  OnModal("fPhoneBook", [work](QDialog* d) {
    auto* editor = static_cast<phonebook::fPhoneBook*>(d);
    editor->show();
    work(editor);
    editor->close();
  });
  W(fx)->MenuPhoneBook->trigger();
}

std::vector<Operation> Operations() {
  std::vector<Operation> ops;
  auto add = [&ops](const char* name) -> Operation& {
    Operation& op = ops.emplace_back();
    op.name = name;
    op.explicitFamily = true;
    return op;
  };

  // --- the open sequence ------------------------------------------------------------
  {
    Operation& op = add("Open");
    op.act = [](MatrixFixture& fx) {
      W(fx)->show();
      fx.answerConnectionError({"bNo"});
      fx.configureExplicitDevice();
    };
    // The probe fails either way: the operator goes on without the device.
    op.silent = {{}, {"fConnectionError"}};
    op.failing = {{}, {"fConnectionError"}};
    op.reset = {{}, {"fProgress"}};  // the first download of the phonebook
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      fMainExplicit* w = W(fx);
      if (f == DeviceFault::ResetFirst) {
        EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: RLX Explicit 2.10");
        EXPECT_EQ(w->ComboModem->currentText(), MMain.InternalModemObjectName);
        EXPECT_TRUE(w->Timer2->isActive());
        EXPECT_EQ(fx.autoAnswerRecord(), "111");
        return;
      }
      EXPECT_EQ(fx.prompts, QStringList{kPrompt});
      EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: <not available>");
      EXPECT_EQ(w->LabelMessage->text(), "No Response from RLX");
      EXPECT_EQ(Bits({w->MenuPhoneBook->isEnabled(), w->MenuRLX->isEnabled(), w->MenuModem->isEnabled(),
                      w->ComboModem->isEnabled()}),
                "1000");
      EXPECT_EQ(FaultFixture::dialControls(w), "000");
      EXPECT_TRUE(MMain.DeviceOffline);
      EXPECT_FALSE(w->Timer2->isActive());
      // The phonebook's records exist for database-only saves.
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitPhonebook63", 1), "");
      // Made without the device, they are marked out of step with it.
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitResync", 1), "1");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicit*"}; };
  }

  // --- the status poll and the choice of modem ------------------------------------------------
  {
    Operation& op = add("StatusPoll");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) { W(fx)->Timer2Tick(); };
    // No box from the poll: the state is blanked; a silent router is named
    // in the message line and nothing is dialled until it answers again.
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(W(fx)->LabelConnectStatus->text(), f == DeviceFault::ResetFirst ? "TEL_NOTINUSE" : "");
      EXPECT_EQ(FaultFixture::dialControls(W(fx)), f == DeviceFault::Silent ? "010" : "111");
      EXPECT_EQ(W(fx)->LabelMessage->text(), f == DeviceFault::Silent ? "No Response from RLX" : "");
    };
  }
  {
    Operation& op = add("ChooseModem");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) { W(fx)->ComboModem->setCurrentIndex(1); };
    Reports(op, {{"Failed to Check External Modem 1 status due to data server error '%1'.", "Error!"}});
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      // Ready external modem 1: no input audio there.
      EXPECT_EQ(W(fx)->SubMenuInputAudio->isEnabled(), f != DeviceFault::ResetFirst);
      EXPECT_EQ(W(fx)->LabelMessage->text(), "");
    };
  }

  // --- calls ---------------------------------------------------------------------------------
  {
    Operation& op = add("DialTypedNumber");
    op.prepare = [](MatrixFixture& fx) {
      Open(fx);
      W(fx)->ComboPhone->setEditText(QStringLiteral("9,123"));
    };
    op.act = [](MatrixFixture& fx) { W(fx)->CmdDial->click(); };
    // The dial's reply is not examined: the status poll shows what happened.
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).modems[0].number, f == DeviceFault::ResetFirst ? "9,123" : "");
      EXPECT_FALSE(W(fx)->CmdDial->isEnabled());
      EXPECT_EQ(fx.autoAnswerRecord(), "111");  // a typed number leaves auto answer alone
    };
  }
  {
    Operation& op = add("DialPhonebookEntry");
    op.prepare = [](MatrixFixture& fx) {
      Open(fx);
      Choose(W(fx)->ComboPhone, QStringLiteral("Depot"));
    };
    op.act = [](MatrixFixture& fx) { W(fx)->CmdDial->click(); };
    Reports(op, {{"Failed to set Auto Answer due to data server error '%1'.", "Error!"}});
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      // Auto answer is recorded off only once the device took it.
      EXPECT_EQ(fx.autoAnswerRecord(), works ? "011" : "111");
      EXPECT_EQ(W(fx)->SubMenuAutoAnswer->isChecked(), !works);
      EXPECT_EQ(State(fx).modems[0].autoAnswer, !works);
      EXPECT_EQ(State(fx).modems[0].number, works ? "5550005" : "");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicitAutoAnswer"}; };
  }
  {
    Operation& op = add("CallCancel");
    op.prepare = [](MatrixFixture& fx) {
      Open(fx);
      fx.callOnDevice(fx.explicitRlx(), 0, QStringLiteral("123"));
      W(fx)->Timer2Tick();
      W(fx)->ComboPhone->setEditText(QStringLiteral("123"));
      ASSERT_FALSE(W(fx)->CmdDial->isEnabled());
    };
    op.act = [](MatrixFixture& fx) { W(fx)->CmdCallCancel->click(); };
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const int state = State(fx).modems[0].state;
      if (f == DeviceFault::ResetFirst) {
        EXPECT_TRUE(state == rlxsim::tel::kHangingUp || state == rlxsim::tel::kNotInUse) << state;
      } else {
        EXPECT_EQ(State(fx).modems[0].number, "123");  // the call goes on
      }
      // Manual mode: the dial controls come back and the number goes.
      EXPECT_TRUE(W(fx)->CmdDial->isEnabled());
      EXPECT_EQ(W(fx)->ComboPhone->currentText(), "");
    };
  }

  // --- modem and device options ---------------------------------------------------------------
  {
    Operation& op = add("AutoAnswer");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) { W(fx)->SubMenuAutoAnswer->trigger(); };
    Reports(op, {{"Failed to set Auto Answer due to data server error '%1'.", "Error!"}});
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(W(fx)->SubMenuAutoAnswer->isChecked(), !works);
      EXPECT_EQ(fx.autoAnswerRecord(), works ? "011" : "111");
      EXPECT_EQ(State(fx).modems[0].autoAnswer, !works);
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicitAutoAnswer"}; };
  }
  {
    Operation& op = add("MuteInputAudio");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) { W(fx)->SubMenuInputAudio->trigger(); };
    Reports(op, {{"Failed to set Input Audio due to data server error '%1'.", "Error!"}});
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(W(fx)->SubMenuInputAudio->isChecked(), f == DeviceFault::ResetFirst);
      EXPECT_EQ(State(fx).inputMuted, f == DeviceFault::ResetFirst);
    };
  }
  {
    Operation& op = add("PulseServicePin");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) { W(fx)->SubMenuPulse->trigger(); };
    Reports(op, {{"Failed to Pulse Router Service Pin due to data server error '%1'.", "Error!"}});
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).servicePinPulses, f == DeviceFault::ResetFirst ? 1 : 0);
    };
  }
  {
    Operation& op = add("SoftReboot");
    op.prepare = [](MatrixFixture& fx) {
      Open(fx);
      W(fx)->Timer2->stop();  // the poll would add its own messages to the count
    };
    op.act = [](MatrixFixture& fx) { W(fx)->SubMenuReboot->trigger(); };
    // The loop re-sends auto answer as the window shows it until the device
    // answers, at most 500 times; a router that never answers is reported.
    const QList<Box> notBack = {
        {"The RLX did not come back within 3 minutes of the Soft Reboot. Check the router, "
         "then open it again.",
         "Error!"}};
    op.silent = {notBack, {}};
    op.failing = {notBack, {}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const QStringList sent = fx.net->sent(fx.explicitRlx());
      switch (f) {
        case DeviceFault::Silent:
          EXPECT_EQ(sent.count("00 01 65 00 01"), modem_options::kExplicitRebootAttempts);
          EXPECT_EQ(State(fx).reboots, 0);
          break;
        case DeviceFault::DataServerFails:  // nothing reaches the device; every attempt is made
          EXPECT_TRUE(sent.isEmpty());
          EXPECT_EQ(fx.pacer->pauses, modem_options::kExplicitRebootAttempts);
          EXPECT_EQ(State(fx).reboots, 0);
          break;
        case DeviceFault::ResetFirst:
          EXPECT_EQ(State(fx).reboots, 1);
          EXPECT_GT(sent.count("00 01 65 00 01"), 1);  // it was away for a while
          EXPECT_LT(sent.count("00 01 65 00 01"), modem_options::kExplicitRebootAttempts);
          EXPECT_TRUE(State(fx).modems[0].autoAnswer);
          break;
      }
    };
  }

  // --- dial modes -------------------------------------------------------------------------------
  {
    Operation& op = add("ManualMode");
    op.prepare = [](MatrixFixture& fx) {
      fx.net->change(fx.explicitRlx(), [](rlxsim::DeviceState& s) { s.modems[0].dialMode = kPerpetual5; });
      Open(fx);
      ASSERT_EQ(FaultFixture::marks(W(fx)), "010");
      ASSERT_EQ(W(fx)->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
    };
    op.act = [](MatrixFixture& fx) { W(fx)->MenuManual->trigger(); };
    Reports(op, {{"Failed to set Dial Mode due to data server error '%1'.", "Error!"}});
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(FaultFixture::marks(W(fx)), works ? "100" : "010");
      EXPECT_EQ(State(fx).modems[0].dialMode, works ? "MANUAL,0,0,0,0,0,0,0,0,0,0" : kPerpetual5);
      // Either way the dial controls are given back, the text emptied.
      EXPECT_TRUE(W(fx)->CmdDial->isEnabled());
      EXPECT_TRUE(W(fx)->ComboModem->isEnabled());
      EXPECT_EQ(W(fx)->ComboPhone->currentText(), "");
    };
  }
  {
    Operation& op = add("PerpetualDial");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) {
      OnModal("fPerpetual", [&fx](QDialog* d) {
        auto* p = static_cast<fPerpetual*>(d);
        p->show();
        Choose(p->ComboPhonebook, QStringLiteral("Depot"));
        fx.inject();
        p->CmdDial->click();
        EXPECT_EQ(p->isVisible(), fx.failed()) << "the dialog stays open after a failure";
        p->hide();
      });
      W(fx)->MenuPerpetual->trigger();
    };
    op.silent = {{{"Failed to set Auto Answer due to data server error '%1'.", "Error!"},
                  {"Failed Dial Modem due to data server error '%1'.", "Error!"}},
                 {"fPerpetual"}};
    op.failing = op.silent;
    op.reset = {{}, {"fPerpetual"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(FaultFixture::marks(W(fx)), works ? "010" : "100");
      EXPECT_EQ(State(fx).modems[0].dialMode, works ? kPerpetual5 : "MANUAL,0,0,0,0,0,0,0,0,0,0");
      EXPECT_EQ(fx.autoAnswerRecord(), works ? "011" : "111");
      EXPECT_EQ(W(fx)->ComboPhone->currentText(), works ? "Dialing Depot in Perpetual Mode." : "");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicitAutoAnswer"}; };
    op.injectsItself = true;
  }
  {
    // Choosing a ready modem reads its dial mode; only that read is faulted.
    Operation& op = add("ReadDialMode");
    op.prepare = [](MatrixFixture& fx) {
      fx.net->change(fx.explicitRlx(), [](rlxsim::DeviceState& s) { s.modems[1].dialMode = kPerpetual5; });
      Open(fx);
      ASSERT_EQ(FaultFixture::marks(W(fx)), "100");
    };
    op.request = QStringLiteral("00 01 69 02 02");
    op.act = [](MatrixFixture& fx) { W(fx)->ComboModem->setCurrentIndex(1); };
    // A failed read keeps the marks; no box.
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(FaultFixture::marks(W(fx)), works ? "010" : "100");
      EXPECT_EQ(W(fx)->CmdDial->isEnabled(), !works);
      EXPECT_TRUE(W(fx)->SubMenuDialMode->isEnabled());
    };
  }

  // --- statistics, ring mode -------------------------------------------------------------------
  auto withStatistics = [](MatrixFixture& fx) {
    fx.net->change(fx.explicitRlx(), [](rlxsim::DeviceState& s) {
      s.modems[0].stats.lastCause = 2;
      s.modems[0].stats.successes = 17;
    });
    Open(fx);
  };
  {
    Operation& op = add("ReadStatistics");
    op.prepare = withStatistics;
    op.act = [](MatrixFixture& fx) { W(fx)->SubMenuStatistics->trigger(); };
    Reports(op, {{"Failed to download Connection Statistics due to data server error '%1'.", "Error!"}});
    op.reset = {{}, {"fConnStatistics"}};
  }
  {
    Operation& op = add("ClearStatistics");
    op.prepare = withStatistics;
    op.act = [](MatrixFixture& fx) {
      OnModal("fConnStatistics", [&fx](QDialog* d) {
        fx.inject();
        static_cast<fConnStatistics*>(d)->CmdClear->click();
      });
      W(fx)->SubMenuStatistics->trigger();
    };
    op.silent = {{{"Failed to clear Connection Statistics due to data server error '%1'.", "RLX_Plug"}},
                 {"fConnStatistics"}};
    op.failing = op.silent;
    op.reset = {{}, {"fConnStatistics"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_FALSE(ring_stats::LoadedStatisticsWindow()->isVisible());
      EXPECT_EQ(State(fx).modems[0].stats.successes, f == DeviceFault::ResetFirst ? 0 : 17);
    };
    op.injectsItself = true;
  }
  {
    Operation& op = add("ReadRingMode");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) { W(fx)->SubMenuRingMode->trigger(); };
    Reports(op, {{"Failed to download Ring Mode Parameters due to data server error '%1'.", "Error!"}});
    op.reset = {{}, {"fRingMode"}};
  }
  {
    Operation& op = add("ApplyRingMode");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) {
      OnModal("fRingMode", [&fx](QDialog* d) {
        auto* r = static_cast<fRingMode*>(d);
        fx.inject();
        r->EnableChk->setChecked(true);
        r->EnableChk_Click();
        r->TextUnitID->setText(QStringLiteral("5"));
        r->CmdApply->click();
      });
      W(fx)->SubMenuRingMode->trigger();
    };
    // A failed apply is reported and the windows stay (the settings are not
    // lost); an apply the router took closes the explicit main window.
    op.silent = {{{"Failed to apply Ring Mode Parameters due to data server error '%1'.", "Error!"}}, {"fRingMode"}};
    op.failing = op.silent;
    op.reset = {{}, {"fRingMode"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool applied = f == DeviceFault::ResetFirst;
      EXPECT_EQ(State(fx).ring.enabled, applied);
      EXPECT_EQ(ExistingWindow(WindowId::fMainExplicit) == nullptr, applied);
      if (!applied) {
        EXPECT_EQ(ring_stats::LoadedRingModeWindow()->TextUnitID->text(), "5");  // the typed settings stay
      }
    };
    op.injectsItself = true;
    op.windowStays = [](DeviceFault f) { return f != DeviceFault::ResetFirst; };
  }
  {
    Operation& op = add("RingStatusQuery");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) {
      OnModal("fRingMode", [&fx](QDialog* d) {
        fx.inject();
        static_cast<fRingMode*>(d)->QueryRingStatus->click();
      });
      W(fx)->SubMenuRingMode->trigger();
    };
    op.silent = {{{"Failed to get Ring Status due to data server error '%1'.", "Error!"}}, {"fRingMode"}};
    op.failing = op.silent;
    op.reset = {{{"'RLX-Explicit' is Not in Ring Mode", "Error"}}, {"fRingMode"}};
    op.check = [](MatrixFixture&, DeviceFault) {
      fRingMode* r = ring_stats::LoadedRingModeWindow();
      EXPECT_FALSE(r->QueryBusy);
      EXPECT_TRUE(r->CmdApply->isEnabled());
      EXPECT_TRUE(r->QueryRingStatus->isEnabled());
    };
    op.injectsItself = true;
  }

  // --- the phonebook ------------------------------------------------------------------------------
  // Entry 0 typed in the editor, saved; the operator answers the question after a failed store.
  auto save = [](int answer) {
    return [answer](MatrixFixture& fx) {
      InEditor(fx, [&fx, answer](phonebook::fPhoneBook* e) {
        QTest::keyClicks(e->TextPhonebook, "4321");
        fx.inject();
        scriptedUi().answer(answer);
        e->MenuSave->trigger();
        // A failed store puts the stored number back into the row.
        EXPECT_EQ(e->MSFlexGrid->TextMatrix(1, 1),
                  fx.failed() && answer == platform::IdNo ? QString() : QStringLiteral("4321"));
      });
    };
  };
  const Box storeFailed{"RLX Phonebook not updated due to data server error '%1'\rWould you like to update Database?",
                        "Error!"};
  {
    Operation& op = add("PhonebookSaveStopped");
    op.prepare = Open;
    op.act = save(platform::IdNo);
    op.silent = {{storeFailed}, {"fPhoneBook"}};
    op.failing = op.silent;
    op.reset = {{}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(State(fx).phonebook[0], works ? "4321" : "");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitPhonebook0", 1), works ? "4321" : "");
      // Stopped: the copy is marked out of sync.
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitResync", 1), works ? "" : "1");
    };
    op.mayChange = [](DeviceFault f) {
      return f == DeviceFault::ResetFirst ? QStringList{"ZevExplicitPhonebook0"} : QStringList{"ZevExplicitResync"};
    };
    op.injectsItself = true;
  }
  {
    Operation& op = add("PhonebookSaveToDatabase");
    op.prepare = Open;
    op.act = save(platform::IdYes);
    op.silent = {{storeFailed}, {"fPhoneBook"}};
    op.failing = op.silent;
    op.reset = {{}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(State(fx).phonebook[0], works ? "4321" : "");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitPhonebook0", 1), "4321");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitResync", 1), works ? "" : "1");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicitPhonebook0", "ZevExplicitResync"}; };
    op.injectsItself = true;
  }
  {
    Operation& op = add("PhonebookClear");
    op.prepare = Open;
    op.act = [](MatrixFixture& fx) {
      InEditor(fx, [&fx](phonebook::fPhoneBook* e) {
        fx.inject();
        scriptedUi().answer(platform::IdYes);
        e->MenuClear->trigger();
        EXPECT_EQ(e->MSFlexGrid->TextMatrix(6, 1), fx.failed() ? "5550005" : "");
      });
    };
    const Box sure{"Are you sure you want to clear the phonebook?", "Warning!"};
    op.silent = {{sure, {"Failed to clear phonebook due to data server error '%1'.", "RLX_Plug"}}, {"fPhoneBook"}};
    op.failing = op.silent;
    op.reset = {{sure}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      EXPECT_EQ(State(fx).phonebook[5], f == DeviceFault::ResetFirst ? "" : "5550005");
    };
    op.mayChange = [](DeviceFault f) {
      return f == DeviceFault::ResetFirst ? QStringList{"ZevExplicitPhonebook5"} : QStringList();
    };
    op.injectsItself = true;
  }
  const Box resyncFailed{"Failed to resync Phonebook due to data server error '%1'.", "Error!"};
  {
    Operation& op = add("PhonebookResyncFromDatabase");
    op.prepare = [](MatrixFixture& fx) {
      Open(fx);
      // The device lost an entry the database copy holds.
      fx.net->change(fx.explicitRlx(), [](rlxsim::DeviceState& s) { s.phonebook[5].clear(); });
    };
    op.act = [](MatrixFixture& fx) {
      InEditor(fx, [&fx](phonebook::fPhoneBook* e) {
        fx.inject();
        scriptedUi().answer(platform::IdYes);
        e->MenuResyncDatabase->trigger();
        // Rows not done show their stored copy.
        EXPECT_EQ(e->MSFlexGrid->TextMatrix(6, 1), "5550005");
      });
    };
    const Box sure{"Are you sure you want to resynchronize the phonebook using the Database values?", "Warning!"};
    op.silent = {{sure, resyncFailed}, {"fPhoneBook"}};
    op.failing = op.silent;
    op.reset = {{sure}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      EXPECT_EQ(State(fx).phonebook[5], works ? "5550005" : "");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitResync", 1), works ? "0" : "");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicitResync"}; };
    op.injectsItself = true;
  }
  {
    Operation& op = add("PhonebookResyncFromDevice");
    op.prepare = [](MatrixFixture& fx) {
      Open(fx);
      // The device holds another number than the database copy.
      fx.net->change(fx.explicitRlx(), [](rlxsim::DeviceState& s) { s.phonebook[5] = QStringLiteral("5550009"); });
    };
    op.act = [](MatrixFixture& fx) {
      InEditor(fx, [&fx](phonebook::fPhoneBook* e) {
        fx.inject();
        scriptedUi().answer(platform::IdYes);
        e->MenuResyncDevice->trigger();
        EXPECT_EQ(e->MSFlexGrid->TextMatrix(6, 2), fx.failed() ? "Depot" : "");
      });
    };
    const Box sure{
        "All descriptions will be lost!\rAre you sure you want to resynchronize the phonebook using the Device values?",
        "Warning!"};
    op.silent = {{sure, resyncFailed}, {"fPhoneBook"}};
    op.failing = op.silent;
    op.reset = {{sure}, {"fPhoneBook"}};
    op.check = [](MatrixFixture& fx, DeviceFault f) {
      const bool works = f == DeviceFault::ResetFirst;
      // The descriptions go only when the device was read.
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitPhonebook5", 1), works ? "5550009" : "5550005");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitPhonebook5", 2), works ? "" : "Depot");
      EXPECT_EQ(fx.record(fx.explicitRlx(), "ZevExplicitResync", 1), works ? "0" : "");
    };
    op.mayChange = [](DeviceFault) { return QStringList{"ZevExplicitPhonebook5", "ZevExplicitResync"}; };
    op.injectsItself = true;
  }
  return ops;
}

const std::vector<Operation>& Table() {
  static const std::vector<Operation> ops = Operations();
  return ops;
}

class ExplicitFaults : public MatrixFixture {};

TEST_P(ExplicitFaults, ReportsAndGoesOn) { run(); }

INSTANTIATE_TEST_SUITE_P(Matrix, ExplicitFaults, ::testing::ValuesIn(Cross(Table())), MatrixName);

}  // namespace
}  // namespace fault_testing
