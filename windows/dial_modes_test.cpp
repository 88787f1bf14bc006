// The dial modes of both main windows on the simulated network: Manual,
// Perpetual through fPerpetual (with the explicit family's auto-answer step),
// Dial On Demand through fDialOnDemand, and the check marks that follow.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "windows/dial_modes.h"
#include "windows/fdialondemand.h"
#include "windows/fperpetual.h"
#include "windows/modem_options.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

// Which of Manual, Perpetual and Dial On Demand carry the mark.
QString marks(DeviceWindow* w) {
  return QString::number(w->ManualItem->isChecked()) + QString::number(w->PerpetualItem->isChecked()) +
         QString::number(w->MenuDialOnDemand->isChecked());
}

QStringList lines(const QComboBox* combo) {
  QStringList out;
  for (int i = 0; i < combo->count(); ++i)
    out << combo->itemText(i);
  return out;
}

// --- LonMark family ----------------------------------------------------------------

class LonMarkModes : public WindowTest {
 protected:
  lns::AppDevicePtr device() { return net->lonMarkDevice(); }
  lns::LonMarkObjectPtr internal() { return net->lonMarkObject(MMain.InternalModemObjectName); }
  lns::ConfigPropertyPtr dialStrings() {
    return net->lonMarkObject(MMain.DeviceLevelObjectName)->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  }
  QString dialMode() { return internal()->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"))->Value(); }
  void setDialMode(const QString& text) {
    internal()->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"))->SetValue(text);
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
  fMain* open() {
    dialStrings()->SetElement(3, QStringLiteral("5550003"));
    dialStrings()->SetElement(12, QStringLiteral("5550012"));
    describe(12, QStringLiteral("Depot"));
    configureObject(MMain.InternalModemObjectName);
    scriptedUi().clear();
    return main();
  }
  // Runs the Perpetual command; inside the dialog, `act` chooses and dials.
  void perpetual(fMain* w, const std::function<void(fPerpetual*)>& act) {
    scriptedUi().onModal([&](QDialog* d) {
      auto* dialog = qobject_cast<fPerpetual*>(d);
      EXPECT_NE(dialog, nullptr);
      if (dialog)
        act(dialog);
      return 0;
    });
    w->SubMenuLocalPerpetual->trigger();
  }
};

TEST_F(LonMarkModes, PerpetualDialsTheChosenEntryAndShowsIt) {
  fMain* w = open();
  ASSERT_EQ(marks(w), "100");
  QStringList shown;
  QString title;
  perpetual(w, [&](fPerpetual* d) {
    shown = lines(d->ComboPhonebook);
    title = d->windowTitle();
    EXPECT_EQ(d->ComboPhonebook->currentIndex(), -1);
    EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
    d->ComboPhonebook->setCurrentIndex(d->ComboPhonebook->findText("Depot"));
    d->CmdDial->click();
  });
  EXPECT_EQ(title, "Perpetual Mode");
  EXPECT_EQ(shown, (QStringList{"5550003", "Depot"}));
  EXPECT_EQ(scriptedUi().modalsShown(), QStringList{"fPerpetual"});
  EXPECT_EQ(dialMode(), "PERPETUAL,12,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(marks(w), "010");
  EXPECT_EQ(w->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
  EXPECT_FALSE(w->ComboPhone->isEnabled());
  EXPECT_FALSE(w->CmdDial->isEnabled());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  // The modem now keeps calling the entry by itself.
  net->advance(100);
  EXPECT_EQ(net->state(device()).modems[0].number, "5550012");

  // Opening the modem again reads the mode back.
  configureObject(MMain.InternalModemObjectName);
  EXPECT_EQ(marks(w), "010");
  EXPECT_EQ(w->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
}

TEST_F(LonMarkModes, PerpetualDialWithoutAChoiceOrWithAnEditedTextSetsNothing) {
  fMain* w = open();
  perpetual(w, [&](fPerpetual* d) {
    EXPECT_FALSE(d->PerpetualDial());
    d->ComboPhonebook->setCurrentIndex(0);
    d->ComboPhonebook->setEditText("555000");
    EXPECT_FALSE(d->PerpetualDial());
  });
  ASSERT_EQ(scriptedUi().boxes().size(), 2);
  EXPECT_EQ(scriptedUi().boxes()[0].text, "You must select a contact to dial!");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Notice!");
  EXPECT_EQ(scriptedUi().boxes()[1].text, "You must select a contact to dial!");
  EXPECT_EQ(scriptedUi().boxes()[1].title, "Notice!");
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(marks(w), "100");
  EXPECT_TRUE(w->CmdDial->isEnabled());
}

TEST_F(LonMarkModes, ALineThePhonebookNoLongerHoldsIsRefused) {
  fMain* w = open();
  perpetual(w, [&](fPerpetual* d) {
    d->ComboPhonebook->setCurrentIndex(d->ComboPhonebook->findText("5550003"));
    dialStrings()->SetElement(3, QString());
    EXPECT_FALSE(d->PerpetualDial());
  });
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"\"5550003\" is not an entry of the phonebook."});
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(marks(w), "100");
}

TEST_F(LonMarkModes, AFailedPerpetualWriteIsShownAndChangesNothing) {
  fMain* w = open();
  perpetual(w, [&](fPerpetual* d) {
    d->ComboPhonebook->setCurrentIndex(0);
    net->setFault(device(), rlxsim::Fault::NoAnswer);
    EXPECT_FALSE(d->PerpetualDial());
    net->setFault(device(), rlxsim::Fault::None);
  });
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text, "Routers/RLX-LonMark does not answer");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "RLX_Plug");
  EXPECT_EQ(marks(w), "100");
  EXPECT_TRUE(w->ComboPhone->isEnabled());
  EXPECT_EQ(w->ComboPhone->currentText(), "");
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
}

TEST_F(LonMarkModes, ManualEndsPerpetualModeAndGivesTheDialControlsBack) {
  setDialMode(QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  fMain* w = open();
  ASSERT_EQ(marks(w), "010");
  ASSERT_FALSE(w->ComboPhone->isEnabled());
  w->SubMenuReboot->setEnabled(false);
  w->SubMenuManual->trigger();
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(marks(w), "100");
  EXPECT_EQ(w->ComboPhone->currentText(), "");
  EXPECT_TRUE(w->ComboPhone->isEnabled());
  EXPECT_TRUE(w->CmdDial->isEnabled());
  EXPECT_TRUE(w->SubMenuReboot->isEnabled());
  EXPECT_TRUE(w->SubMenuPulse->isEnabled());
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(LonMarkModes, ManualLeavesTheDialControlsOffNetOrOnceTheWindowDisabledThem) {
  setDialMode(QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  fMain* w = open();
  MMain.DialControlsDisabled = true;
  w->SubMenuManual->trigger();
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(marks(w), "100");
  EXPECT_FALSE(w->CmdDial->isEnabled());
  EXPECT_FALSE(w->ComboPhone->isEnabled());

  MMain.DialControlsDisabled = false;
  setDialMode(QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  dial_modes::SetMarks(*w, device_protocol::DialMode::Perpetual);
  net->setOffNet(true);
  w->SubMenuManual->trigger();
  EXPECT_EQ(marks(w), "100");
  EXPECT_FALSE(w->CmdDial->isEnabled());
  EXPECT_EQ(dialMode(), "MANUAL,0,0,0,0,0,0,0,0,0,0");  // in the database
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  net->setOffNet(false);
}

TEST_F(LonMarkModes, AFailedManualWriteIsShownAndKeepsTheMarks) {
  setDialMode(QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  fMain* w = open();
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  w->SubMenuManual->trigger();
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Routers/RLX-LonMark does not answer"});
  EXPECT_EQ(marks(w), "010");
  EXPECT_FALSE(w->ComboPhone->isEnabled());
  EXPECT_EQ(w->ComboPhone->currentText(), "Dialing 5550003 in Perpetual Mode.");
}

TEST_F(LonMarkModes, DialOnDemandWritesTheChosenSettings) {
  fMain* w = open();
  w->MenuDialOnDemand->trigger();
  auto* d = w->findChild<fDialOnDemand*>();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(scriptedUi().modalsShown(), QStringList{"fDialOnDemand"});
  EXPECT_TRUE(d->isVisible());
  EXPECT_FALSE(d->isModal());
  EXPECT_EQ(d->windowTitle(), "Dial On Demand Settings");
  EXPECT_EQ(lines(d->Combo1), lines(d->Combo2));
  EXPECT_EQ(lines(d->Combo1).size(), 16);
  EXPECT_EQ(lines(d->Combo3), (QStringList{"15", "30", "45", "60", "75", "90", "105", "120"}));
  EXPECT_EQ(lines(d->Combo4), (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  EXPECT_EQ(d->Combo1->currentText() + d->Combo2->currentText() + d->Combo3->currentText() + d->Combo4->currentText(),
            "00150");

  d->Combo1->setCurrentIndex(2);
  d->Combo2->setCurrentIndex(5);
  d->Combo3->setCurrentIndex(3);
  d->Combo4->setCurrentIndex(3);
  d->CmdOk->click();
  EXPECT_EQ(dialMode(), "DOD,2,5,60,3,0,0,0,0,0,0");
  EXPECT_EQ(marks(w), "001");
  EXPECT_FALSE(d->isVisible());

  // Loading again shows what the modem holds; other modes show the first choices.
  w->MenuDialOnDemand->trigger();
  EXPECT_EQ(w->findChildren<fDialOnDemand*>().size(), 1);
  EXPECT_EQ(d->Combo1->currentText() + "," + d->Combo2->currentText() + "," + d->Combo3->currentText() + "," +
                d->Combo4->currentText(),
            "2,5,60,3");
  d->Command1->click();
  setDialMode(QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0"));
  w->MenuDialOnDemand->trigger();
  EXPECT_EQ(d->Combo3->currentText(), "15");
  d->Command1->click();
  EXPECT_EQ(marks(w), "001");  // Exit writes nothing
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(LonMarkModes, DialOnDemandTakesDigitsOnlyAndValuesOutsideItsLists) {
  setDialMode(QStringLiteral("DOD,1,20,50,12,0,0,0,0,0,0"));
  fMain* w = open();
  w->MenuDialOnDemand->trigger();
  auto* d = w->findChild<fDialOnDemand*>();
  ASSERT_NE(d, nullptr);
  // What the modem holds stays shown, also where no line has it.
  EXPECT_EQ(d->Combo2->currentText(), "20");
  EXPECT_EQ(d->Combo3->currentText(), "50");
  EXPECT_EQ(d->Combo4->currentText(), "12");

  d->Combo3->lineEdit()->clear();
  QTest::keyClicks(d->Combo3->lineEdit(), QStringLiteral("9a0-"));
  EXPECT_EQ(d->Combo3->currentText(), "90");
  EXPECT_EQ(scriptedUi().beeps(), 2);
  QTest::keyClick(d->Combo3->lineEdit(), Qt::Key_Backspace);
  EXPECT_EQ(d->Combo3->currentText(), "9");
  EXPECT_EQ(scriptedUi().beeps(), 2);

  // An empty retry count is asked for rather than written.
  d->Combo4->lineEdit()->clear();
  EXPECT_FALSE(d->Apply());
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Please enter a Hang Time and a Retry Count."});
  EXPECT_EQ(dialMode(), "DOD,1,20,50,12,0,0,0,0,0,0");
  QTest::keyClicks(d->Combo4->lineEdit(), QStringLiteral("4"));
  EXPECT_TRUE(d->Apply());
  EXPECT_EQ(dialMode(), "DOD,1,20,9,4,0,0,0,0,0,0");
}

TEST_F(LonMarkModes, AFailedDialOnDemandWriteIsShownAndTheDialogStays) {
  fMain* w = open();
  w->MenuDialOnDemand->trigger();
  auto* d = w->findChild<fDialOnDemand*>();
  ASSERT_NE(d, nullptr);
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  EXPECT_FALSE(d->Apply());
  net->setFault(device(), rlxsim::Fault::None);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Routers/RLX-LonMark does not answer"});
  EXPECT_EQ(marks(w), "100");
  EXPECT_TRUE(d->isVisible());
  d->Command1->click();
}

// --- explicit family ------------------------------------------------------------------

class ExplicitModes : public ExplicitWindowTest {
 protected:
  void open(int modem = 0) {
    configureExplicitDevice();
    entry(7, QStringLiteral("5550007"), QStringLiteral("Depot"));
    entry(12, QStringLiteral("5550012"), QString());
    if (w()->ComboModem->currentIndex() != modem)
      w()->ComboModem->setCurrentIndex(modem);
    net->clearSent();
    scriptedUi().clear();
  }
  void perpetual(const std::function<void(fPerpetual*)>& act) {
    scriptedUi().onModal([&](QDialog* d) {
      auto* dialog = qobject_cast<fPerpetual*>(d);
      EXPECT_NE(dialog, nullptr);
      if (dialog)
        act(dialog);
      return 0;
    });
    w()->MenuPerpetual->trigger();
  }
  void choose(fPerpetual* d, const QString& line) {
    d->ComboPhonebook->setCurrentIndex(d->ComboPhonebook->findText(line));
  }
};

TEST_F(ExplicitModes, PerpetualSwitchesAutoAnswerOffThenSetsTheMode) {
  open(1);
  QStringList shown;
  perpetual([&](fPerpetual* d) {
    shown = lines(d->ComboPhonebook);
    choose(d, "Depot");
    EXPECT_TRUE(d->PerpetualDial());
    // The statistics replies went to the dialog's own list.
    EXPECT_EQ(d->ListData->item(6)->text(), "1");
  });
  EXPECT_EQ(shown, (QStringList{"Depot", "5550012"}));
  EXPECT_EQ(net->sent(device()),
            (QStringList{"00 01 61 02 00", "00 01 65 02 00", "00 01 61 02 00", "00 01 69 02 01 01 07"}));
  EXPECT_EQ(autoAnswerRecord(), "101");
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(marks(w()), "010");
  EXPECT_EQ(w()->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
  EXPECT_FALSE(w()->ComboPhone->isEnabled());
  EXPECT_FALSE(w()->CmdDial->isEnabled());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());

  // The device dials the entry and reports the mode when the modem is shown again.
  net->advance(100);
  EXPECT_EQ(net->state(device()).modems[1].number, "5550007");
  w()->ModemSelection();
  EXPECT_EQ(marks(w()), "010");
  EXPECT_EQ(w()->ComboPhone->currentText(), "Dialing Depot in Perpetual Mode.");
}

TEST_F(ExplicitModes, PerpetualOnTheInternalModemWithAnEntryNamedByItsNumber) {
  open(0);
  perpetual([&](fPerpetual* d) {
    choose(d, "5550012");
    d->CmdDial->click();
  });
  EXPECT_EQ(net->sent(device()).last(), "00 01 69 00 01 01 12");
  EXPECT_EQ(w()->ComboPhone->currentText(), "Dialing 5550012 in Perpetual Mode.");
}

TEST_F(ExplicitModes, AFailedPerpetualModeIsReportedAndTheMarksStay) {
  open();
  net->scriptSilence(device(), "00 01 69 00 01 01 07");
  perpetual([&](fPerpetual* d) {
    choose(d, "Depot");
    EXPECT_FALSE(d->PerpetualDial());
  });
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text, "Failed Dial Modem due to data server error 'Message Timeout'.");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Error!");
  EXPECT_EQ(marks(w()), "100");
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_EQ(w()->ComboPhone->currentText(), "");
  // Auto answer did go off on the device, and the window says so.
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(autoAnswerRecord(), "011");
}

TEST_F(ExplicitModes, ThePerpetualWaitForTheModemIsBounded) {
  open();
  net->scriptReply(device(), "00 01 61 00 00", "1\t61\t0\t0\t0\t0\t9\t0\t0\t0\t0\t0\t0\t0\t0");
  perpetual([&](fPerpetual* d) {
    choose(d, "Depot");
    EXPECT_TRUE(d->PerpetualDial());
  });
  EXPECT_EQ(net->sent(device()).count("00 01 61 00 00"), 1 + modem_options::kAutoAnswerOffPolls);
  EXPECT_EQ(net->sent(device()).last(), "00 01 69 00 01 01 07");
  EXPECT_EQ(marks(w()), "010");
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Auto Answer could not be confirmed off before Perpetual Mode was set."});
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Notice!");
}

TEST_F(ExplicitModes, PerpetualNeedsAChosenEntry) {
  open();
  perpetual([&](fPerpetual* d) {
    EXPECT_FALSE(d->PerpetualDial());
    choose(d, "Depot");
    entry(7, QStringLiteral("5550007"), QStringLiteral("Moved"));
    EXPECT_FALSE(d->PerpetualDial());
  });
  EXPECT_EQ(scriptedUi().boxTexts(),
            (QStringList{"You must select a contact to dial!", "\"Depot\" is not an entry of the phonebook."}));
  EXPECT_TRUE(net->sent(device()).isEmpty());
  EXPECT_EQ(autoAnswerRecord(), "111");
}

TEST_F(ExplicitModes, ManualSetsTheModeByMessage) {
  open(2);
  w()->MenuPerpetual->setChecked(true);
  w()->MenuManual->setChecked(false);
  w()->CmdDial->setEnabled(false);
  w()->ComboModem->setEnabled(false);
  w()->ComboPhone->setEditText("Dialing Depot in Perpetual Mode.");
  w()->MenuManual->trigger();
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 69 03 01 00"});
  EXPECT_EQ(marks(w()), "100");
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_TRUE(w()->ComboPhone->isEnabled());
  EXPECT_TRUE(w()->ComboModem->isEnabled());
  EXPECT_EQ(w()->ComboPhone->currentText(), "");
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitModes, AFailedManualIsReportedAndKeepsTheMarks) {
  open();
  w()->MenuPerpetual->setChecked(true);
  w()->MenuManual->setChecked(false);
  net->scriptFailure(device(), "00 01 69 00 01 00");
  w()->MenuManual->trigger();
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Failed to set Dial Mode due to data server error 'Message Failed'."});
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Error!");
  EXPECT_EQ(marks(w()), "010");
  // The dial controls come back all the same.
  EXPECT_TRUE(w()->CmdDial->isEnabled());
  EXPECT_TRUE(w()->ComboModem->isEnabled());
}

TEST_F(ExplicitModes, DialOnDemandIsNotOffered) {
  open();
  EXPECT_FALSE(w()->MenuDialOnDemand->isVisible());
  EXPECT_FALSE(w()->MenuDialOnDemand->isEnabled());
}

}  // namespace
