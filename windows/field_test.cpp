// The main windows with routers as they are in the field: a router that falls
// silent mid-session and comes back, a reboot that never ends, and what the
// windows themselves must get right while the router is healthy (perpetual
// mode, unknown firmware, input audio, typed numbers, dialogs and marks left
// from another object, the modem switch).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "device_protocol/requests.h"
#include "windows/fdialondemand.h"
#include "windows/fperpetual.h"
#include "windows/modem_options.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;
namespace dp = device_protocol;

namespace {

class Field : public ExplicitWindowTest {
 protected:
  lns::AppDevicePtr lonMark() { return net->lonMarkDevice(); }
  lns::LonMarkObjectPtr modemObject(const QString& name) { return net->lonMarkObject(name); }
  QString cp(const QString& object, const char* name) {
    return modemObject(object)->ConfigProperties()->Item(QString::fromLatin1(name))->Value();
  }
  static bool dialOff(DeviceWindow* w) { return !w->CmdDial->isEnabled() && !w->ComboPhone->isEnabled(); }
  static QString marks(DeviceWindow* w) {
    return QString::number(w->ManualItem->isChecked()) + QString::number(w->PerpetualItem->isChecked()) +
           QString::number(w->MenuDialOnDemand->isChecked());
  }
  // A call up on the explicit router's internal modem, as the poll sees it.
  void talkingExplicit() {
    net->scriptReply(device(), "00 01 53 00", "1\t53\t0\t9\t0");
    net->scriptReply(device(), "00 01 57 00", "1\t57\t0\t9\t1\t3");
    w()->Timer2Tick();
    ASSERT_EQ(w()->LabelMessage->text(), "Connect 9600 V.32 V.42/V.42bis");
    net->clearScripts();
  }
  // Types into ComboPhone as the operator does.
  static void type(DeviceWindow* w, const QString& text) {
    w->ComboPhone->lineEdit()->clear();
    QTest::keyClicks(w->ComboPhone->lineEdit(), text);
  }
};

// --- a router that falls silent --------------------------------------------------

TEST_F(Field, ASilentRouterIsNamedInTheMessageLineUntilItAnswersAgain) {
  configureExplicitDevice();
  talkingExplicit();
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "");
  EXPECT_EQ(w()->LabelMessage->text(), "No Response from RLX");
  EXPECT_EQ(DeviceWindow::LabelColour(w()->LabelMessage), kColourRed);
  EXPECT_TRUE(dialOff(w()));
  // Call Cancel cannot be confirmed: the operator is told.
  w()->CmdCallCancel->click();
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_TRUE(scriptedUi().boxes()[0].text.contains("does not respond"));

  net->setFault(device(), rlxsim::Fault::None);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_EQ(w()->LabelMessage->text(), "");
  EXPECT_FALSE(dialOff(w()));

  // The LonMark window likewise.
  configureObject(MMain.InternalModemObjectName);
  fMain* m = main();
  m->Timer1Tick();
  ASSERT_EQ(m->LabelConnectStatus->text(), "TEL_NOTINUSE");
  net->setFault(lonMark(), rlxsim::Fault::NoAnswer);
  m->Timer1Tick();
  EXPECT_EQ(m->LabelConnectStatus->text(), "");
  EXPECT_EQ(m->LabelMessage->text(), "No response from RLX-LonMark");
  EXPECT_TRUE(dialOff(m));
  net->setFault(lonMark(), rlxsim::Fault::None);
  m->Timer1Tick();
  EXPECT_EQ(m->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_EQ(m->LabelMessage->text(), "");
  EXPECT_FALSE(dialOff(m));
}

TEST_F(Field, WhileTheRouterStaysSilentThePollBacksOffAndTheWindowStaysUsable) {
  configureExplicitDevice();
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  // A minute of silence on the timer's own schedule: each unanswered poll
  // holds the window for the message's 3 s bound.
  qint64 now = 0;
  qint64 frozen = 0;
  QList<int> intervals;
  while (now < 60'000) {
    w()->Timer2Tick();
    frozen += 3000;
    intervals << w()->Timer2->interval();
    now += 3000 + w()->Timer2->interval();
  }
  EXPECT_EQ(intervals.mid(0, 3), (QList<int>{10'000, 20'000, 30'000}));
  EXPECT_LE(frozen, 9'000) << "the window answers within 0.5 s at least 85 % of the minute";
  net->setFault(device(), rlxsim::Fault::None);
  w()->Timer2Tick();
  EXPECT_EQ(w()->Timer2->interval(), 2000);

  configureObject(MMain.InternalModemObjectName);
  net->setFault(lonMark(), rlxsim::Fault::NoAnswer);
  main()->Timer1Tick();
  EXPECT_EQ(main()->Timer1->interval(), 10'000);
  net->setFault(lonMark(), rlxsim::Fault::None);
  main()->Timer1Tick();
  EXPECT_EQ(main()->Timer1->interval(), 2000);
}

TEST_F(Field, ARebootTheRouterNeverReturnsFromIsBoundedInTimeAndReported) {
  configureExplicitDevice();
  ASSERT_TRUE(w()->Timer2->isActive());
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  bool pollingDuringTheWait = false;
  // Each attempt at a silent router also waits out the message's 3 s bound.
  pacer->onPause = [&] {
    net->advance(3000, false);
    pollingDuringTheWait |= w()->Timer2->isActive();
  };
  const qint64 start = net->now();
  const modem_options::RebootOutcome outcome = modem_options::SoftRebootExplicit(*w());
  EXPECT_FALSE(outcome.deviceBack);
  EXPECT_LE(net->now() - start, 3 * 60'000 + 3'200);
  EXPECT_FALSE(pollingDuringTheWait);
  EXPECT_TRUE(w()->Timer2->isActive());
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_TRUE(scriptedUi().boxes()[0].text.contains("did not come back"));
}

// --- the windows' own faults -----------------------------------------------------------

TEST_F(Field, InPerpetualModeDialStaysOffAndTheShownTextIsNeverDialled) {
  configureExplicitDevice();
  w()->PerpetualItem->setChecked(true);
  w()->ManualItem->setChecked(false);
  w()->ComboPhone->setEditText("Dialing Depot in Perpetual Mode.");
  w()->SetDialControls(false);
  w()->Timer2Tick();  // the line is free between redials
  EXPECT_TRUE(dialOff(w()));
  net->clearSent();
  w()->Dial();
  EXPECT_TRUE(net->sent(device()).isEmpty());

  configureObject(MMain.InternalModemObjectName);
  fMain* m = main();
  m->SubMenuLocalPerpetual->setChecked(true);
  m->SubMenuManual->setChecked(false);
  m->ComboPhone->setEditText("Dialing Depot in Perpetual Mode.");
  m->SetDialControls(false);
  m->Timer1Tick();
  EXPECT_TRUE(dialOff(m));
  m->Dial();
  EXPECT_FALSE(net->traffic(lonMark()).join('\n').contains("Perpetual"));
}

TEST_F(Field, AutoAnswerWaitsForAKnownFirmware) {
  net->setFault(lonMark(), rlxsim::Fault::NoAnswer);
  answerConnectionError({"bNo"});
  configureObject(MMain.InternalModemObjectName);
  fMain* m = main();
  ASSERT_EQ(m->LabelProduct->text(), "RLX Firmware: <not available>");
  EXPECT_FALSE(m->SubMenuAutoAnswer->isEnabled());
  net->setFault(lonMark(), rlxsim::Fault::None);
  m->SubMenuAutoAnswer->trigger();
  modem_options::ToggleAutoAnswerLonMark(*m, modemObject(MMain.InternalModemObjectName));  // even asked directly
  EXPECT_EQ(cp(MMain.InternalModemObjectName, "UCPT_AAnswer"), "1.1 1");
  EXPECT_EQ(cp(MMain.InternalModemObjectName, "UCPT_AutoAnswer"), "True");
}

TEST_F(Field, TheExplicitWindowUnmutesInputAudioWhenItShowsTheInternalModem) {
  explicitWindow()->SubMenuInputAudio->setChecked(true);
  configureExplicitDevice();
  EXPECT_FALSE(w()->SubMenuInputAudio->isChecked());
  EXPECT_TRUE(net->sent(device()).contains(dp::UnmuteInputAudio()));
}

TEST_F(Field, OnlyAnEntryChosenFromTheListDialsAsAnEntry) {
  configureExplicitDevice();
  entry(4, "5551234", QString());
  w()->refillPhoneList();
  ASSERT_GE(w()->ComboPhone->findText("5551234"), 0);
  const QString autoAnswerOff = dp::AutoAnswerOff(dp::ModemSelector::Internal);
  type(w(), "5551234");
  net->clearSent();
  w()->Dial();
  EXPECT_FALSE(net->sent(device()).contains(autoAnswerOff));
  EXPECT_TRUE(net->sent(device()).contains(dp::DialNumber(dp::ModemSelector::Internal, "5551234")));
  EXPECT_EQ(autoAnswerRecord(), "111");

  // Chosen from the list, the same line is the phonebook's entry.
  w()->SetDialControls(true);
  const int line = w()->ComboPhone->findText("5551234");
  w()->ComboPhone->setCurrentIndex(line);
  emit w()->ComboPhone->activated(line);
  net->clearSent();
  w()->Dial();
  EXPECT_TRUE(net->sent(device()).contains(autoAnswerOff));
}

TEST_F(Field, DialModeDialogsDoNotOutliveTheirObject) {
  configureObject(MMain.InternalModemObjectName);
  fMain* m = main();
  m->MenuDialOnDemand->trigger();
  auto* onDemand = m->findChild<fDialOnDemand*>();
  ASSERT_TRUE(onDemand && onDemand->isVisible());
  // Perpetual is modal: a director configures another modem while it is open.
  bool writable = true;
  scriptedUi().onModal([&](QDialog* d) {
    configureObject(MMain.ExternalModem1ObjectName);
    if (auto* perpetual = qobject_cast<fPerpetual*>(d)) {
      perpetual->ComboPhonebook->addItem("5550003");
      perpetual->ComboPhonebook->setCurrentIndex(0);
      writable = perpetual->PerpetualDial();
    }
    return 0;
  });
  m->SubMenuLocalPerpetual->trigger();
  EXPECT_FALSE(onDemand->isVisible());
  EXPECT_FALSE(writable);
  EXPECT_FALSE(cp(MMain.InternalModemObjectName, "UCPT_DialMode").startsWith("PERPETUAL"));
  EXPECT_FALSE(m->SubMenuLocalPerpetual->isChecked());
}

TEST_F(Field, ChoosingAModemShowsItsLineAtOnce) {
  configureExplicitDevice();
  ASSERT_EQ(w()->ComboModem->currentText(), MMain.InternalModemObjectName);
  net->scriptReply(device(), "00 01 53 02", "1\t53\t0\t9\t0");
  w()->ComboModem->setCurrentText(MMain.ExternalModem1ObjectName);
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_FALSE(w()->CmdDial->isEnabled());
}

TEST_F(Field, EachOpenStartsFromTheObjectsOwnState) {
  modemObject(MMain.DeviceLevelObjectName)
      ->ConfigProperties()
      ->Item(QStringLiteral("UCPT_DialString"))
      ->SetElement(3, QStringLiteral("5550003"));
  configureObject(MMain.InternalModemObjectName);
  fMain* m = main();
  ASSERT_TRUE(m->SubMenuAutoAnswer->isChecked());
  ASSERT_EQ(marks(m), "100");
  ASSERT_GT(m->ComboPhone->count(), 0);
  configureLonMarkDevice();
  EXPECT_FALSE(m->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(marks(m), "000");
  EXPECT_EQ(m->ComboPhone->count(), 0);

  m->MenuDialOnDemand->setChecked(true);
  net->setOffNet(true);
  configureObject(MMain.ExternalModem1ObjectName);
  EXPECT_FALSE(m->MenuDialOnDemand->isChecked());
  net->setOffNet(false);
}

}  // namespace
