// fMainExplicit on the simulated network: its open sequence and the explicit
// states, the modem choice, the status poll and Wait.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include "lonworks/rlx_device/rlx_model.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

const QString kNotReady = QStringLiteral("Modem not ready, or port is disabled");

class ExplicitWindow : public WindowTest {
 protected:
  lns::AppDevicePtr device() { return net->explicitDevice(); }
  fMainExplicit* w() { return explicitWindow(); }
  // The requests sent, without the phonebook's own reads and writes.
  QStringList sent() {
    QStringList out;
    for (const QString& r : net->sent(device()))
      if (!r.startsWith("00 01 66 00 02 ") || r == "00 01 66 00 02 00")
        out << r;
    return out;
  }
  QString autoAnswerRecord() {
    auto r = device()->Extensions()->Item("ZevExplicitAutoAnswer");
    return r->Field(1) + r->Field(2) + r->Field(3);
  }
  QString dialControls() {
    return QString::number(w()->CmdDial->isEnabled()) + QString::number(w()->CmdCallCancel->isEnabled()) +
           QString::number(w()->ComboPhone->isEnabled());
  }
  // Reboot, Pulse, Ring mode, Input audio, Auto answer, Statistics, Dial mode.
  QString menus() {
    return states({w()->SubMenuReboot, w()->SubMenuPulse, w()->SubMenuRingMode, w()->SubMenuInputAudio,
                   w()->SubMenuAutoAnswer, w()->SubMenuStatistics, w()->SubMenuDialMode});
  }
  // Phonebook, RLX Options, Modem Options.
  QString topMenus() { return states({w()->MenuPhoneBook, w()->MenuRLX, w()->MenuModem}); }
  void dialOnDevice(int modem, const QString& number) {
    net->change(device(), [&](rlxsim::DeviceState& s) { rlxsim::dial(s, modem, number, net->now()); });
  }
};

TEST_F(ExplicitWindow, OpensOnTheFirstReadyModem) {
  configureExplicitDevice();
  EXPECT_EQ(MMain.CurrentMainWindow, w());
  EXPECT_EQ(MMain.ExplicitFamily, 1);
  EXPECT_EQ(w()->Control->GetstrNodeName(), "# " + QString::number(device()->Handle()));
  EXPECT_EQ(w()->LabelProduct->text(), "RLX Firmware: RLX Explicit 2.10");
  // Auto answer switched on everywhere the first time, then ring mode and
  // phonebook support, the modem search and the chosen modem's dial mode.
  EXPECT_EQ(sent(), (QStringList{"00 01 55 00 03", "00 01 48 00", "00 01 65 00 01", "00 01 65 02 01", "00 01 65 03 01",
                                 "00 01 72 00 02", "00 01 66 00 02 00", "00 01 53 00", "00 01 53 00", "00 01 69 00 02",
                                 "00 01 34 00 00"}));
  EXPECT_EQ(autoAnswerRecord(), "111");
  EXPECT_EQ(w()->ComboModem->count(), 3);
  EXPECT_EQ(w()->ComboModem->itemText(0), MMain.InternalModemObjectName);
  EXPECT_EQ(w()->ComboModem->itemText(1), MMain.ExternalModem1ObjectName);
  EXPECT_EQ(w()->ComboModem->itemText(2), MMain.ExternalModem2ObjectName);
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.InternalModemObjectName);
  EXPECT_EQ(w()->modemName(), MMain.InternalModemObjectName);
  EXPECT_TRUE(w()->PhonebookSupported);
  EXPECT_EQ(topMenus(), "111");
  EXPECT_EQ(menus(), "1111111");
  EXPECT_EQ(dialControls(), "111");
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_TRUE(w()->MenuManual->isChecked());
  EXPECT_FALSE(w()->MenuPerpetual->isChecked());
  EXPECT_TRUE(w()->Timer2->isActive());
  EXPECT_EQ(w()->Timer2->interval(), 2000);
  EXPECT_FALSE(w()->Timer1->isActive());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_FALSE(w()->isVisible());

  // The next open finds the auto-answer record and sends nothing for it.
  net->clearSent();
  device()->Extensions()->Item("ZevExplicitAutoAnswer")->SetField(1, "0");
  configureExplicitDevice();
  EXPECT_EQ(sent(), (QStringList{"00 01 55 00 03", "00 01 48 00", "00 01 72 00 02", "00 01 66 00 02 00", "00 01 53 00",
                                 "00 01 53 00", "00 01 69 00 02", "00 01 34 00 00"}));
  EXPECT_EQ(autoAnswerRecord(), "011");
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());  // as the record says for the internal modem
}

TEST_F(ExplicitWindow, EachFailedAutoAnswerMessageIsReportedAndTheNextOneStillSent) {
  net->scriptFailure(device(), "00 01 65 00 01");
  net->scriptSilence(device(), "00 01 65 03 01");
  configureExplicitDevice();
  EXPECT_EQ(scriptedUi().boxTexts(),
            (QStringList{"Failed to set Internal Modem Auto Answer due to data server error 'Message Failed'.",
                         "Failed to set External Modem 2 Auto Answer due to data server error 'Message Timeout'."}));
  for (const auto& box : scriptedUi().boxes()) {
    EXPECT_EQ(box.title, "Error!");
    EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
  }
  EXPECT_EQ(sent().mid(2, 3), (QStringList{"00 01 65 00 01", "00 01 65 02 01", "00 01 65 03 01"}));
  EXPECT_EQ(autoAnswerRecord(), "111");
}

TEST_F(ExplicitWindow, RingModeSupportDecidesItsMenu) {
  net->change(device(), [](rlxsim::DeviceState& s) { s.ringModeSupported = false; });
  configureExplicitDevice();
  EXPECT_FALSE(w()->SubMenuRingMode->isEnabled());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());

  net->change(device(), [](rlxsim::DeviceState& s) { s.ringModeSupported = true; });
  configureExplicitDevice();
  EXPECT_TRUE(w()->SubMenuRingMode->isEnabled());

  net->scriptFailure(device(), "00 01 72 00 02");
  configureExplicitDevice();
  EXPECT_FALSE(w()->SubMenuRingMode->isEnabled());
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to determine if RLX supports Ring Mode due to data server error 'Message Failed'."});
}

TEST_F(ExplicitWindow, ADeviceWithoutPhonebookHasNoPhonebookOrDialModeMenu) {
  net->change(device(), [](rlxsim::DeviceState& s) { s.phonebookSupported = false; });
  configureExplicitDevice();
  EXPECT_FALSE(w()->PhonebookSupported);
  EXPECT_FALSE(w()->MenuPhoneBook->isEnabled());
  EXPECT_FALSE(w()->SubMenuDialMode->isEnabled());
  // The modem is still chosen; its dial mode is not read.
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.InternalModemObjectName);
  EXPECT_FALSE(sent().contains("00 01 69 00 02"));
  EXPECT_EQ(dialControls(), "111");
}

TEST_F(ExplicitWindow, AFailedPhonebookProbeDisablesThePhonebook) {
  net->scriptFailure(device(), "00 01 66 00 02 00");
  configureExplicitDevice();
  EXPECT_FALSE(w()->PhonebookSupported);
  EXPECT_FALSE(w()->MenuPhoneBook->isEnabled());
  EXPECT_FALSE(w()->SubMenuDialMode->isEnabled());
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to determine RLX supports Phonebook functions due to data server error 'Message "
                        "Failed'. Phonebook will not be created."});
}

TEST_F(ExplicitWindow, TheModemSearchGoesOnPastFailuresAndUnreadyModems) {
  net->scriptFailure(device(), "00 01 53 00");
  net->setModem(device(), 1, rlxsim::Presence::NotReady);
  configureExplicitDevice();
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to Check Internal Modem status due to data server error 'Message Failed'."});
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.ExternalModem2ObjectName);
  EXPECT_EQ(sent().mid(7), (QStringList{"00 01 53 00", "00 01 53 02", "00 01 53 03", "00 01 53 03", "00 01 69 03 02"}));
  // External modems have no input audio.
  EXPECT_FALSE(w()->SubMenuInputAudio->isEnabled());
  EXPECT_EQ(menus(), "1110111");
  EXPECT_EQ(dialControls(), "111");
}

TEST_F(ExplicitWindow, WithNoReadyModemTheListStaysEmpty) {
  for (int m = 0; m < 3; ++m)
    net->setModem(device(), m, rlxsim::Presence::NotReady);
  configureExplicitDevice();
  EXPECT_EQ(w()->ComboModem->currentText(), "");
  EXPECT_EQ(w()->ComboModem->currentIndex(), -1);
  EXPECT_EQ(w()->ComboModem->count(), 3);
  EXPECT_EQ(w()->LabelMessage->text(), kNotReady);
  EXPECT_EQ(DeviceWindow::LabelColour(w()->LabelMessage), kColourRed);
  EXPECT_EQ(w()->LabelConnectStatus->text(), " ");
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(menus(), "1110000");
  EXPECT_TRUE(w()->MenuPhoneBook->isEnabled());
  // The poll runs all the same.
  EXPECT_TRUE(w()->Timer2->isActive());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitWindow, OffNetSendsNothingAndKeepsThePhonebook) {
  net->setOffNet(true);
  configureExplicitDevice();
  EXPECT_TRUE(net->sent(device()).isEmpty());
  EXPECT_EQ(w()->LabelMessage->text(), "<OFFNET>");
  EXPECT_EQ(w()->LabelConnectStatus->text(), "");
  EXPECT_EQ(topMenus(), "100");
  EXPECT_FALSE(w()->ComboModem->isEnabled());
  EXPECT_EQ(dialControls(), "000");
  EXPECT_FALSE(w()->Timer2->isActive());
  EXPECT_FALSE(MMain.DeviceOffline);
  // The phonebook's records exist for database-only work.
  EXPECT_NO_THROW(device()->Extensions()->Item("ZevExplicitPhonebook0"));
  EXPECT_NO_THROW(device()->Extensions()->Item("ZevExplicitPhonebook63"));
}

TEST_F(ExplicitWindow, ASilentDeviceIsAskedAboutUntilTheOperatorDecides) {
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  answerConnectionError({"bYes", "bNo"});
  configureExplicitDevice();
  ASSERT_EQ(prompts.size(), 2);
  EXPECT_EQ(prompts.first(),
            "No response from RLX-Explicit.\nMake sure the device is connected before proceeding.\nRetry?");
  EXPECT_EQ(sent(), (QStringList{"00 01 55 00 03", "00 01 48 00", "00 01 48 00"}));
  // No: the explicit no-answer state.
  EXPECT_EQ(w()->LabelMessage->text(), "No Response from RLX");
  EXPECT_EQ(DeviceWindow::LabelColour(w()->LabelConnectStatus), kColourRed);
  EXPECT_EQ(topMenus(), "100");
  EXPECT_FALSE(w()->ComboModem->isEnabled());
  EXPECT_EQ(dialControls(), "000");
  EXPECT_TRUE(MMain.DeviceOffline);
  EXPECT_FALSE(MMain.AttachAbandoned);
  EXPECT_FALSE(w()->Timer2->isActive());

  // Cancel gives up: the window is never shown.
  answerConnectionError({"bCancel"});
  configureExplicitDevice();
  EXPECT_TRUE(MMain.AttachAbandoned);
  EXPECT_FALSE(w()->Timer2->isActive());

  // Yes once the device is back goes on with the open.
  MMain.AttachAbandoned = false;
  answerConnectionError({"bYes"}, [this] { net->setFault(device(), rlxsim::Fault::None); });
  configureExplicitDevice();
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.InternalModemObjectName);
  EXPECT_FALSE(MMain.DeviceOffline);  // reached this time
  EXPECT_EQ(topMenus(), "111");
}

TEST_F(ExplicitWindow, ChoosingAModemWithTheKeyboard) {
  configureExplicitDevice();
  net->setModem(device(), 1, rlxsim::Presence::NotReady);
  net->clearSent();
  w()->show();
  w()->ComboModem->setFocus();
  QTest::keyClick(w()->ComboModem, Qt::Key_Down);
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.ExternalModem1ObjectName);
  EXPECT_EQ(sent(), QStringList{"00 01 53 02"});
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w()->LabelMessage->text(), kNotReady);

  // External modem 2 is ready: its controls come back, its auto answer shows.
  device()->Extensions()->Item("ZevExplicitAutoAnswer")->SetField(3, "0");
  QTest::keyClick(w()->ComboModem, Qt::Key_Down);
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.ExternalModem2ObjectName);
  EXPECT_EQ(sent().mid(1), (QStringList{"00 01 53 03", "00 01 69 03 02"}));
  EXPECT_EQ(dialControls(), "111");
  EXPECT_FALSE(w()->SubMenuInputAudio->isEnabled());
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());

  // A failed status check is reported and leaves the window as it was.
  net->scriptFailure(device(), "00 01 53 00");
  QTest::keyClick(w()->ComboModem, Qt::Key_Home);
  EXPECT_EQ(w()->ComboModem->currentText(), MMain.InternalModemObjectName);
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to Check Internal Modem status due to data server error 'Message Failed'."});
  EXPECT_EQ(dialControls(), "111");
  EXPECT_FALSE(w()->SubMenuInputAudio->isEnabled());
  w()->hide();
}

TEST_F(ExplicitWindow, PerpetualModeShowsTheEntryAndLocksDialling) {
  auto records = device()->Extensions();
  configureExplicitDevice();
  records->Item("ZevExplicitPhonebook5")->SetField(1, "5550005");
  records->Item("ZevExplicitPhonebook5")->SetField(2, "Depot");
  net->scriptReply(device(), "00 01 69 00 02", "1\t69\t0\t2\t1\t5");
  configureExplicitDevice();
  EXPECT_TRUE(w()->MenuPerpetual->isChecked());
  EXPECT_FALSE(w()->MenuManual->isChecked());
  EXPECT_EQ(w()->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
  EXPECT_FALSE(w()->ComboPhone->isEnabled());
  EXPECT_FALSE(w()->CmdDial->isEnabled());

  records->Item("ZevExplicitPhonebook5")->SetField(2, "");
  configureExplicitDevice();
  EXPECT_EQ(w()->ComboPhone->currentText(), "Dialing 5550005 in Perpetual Mode.");

  // A failed read marks no mode: nothing is left from the earlier open.
  net->scriptFailure(device(), "00 01 69 00 02");
  configureExplicitDevice();
  EXPECT_FALSE(w()->MenuPerpetual->isChecked());
  EXPECT_FALSE(w()->MenuManual->isChecked());
}

// --- the status poll ---------------------------------------------------------

TEST_F(ExplicitWindow, ThePollFollowsACallAndShowsItsConnection) {
  configureExplicitDevice();
  net->clearSent();
  dialOnDevice(0, "5551234");
  net->advance(100);
  w()->Timer2Tick();
  EXPECT_EQ(w()->ModemStateCode, "1");
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_OFFHOOK");
  EXPECT_FALSE(w()->CmdDial->isEnabled());
  EXPECT_FALSE(w()->ComboPhone->isEnabled());
  EXPECT_TRUE(w()->CmdCallCancel->isEnabled());

  net->advance(4000);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w()->LabelMessage->text(), "Connect 9600 V.32 V.42/V.42bis");
  EXPECT_EQ(DeviceWindow::LabelColour(w()->LabelMessage), kColourBlack);
  EXPECT_EQ(sent(), (QStringList{"00 01 53 00", "00 01 53 00", "00 01 57 00"}));
  // The split values of the last reply.
  EXPECT_EQ(w()->ListData->count(), 6);

  net->change(device(), [&](rlxsim::DeviceState& s) { rlxsim::hangUp(s, 0, 3, net->now()); });
  net->advance(1100);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_EQ(w()->LabelMessage->text(), "");
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_TRUE(w()->ComboPhone->isEnabled());
  EXPECT_TRUE(w()->ComboModem->isEnabled());
  EXPECT_TRUE(w()->Timer2->isActive());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitWindow, APollFailureBlanksTheStateAndChangesNothingElse) {
  configureExplicitDevice();
  w()->CmdDial->setEnabled(false);
  net->scriptSilence(device(), "00 01 53 00");
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "");
  EXPECT_FALSE(w()->CmdDial->isEnabled());
  net->scriptFailure(device(), "00 01 53 00");
  w()->CmdDial->setEnabled(true);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "");
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  // A reply ending in "1" (modem not ready) the same.
  net->scriptReply(device(), "00 01 53 00", "1\t53\t0\t0\t1");
  w()->LabelConnectStatus->setText("TEL_NOTINUSE");
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "");
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitWindow, AStateOutsideTheTableKeepsTheLastOne) {
  configureExplicitDevice();
  w()->Timer2Tick();
  ASSERT_EQ(w()->LabelConnectStatus->text(), "TEL_NOTINUSE");
  net->scriptReply(device(), "00 01 53 00", "1\t53\t0\t4\t0");
  w()->CmdDial->setEnabled(false);
  w()->Timer2Tick();
  EXPECT_EQ(w()->ModemStateCode, "4");
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(w()->CmdDial->isEnabled());  // the controls follow what is shown

  // A talking state whose connection reply fails still reads "Connect".
  net->scriptReply(device(), "00 01 53 00", "1\t1\t1\t9\t0");
  net->scriptFailure(device(), "00 01 57 00");
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w()->LabelMessage->text(), "Connect");
  EXPECT_FALSE(w()->CmdDial->isEnabled());

  net->scriptReply(device(), "00 01 57 00", "1\t57\t0\t0\t0\t0");
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelMessage->text(), "Connect n/a n/a n/a");
}

TEST_F(ExplicitWindow, InPerpetualModeTheMessageAndTheLockStayWhenTheLineIsFree) {
  configureExplicitDevice();
  w()->MenuPerpetual->setChecked(true);
  w()->LabelMessage->setText("perpetual");
  w()->CmdDial->setEnabled(false);
  w()->ComboModem->setEnabled(false);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelMessage->text(), "perpetual");
  EXPECT_FALSE(w()->ComboModem->isEnabled());
  EXPECT_FALSE(w()->CmdDial->isEnabled());
  EXPECT_FALSE(w()->ComboPhone->isEnabled());
}

TEST_F(ExplicitWindow, AnEmptyModemChoicePollsExternalModem2) {
  for (int m = 0; m < 3; ++m)
    net->setModem(device(), m, rlxsim::Presence::NotReady);
  configureExplicitDevice();
  ASSERT_EQ(w()->ComboModem->currentText(), "");
  net->clearSent();
  w()->Timer2Tick();
  EXPECT_EQ(sent(), QStringList{"00 01 53 03"});
}

TEST_F(ExplicitWindow, TheTimerPollsThroughTheEventLoop) {
  configureExplicitDevice();
  net->clearSent();
  // The real timer's tick, without waiting two seconds for it.
  QMetaObject::invokeMethod(w()->Timer2, "timeout", Qt::DirectConnection);
  EXPECT_EQ(sent(), QStringList{"00 01 53 00"});
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_NOTINUSE");
}

// --- Wait ------------------------------------------------------------------------

TEST_F(ExplicitWindow, WaitLocksTheWindowUntilItsTimerTicks) {
  configureExplicitDevice();
  QStringList seen;
  platform::Pointer pointer = platform::Pointer::Default;
  QTimer::singleShot(0, w(), [&] {
    // Window events run during the wait; the controls are locked.
    seen << states({w()->MenuPhoneBook, w()->MenuModem, w()->MenuExit, w()->MenuRLX, w()->MenuHelp});
    seen << QString::number(w()->CmdDial->isEnabled() || w()->CmdCallCancel->isEnabled() ||
                            w()->ComboPhone->isEnabled() || w()->ComboModem->isEnabled());
    pointer = scriptedUi().pointer();
    EXPECT_TRUE(w()->Timer1->isActive());
    EXPECT_EQ(w()->Timer1->interval(), 1500);
    EXPECT_EQ(w()->WaitDone, 0);
    w()->Timer1Tick();  // the timer's tick, ahead of time
  });
  w()->Wait(1500);
  EXPECT_EQ(seen, (QStringList{"00000", "0"}));
  EXPECT_EQ(pointer, platform::Pointer::Hourglass);
  EXPECT_EQ(w()->WaitDone, 1);
  EXPECT_FALSE(w()->Timer1->isActive());
  EXPECT_EQ(states({w()->MenuPhoneBook, w()->MenuModem, w()->MenuExit, w()->MenuRLX, w()->MenuHelp}), "11111");
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_TRUE(w()->ComboModem->isEnabled());
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

}  // namespace
