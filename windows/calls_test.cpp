// Dialling and call cancel from both main windows on the simulated network:
// typed numbers and phonebook lines, the explicit family's auto-answer step
// and its bounded wait, and the call seen through to talking and back.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "windows/modem_options.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

const QString kEmptyNumber = QStringLiteral("Please Select or type a phone number to dial.");

// --- LonMark family ----------------------------------------------------------------

class LonMarkCalls : public WindowTest {
 protected:
  lns::AppDevicePtr device() { return net->lonMarkDevice(); }
  lns::LonMarkObjectPtr internal() { return net->lonMarkObject(MMain.InternalModemObjectName); }
  lns::ConfigPropertyPtr dialStrings() {
    return net->lonMarkObject(MMain.DeviceLevelObjectName)->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  }
  QString dialMode() { return internal()->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"))->Value(); }
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
  // The internal modem's window with a fresh traffic log.
  fMain* open() {
    configureObject(MMain.InternalModemObjectName);
    trafficStart = net->traffic(device()).size();
    return main();
  }
  QStringList traffic() { return net->traffic(device()).mid(trafficStart); }
  void choose(QComboBox* combo, const QString& line) {
    const int index = combo->findText(line);
    ASSERT_GE(index, 0) << line.toStdString();
    combo->setCurrentIndex(index);
  }
  qsizetype trafficStart = 0;
};

TEST_F(LonMarkCalls, ATypedNumberIsDialledAsTypedAndTheCallFollowedToTheEnd) {
  fMain* w = open();
  w->ComboPhone->setEditText(QStringLiteral(" 555 1234 "));
  w->CmdDial->click();
  EXPECT_EQ(traffic(), QStringList{"nviDialStr1= 555 1234 "});
  EXPECT_FALSE(w->CmdDial->isEnabled());
  EXPECT_FALSE(w->ComboPhone->isEnabled());
  EXPECT_TRUE(w->CmdCallCancel->isEnabled());
  // A typed number leaves the dial mode alone.
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");

  net->advance(1000);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_DIALING");
  net->advance(3100);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w->LabelMessage->text(), "Connect 9600 V.32 V.42/V.42bis");

  w->CmdCallCancel->click();
  EXPECT_EQ(traffic().last(), "nviCallCancel1=1 1");
  EXPECT_EQ(w->ComboPhone->currentText(), "");  // manual mode: the number goes
  net->advance(1100);
  w->Timer1Tick();
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(w->CmdDial->isEnabled());
  EXPECT_TRUE(w->ComboPhone->isEnabled());
  EXPECT_EQ(net->state(device()).modems[0].stats.hangups[2], 1);  // one "User Call Cancel"
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(LonMarkCalls, APhonebookLineDialsItsTrimmedNumberAndRecordsTheEntry) {
  dialStrings()->SetElement(12, QStringLiteral(" 5550012 "));
  describe(12, QStringLiteral("Depot"));
  dialStrings()->SetElement(3, QStringLiteral("0041223456789"));
  fMain* w = open();
  // Lines name entries by description, else by number.
  EXPECT_GE(w->ComboPhone->findText("Depot"), 0);
  EXPECT_GE(w->ComboPhone->findText("0041223456789"), 0);

  choose(w->ComboPhone, "Depot");
  w->CmdDial->click();
  EXPECT_EQ(traffic(), (QStringList{"nviDialStr1=5550012", "UCPT_DialMode=MANUAL,12,0,0,0,0,0,0,0,0,0"}));
  EXPECT_TRUE(w->SubMenuManual->isChecked());
  EXPECT_FALSE(w->CmdDial->isEnabled());
  net->advance(4100);
  EXPECT_EQ(net->state(device()).modems[0].number, "5550012");

  // A line named by its number.
  w->CmdCallCancel->click();
  net->advance(1100);
  w->Timer1Tick();
  ASSERT_TRUE(w->CmdDial->isEnabled());
  trafficStart = net->traffic(device()).size();
  choose(w->ComboPhone, "0041223456789");
  w->CmdDial->click();
  EXPECT_EQ(traffic(), (QStringList{"nviDialStr1=0041223456789", "UCPT_DialMode=MANUAL,3,0,0,0,0,0,0,0,0,0"}));
}

TEST_F(LonMarkCalls, ALineOfTheListInTheFieldDialsItsEntryHoweverItGotThere) {
  dialStrings()->SetElement(12, QStringLiteral(" 5550012 "));
  describe(12, QStringLiteral("Depot"));
  fMain* w = open();
  // The window shows an entry by its description (as it does for the number
  // in use), or the operator types a line's text: either names the entry.
  w->ComboPhone->setEditText(QStringLiteral("Depot"));
  ASSERT_EQ(w->ComboPhone->currentIndex(), -1);
  w->CmdDial->click();
  EXPECT_EQ(traffic(), (QStringList{"nviDialStr1=5550012", "UCPT_DialMode=MANUAL,12,0,0,0,0,0,0,0,0,0"}));
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(LonMarkCalls, DialingAnEntryInDialOnDemandModeLeavesManualModeMarked) {
  internal()->ConfigProperties()->Item("UCPT_DialMode")->SetValue("DOD,0,3,60,2,0,0,0,0,0,0");
  dialStrings()->SetElement(2, QStringLiteral("5550002"));
  fMain* w = open();
  ASSERT_TRUE(w->MenuDialOnDemand->isChecked());
  choose(w->ComboPhone, "5550002");
  w->CmdDial->click();
  EXPECT_EQ(dialMode(), "MANUAL,2,0,0,0,0,0,0,0,0,0");
  EXPECT_TRUE(w->SubMenuManual->isChecked());
  EXPECT_FALSE(w->SubMenuLocalPerpetual->isChecked());
  EXPECT_FALSE(w->MenuDialOnDemand->isChecked());
}

TEST_F(LonMarkCalls, EnterInThePhoneNumberDialsOnlyWhileDialingIsPossible) {
  fMain* w = open();
  w->show();
  QTest::keyClicks(w->ComboPhone->lineEdit(), QStringLiteral("777"));
  QTest::keyClick(w->ComboPhone->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(traffic(), QStringList{"nviDialStr1=777"});

  // While Dial cannot be used, Enter does nothing either.
  w->CmdCallCancel->click();
  net->advance(1100);
  w->Timer1Tick();
  trafficStart = net->traffic(device()).size();
  w->CmdDial->setEnabled(false);
  QTest::keyClicks(w->ComboPhone->lineEdit(), QStringLiteral("888"));
  QTest::keyClick(w->ComboPhone->lineEdit(), Qt::Key_Enter);
  EXPECT_TRUE(traffic().isEmpty());
  w->hide();
}

TEST_F(LonMarkCalls, NothingIsSentWithoutANumberOrForALineThatNamesNoEntry) {
  dialStrings()->SetElement(12, QStringLiteral("5550012"));
  describe(12, QStringLiteral("Depot"));
  fMain* w = open();
  w->CmdDial->click();
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text, kEmptyNumber);
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Notice");
  EXPECT_EQ(scriptedUi().boxes()[0].buttons, platform::MsgButtons::Ok);
  EXPECT_TRUE(w->CmdDial->isEnabled());

  // The phonebook changed since the list was made: the line names nothing.
  choose(w->ComboPhone, "Depot");
  describe(12, QStringLiteral("Head office"));
  w->CmdDial->click();
  ASSERT_EQ(scriptedUi().boxes().size(), 2);
  EXPECT_EQ(scriptedUi().boxes()[1].text, "\"Depot\" is not an entry of the phonebook.");
  EXPECT_EQ(scriptedUi().boxes()[1].title, "Notice");
  EXPECT_TRUE(traffic().isEmpty());
  EXPECT_TRUE(w->CmdDial->isEnabled());
  EXPECT_TRUE(w->ComboPhone->isEnabled());
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(LonMarkCalls, CallCancelKeepsTheTextOutsideManualMode) {
  fMain* w = open();
  w->ComboPhone->setEditText("5551234");
  w->SubMenuManual->setChecked(false);
  w->MenuDialOnDemand->setChecked(true);
  w->CmdCallCancel->click();
  EXPECT_EQ(traffic(), QStringList{"nviCallCancel1=1 1"});
  EXPECT_EQ(w->ComboPhone->currentText(), "5551234");
}

TEST_F(LonMarkCalls, ExternalModemsUseTheirOwnVariables) {
  configureObject(MMain.ExternalModem2ObjectName);
  fMain* w = main();
  const qsizetype start = net->traffic(device()).size();
  w->ComboPhone->setEditText("42");
  w->CmdDial->click();
  w->CmdCallCancel->click();
  EXPECT_EQ(net->traffic(device()).mid(start), (QStringList{"nviDialStrEx2=42", "nviCallCancelEx2=1 1"}));
}

// --- explicit family ------------------------------------------------------------------

class ExplicitCalls : public ExplicitWindowTest {
 protected:
  // The window on the chosen modem, its list filled, a fresh request record.
  void open(int modem = 0) {
    configureExplicitDevice();
    entry(5, QStringLiteral(" 5550005 "), QStringLiteral("Depot"));
    entry(6, QStringLiteral("5550006"), QString());
    if (w()->ComboModem->currentIndex() != modem)
      w()->ComboModem->setCurrentIndex(modem);
    else
      w()->ModemSelection();  // the list again, with the entries
    net->clearSent();
    scriptedUi().clear();
  }
  void choose(const QString& line) {
    const int index = w()->ComboPhone->findText(line);
    ASSERT_GE(index, 0) << line.toStdString();
    w()->ComboPhone->setCurrentIndex(index);
  }
  QStringList sent() { return net->sent(device()); }
};

TEST_F(ExplicitCalls, ATypedNumberIsSentAsTypedAndTheCallFollowed) {
  open();
  w()->ComboPhone->setEditText(QStringLiteral("9,123"));
  w()->CmdDial->click();
  EXPECT_EQ(sent(), QStringList{"00 01 32 00 57 44 49 50 51 0"});
  EXPECT_FALSE(w()->CmdDial->isEnabled());
  EXPECT_FALSE(w()->ComboPhone->isEnabled());
  // A typed number does not touch auto answer.
  EXPECT_EQ(autoAnswerRecord(), "111");
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());

  net->advance(1000);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_DIALING");
  net->advance(3100);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_TALKING");
  EXPECT_EQ(w()->LabelMessage->text(), "Connect 9600 V.32 V.42/V.42bis");
  EXPECT_EQ(net->state(device()).modems[0].number, "9,123");

  net->clearSent();
  w()->CmdCallCancel->click();
  EXPECT_EQ(sent(), QStringList{"00 01 08 00"});
  // Manual mode: the dial controls come back at once, the number goes.
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_TRUE(w()->ComboPhone->isEnabled());
  EXPECT_TRUE(w()->ComboModem->isEnabled());
  EXPECT_EQ(w()->ComboPhone->currentText(), "");
  net->advance(1100);
  w()->Timer2Tick();
  EXPECT_EQ(w()->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitCalls, BlanksAroundATypedNumberAreSent) {
  open();
  w()->ComboPhone->setEditText(QStringLiteral(" 12 "));
  w()->CmdDial->click();
  EXPECT_EQ(sent(), QStringList{"00 01 32 00 32 49 50 32 0"});
}

TEST_F(ExplicitCalls, APhonebookLineSwitchesAutoAnswerOffThenDialsTheTrimmedNumber) {
  open();
  choose("Depot");
  w()->CmdDial->click();
  EXPECT_EQ(sent(),
            (QStringList{"00 01 61 00 00", "00 01 65 00 00", "00 01 61 00 00", "00 01 32 00 53 53 53 48 48 48 53 0"}));
  EXPECT_EQ(autoAnswerRecord(), "011");
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_FALSE(net->state(device()).modems[0].autoAnswer);
  // The modem counted the hang-up of switching auto answer off (value 6).
  EXPECT_EQ(w()->ListData->item(6)->text(), "1");
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_EQ(pacer->pauses, 0);  // confirmed at the first look
  net->advance(4100);
  EXPECT_EQ(net->state(device()).modems[0].number, "5550005");

  // An entry without description is named by its number.
  w()->CmdCallCancel->click();
  net->advance(1100);
  net->clearSent();
  choose("5550006");
  w()->CmdDial->click();
  EXPECT_EQ(sent().last(), "00 01 32 00 53 53 53 48 48 48 54 0");
}

TEST_F(ExplicitCalls, ExternalModem2DoesNotWaitForTheConfirmation) {
  open(2);
  ASSERT_EQ(w()->ComboModem->currentText(), MMain.ExternalModem2ObjectName);
  // Even a count that never moves is read once only.
  net->scriptReply(device(), "00 01 61 03 00", "1\t61\t3\t0\t0\t0\t4\t0\t0\t0\t0\t0\t0\t0\t0");
  choose("Depot");
  w()->CmdDial->click();
  EXPECT_EQ(sent(),
            (QStringList{"00 01 61 03 00", "00 01 65 03 00", "00 01 61 03 00", "00 01 32 03 53 53 53 48 48 48 53 0"}));
  EXPECT_EQ(autoAnswerRecord(), "110");
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitCalls, TheWaitForTheModemEndsAfterItsPolls) {
  open(1);
  // The user-cancel count (value 6) stays at 4 whatever happens.
  net->scriptReply(device(), "00 01 61 02 00", "1\t61\t2\t0\t0\t0\t4\t0\t0\t0\t0\t0\t0\t0\t0");
  choose("Depot");
  w()->CmdDial->click();
  const QStringList requests = sent();
  EXPECT_EQ(requests.count("00 01 61 02 00"), 1 + modem_options::kAutoAnswerOffPolls);
  EXPECT_EQ(pacer->pauses, modem_options::kAutoAnswerOffPolls - 1);
  EXPECT_LT(pacer->pausedMs, modem_options::kAutoAnswerOffLimitMs);
  // The dial goes on, then the operator hears that nothing confirmed it.
  EXPECT_EQ(requests.last(), "00 01 32 02 53 53 53 48 48 48 53 0");
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text, "Auto Answer could not be confirmed off before dialing.");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Notice");
  EXPECT_EQ(autoAnswerRecord(), "101");  // the device took the off message
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(ExplicitCalls, AClickDuringTheWaitIsNotASecondCall) {
  open();
  net->scriptReply(device(), "00 01 61 00 00", "1\t61\t0\t0\t0\t0\t4\t0\t0\t0\t0\t0\t0\t0\t0");
  pacer->onPause = [this] {
    // The status poll may have given the button back meanwhile.
    w()->CmdDial->setEnabled(true);
    w()->CmdDial->click();
  };
  choose("Depot");
  w()->CmdDial->click();
  EXPECT_EQ(sent().count("00 01 65 00 00"), 1);
  EXPECT_EQ(sent().filter(QRegularExpression("^00 01 32 ")).size(), 1);
  // Once it is over, Dial works again.
  pacer->onPause = nullptr;
  net->clearScripts();
  w()->CmdDial->setEnabled(true);
  w()->ComboPhone->setEnabled(true);
  w()->ComboPhone->setEditText("42");
  w()->CmdDial->click();
  EXPECT_EQ(sent().last(), "00 01 32 00 52 50 0");
}

TEST_F(ExplicitCalls, TheWaitForTheModemEndsAtItsTimeLimit) {
  open();
  net->scriptReply(device(), "00 01 61 00 00", "1\t61\t0\t0\t0\t0\t4\t0\t0\t0\t0\t0\t0\t0\t0");
  // Every pause of the wait takes a second of network time here.
  pacer->onPause = [this] { net->advance(800); };
  choose("Depot");
  w()->CmdDial->click();
  // 1000 ms per pause: the sixth look after the off message is at the limit.
  EXPECT_EQ(sent().count("00 01 61 00 00"), 1 + 6);
  EXPECT_EQ(pacer->pauses, 5);
  EXPECT_EQ(sent().last(), "00 01 32 00 53 53 53 48 48 48 53 0");
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Auto Answer could not be confirmed off before dialing."});
}

TEST_F(ExplicitCalls, WithoutAFirstCountTheDialDoesNotWait) {
  open();
  net->scriptSilence(device(), "00 01 61 00 00");
  choose("Depot");
  w()->CmdDial->click();
  EXPECT_EQ(sent(), (QStringList{"00 01 61 00 00", "00 01 65 00 00", "00 01 32 00 53 53 53 48 48 48 53 0"}));
  EXPECT_EQ(pacer->pauses, 0);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Auto Answer could not be confirmed off before dialing."});
}

TEST_F(ExplicitCalls, AFailedAutoAnswerOffIsReportedAndTheDialGoesOn) {
  open();
  net->scriptFailure(device(), "00 01 65 00 00");
  choose("Depot");
  w()->CmdDial->click();
  EXPECT_EQ(sent(), (QStringList{"00 01 61 00 00", "00 01 65 00 00", "00 01 32 00 53 53 53 48 48 48 53 0"}));
  // The device did not take it: the record and the mark say it is on.
  EXPECT_EQ(autoAnswerRecord(), "111");
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text, "Failed to set Auto Answer due to data server error 'Message Failed'.");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Error!");
}

TEST_F(ExplicitCalls, NothingIsSentWithoutANumberOrForALineThatNamesNoEntry) {
  open();
  w()->CmdDial->click();
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{kEmptyNumber});
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Notice");
  choose("Depot");
  record("ZevExplicitPhonebook5")->SetField(2, "Moved");
  w()->CmdDial->click();
  EXPECT_EQ(scriptedUi().boxTexts().last(), "\"Depot\" is not an entry of the phonebook.");
  EXPECT_TRUE(sent().isEmpty());
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_EQ(autoAnswerRecord(), "111");
}

TEST_F(ExplicitCalls, CallCancelOutsideManualModeKeepsTheControls) {
  open(1);
  w()->MenuManual->setChecked(false);
  w()->MenuPerpetual->setChecked(true);
  w()->CmdDial->setEnabled(false);
  w()->ComboPhone->setEditText("Dialing Depot in Perpetual Mode.");
  w()->CmdCallCancel->click();
  EXPECT_EQ(sent(), QStringList{"00 01 08 02"});
  EXPECT_FALSE(w()->CmdDial->isEnabled());
  EXPECT_EQ(w()->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
}

}  // namespace
