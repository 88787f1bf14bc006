// fMain's status display on the simulated network: calls progress on the
// network clock, Timer1's ticks and the Object Server's update event follow
// them, and the dial controls follow the line.
#include <gtest/gtest.h>

#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

class LonMarkStatus : public WindowTest {
 protected:
  lns::AppDevicePtr device() { return net->lonMarkDevice(); }
  lns::LonMarkObjectPtr internal() { return net->lonMarkObject(MMain.InternalModemObjectName); }
  void writeNv(const char* name, const QString& value) {
    internal()->NetworkVariables()->Item(QString::fromLatin1(name))->SetValue(value);
  }
  void dial(const QString& number) { writeNv("nviDialStr1", number); }
  void hangUp() { writeNv("nviCallCancel1", QStringLiteral("1 1")); }
  void setDialMode(const QString& text) {
    internal()->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"))->SetValue(text);
  }
  lns::ConfigPropertyPtr dialStrings() {
    return net->lonMarkObject(MMain.DeviceLevelObjectName)->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  }
  void describe(int entry, const QString& description) {
    auto records = device()->Extensions();
    const QString name = QStringLiteral("ZevPhoneBook") + QString::number(entry);
    lns::ExtensionRecordPtr r;
    try {
      r = records->Item(name);
    } catch (const lns::LnsError&) {
      r = records->Add(name);
    }
    r->SetField(1, description);
  }
  bool dialEnabled() { return main()->CmdDial->isEnabled() && main()->ComboPhone->isEnabled(); }
  bool dialDisabled() { return !main()->CmdDial->isEnabled() && !main()->ComboPhone->isEnabled(); }
};

TEST_F(LonMarkStatus, Timer1FollowsACallFromDialToHangUp) {
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  ASSERT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  ASSERT_TRUE(dialEnabled());

  dial(QStringLiteral("5551234"));
  net->advance(100, false);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_OFFHOOK");
  EXPECT_TRUE(dialDisabled());
  EXPECT_TRUE(w->CmdCallCancel->isEnabled());  // the call can be cancelled

  net->advance(1000, false);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_DIALING");
  net->advance(3000, false);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w->LastStatusText, "TEL_TALKING");
  EXPECT_TRUE(dialDisabled());

  hangUp();
  net->advance(10, false);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_HANGINGUP");
  EXPECT_TRUE(dialDisabled());
  net->advance(1000, false);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(dialEnabled());
  // Ticks go on at their interval; none of them showed a box.
  EXPECT_TRUE(w->Timer1->isActive());
  EXPECT_EQ(w->Timer1->interval(), 2000);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(LonMarkStatus, ATickTheRouterDoesNotAnswerShowsNoCallThatMayBeGone) {
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  dial(QStringLiteral("5551234"));
  net->advance(4100, false);
  w->Timer1Tick();
  ASSERT_EQ(w->LabelConnectStatus->text(), "TEL_TALKING");
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "");
  EXPECT_EQ(w->LabelMessage->text(), "No response from RLX-LonMark");
  EXPECT_TRUE(dialDisabled());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_TRUE(w->Timer1->isActive());
  // The device back: the next tick shows the line again.
  net->setFault(device(), rlxsim::Fault::None);
  hangUp();
  net->advance(1100, false);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(dialEnabled());
}

TEST_F(LonMarkStatus, TheUpdateEventShowsTheConnectionWhileTalking) {
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  // The plug-in's opening asked the Object Server for its update event.
  EXPECT_EQ(net->server().eventInterval(), 200);

  dial(QStringLiteral("5551234"));
  net->advance(4100);
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w->LabelMessage->text(), "Connect 9600 V.32 V.42/V.42bis");
  EXPECT_EQ(DeviceWindow::LabelColour(w->LabelMessage), kColourBlack);
  EXPECT_TRUE(dialDisabled());

  // Hung up, in manual mode: the dial controls and the device commands come back.
  w->SubMenuReboot->setEnabled(false);
  w->SubMenuPulse->setEnabled(false);
  hangUp();
  net->advance(1100);
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_EQ(w->LabelMessage->text(), "");
  EXPECT_TRUE(dialEnabled());
  EXPECT_TRUE(w->SubMenuReboot->isEnabled());
  EXPECT_TRUE(w->SubMenuPulse->isEnabled());
}

TEST_F(LonMarkStatus, TheUpdateEventLeavesManualOnlyControlsAloneInOtherModes) {
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  w->SubMenuManual->setChecked(false);
  w->CmdDial->setEnabled(false);
  w->ComboPhone->setEnabled(false);
  w->OnUpdateEvent(1, QString(), nullptr);
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(dialDisabled());
  // Another code only sets the message line.
  w->SubMenuManual->setChecked(true);
  w->LabelConnectStatus->setText("shown");
  w->SetMessage("red", kColourRed);
  w->OnUpdateEvent(7, QString(), nullptr);
  EXPECT_EQ(w->LabelConnectStatus->text(), "shown");
  EXPECT_EQ(w->LabelMessage->text(), "");
  EXPECT_EQ(DeviceWindow::LabelColour(w->LabelMessage), kColourBlack);
  EXPECT_TRUE(dialDisabled());
}

TEST_F(LonMarkStatus, WithoutAModemShownTheUpdateEventChangesNothing) {
  net->setModem(device(), 0, rlxsim::Presence::NotReady);
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  ASSERT_EQ(w->LabelMessage->text(), "Modem not ready, or port is disabled");
  // Another modem's call changes variables of the device.
  net->lonMarkObject(MMain.ExternalModem1ObjectName)->NetworkVariables()->Item("nviDialStr2")->SetValue("777");
  net->advance(4100);
  w->OnUpdateEvent(1, QString(), nullptr);
  EXPECT_EQ(w->LabelMessage->text(), "Modem not ready, or port is disabled");
  EXPECT_EQ(DeviceWindow::LabelColour(w->LabelMessage), kColourRed);
  EXPECT_EQ(w->LabelConnectStatus->text(), " ");
  EXPECT_FALSE(w->CmdDial->isEnabled());
}

TEST_F(LonMarkStatus, OpeningDuringACallShowsTheNumberInUse) {
  dialStrings()->SetElement(4, QStringLiteral("5550004"));
  dial(QStringLiteral("5551234"));
  net->advance(4100);
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w->LabelMessage->text(), "Connect 9600 V.32 V.42/V.42bis");
  EXPECT_FALSE(w->CmdDial->isEnabled());
  EXPECT_EQ(w->ComboPhone->currentText(), "5551234");

  // A phonebook entry with that number is shown by its description.
  hangUp();
  net->advance(1100);
  dialStrings()->SetElement(4, QStringLiteral(" 5551234 "));
  describe(4, QStringLiteral("Head office"));
  dial(QStringLiteral("5551234"));
  net->advance(4100);
  configureObject(MMain.InternalModemObjectName);
  EXPECT_EQ(w->ComboPhone->currentText(), "Head office");
}

TEST_F(LonMarkStatus, PerpetualModeShowsTheEntryBeingDialled) {
  dialStrings()->SetElement(3, QStringLiteral("5550003"));
  describe(3, QStringLiteral("Branch"));
  setDialMode(QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  EXPECT_TRUE(w->SubMenuLocalPerpetual->isChecked());
  EXPECT_FALSE(w->SubMenuManual->isChecked());
  EXPECT_FALSE(w->MenuDialOnDemand->isChecked());
  EXPECT_EQ(w->ComboPhone->currentText(), "Dialing Branch in Perpetual Mode.");
  EXPECT_FALSE(w->ComboPhone->isEnabled());
  EXPECT_FALSE(w->CmdDial->isEnabled());

  // Without a description the dial string names the entry.
  describe(3, QString());
  configureObject(MMain.InternalModemObjectName);
  EXPECT_EQ(w->ComboPhone->currentText(), "Dialing 5550003 in Perpetual Mode.");
}

TEST_F(LonMarkStatus, DialOnDemandIsMarked) {
  setDialMode(QStringLiteral("DOD,2,5,60,3,0,0,0,0,0,0"));
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  EXPECT_TRUE(w->MenuDialOnDemand->isChecked());
  EXPECT_FALSE(w->SubMenuManual->isChecked());
  EXPECT_FALSE(w->SubMenuLocalPerpetual->isChecked());
  EXPECT_TRUE(w->CmdDial->isEnabled());
}

TEST_F(LonMarkStatus, AutoAnswerShowsTheFirmwaresProperty) {
  // From 3.2 on the device uses UCPT_AutoAnswer ("True"/"False").
  internal()->ConfigProperties()->Item(QStringLiteral("UCPT_AutoAnswer"))->SetValue(QStringLiteral("False"));
  configureObject(MMain.InternalModemObjectName);
  EXPECT_FALSE(main()->SubMenuAutoAnswer->isChecked());
  internal()->ConfigProperties()->Item(QStringLiteral("UCPT_AutoAnswer"))->SetValue(QStringLiteral("True"));
  configureObject(MMain.InternalModemObjectName);
  EXPECT_TRUE(main()->SubMenuAutoAnswer->isChecked());

  // Before 3.2 it is UCPT_AAnswer ("1.1 1"/"0.0 0").
  net->change(device(), [](rlxsim::DeviceState& s) { s.firmware = QStringLiteral("3.10"); });
  internal()->ConfigProperties()->Item(QStringLiteral("UCPT_AAnswer"))->SetValue(QStringLiteral("0.0 0"));
  configureObject(MMain.InternalModemObjectName);
  EXPECT_FALSE(main()->SubMenuAutoAnswer->isChecked());
}

}  // namespace
