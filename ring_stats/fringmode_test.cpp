#include "ring_stats/fringmode.h"

#include <gtest/gtest.h>
#include <QtTest/QTest>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "lonworks/object_server/device_runtime.h"
#include "ring_stats/testing/ring_fixture.h"

namespace {

using lnssim::RlxFamily;
using ring_testing::Fault;
using ring_testing::StubMainWindow;

class RingMode : public ring_testing::RingStatsTest {
 protected:
  void setRingMode(const lns::AppDevicePtr& device, bool enabled, std::uint8_t unit, std::uint16_t delay,
                   std::uint16_t interval) {
    ring_testing::RlxState s = net.state(device);
    s.ringEnabled = enabled;
    s.unitId = unit;
    s.propagationDelay = delay;
    s.testInterval = interval;
    net.setState(device, s);
  }
  static lns::ConfigPropertyPtr ringModeProperty(const lns::AppDevicePtr& device) {
    return device->Interface()
        ->LonMarkObjects()
        ->Item(QStringLiteral("Device Globals"))
        ->ConfigProperties()
        ->Item(QStringLiteral("UCPT_RingMode"));
  }
  QStringList listData() {
    QStringList out;
    for (int i = 0; i < ringWindow()->ListData->count(); ++i)
      out << ringWindow()->ListData->item(i)->text();
    return out;
  }
  QColor windowColour() { return ringWindow()->palette().color(QPalette::Active, QPalette::Base); }
  QColor buttonFaceColour() { return ringWindow()->palette().color(QPalette::Active, QPalette::Button); }
  QList<QLineEdit*> fieldGroup() {
    fRingMode* w = ringWindow();
    return {w->TextUnitID, w->TextRingProp, w->TextRingTest, w->Text2, w->Text3};
  }
  // Enabled with the window colour, or disabled with the button-face colour.
  void expectFieldGroup(bool enabled) {
    const QColor colour = enabled ? windowColour() : buttonFaceColour();
    for (QLineEdit* f : fieldGroup()) {
      EXPECT_EQ(f->isEnabled(), enabled) << f->objectName().toStdString();
      for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        EXPECT_EQ(f->palette().color(group, QPalette::Base), colour) << f->objectName().toStdString();
    }
  }
  bool shown() { return ui().modalsShown().contains(QStringLiteral("fRingMode")); }
  // A click on the box itself (the widget may be wider than its box and caption).
  static void clickCheckBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
  }
  QStringList fields() {
    return {ringWindow()->TextUnitID->text(), ringWindow()->TextRingProp->text(), ringWindow()->TextRingTest->text()};
  }
};

// A device runtime whose configuration property writes do not reach the device.
class RefusingRuntime : public lnssim::StoredValueRuntime {
 public:
  void writeCp(lnssim::RuntimeContext&, const lnssim::PointAccess&, const QString&) override {
    throw lns::LnsError(lns::kErrDeviceNoResponse, QStringLiteral("The device did not answer the write."));
  }
};

TEST_F(RingMode, TheWindowHasEveryControl) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  StubMainWindow main(true, device);
  ring_stats::OpenRingMode(main);
  fRingMode* w = ringWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Ring Mode Parameters");
  EXPECT_EQ(w->EnableChk->text(), "Enable");
  EXPECT_EQ(w->LabelUnitID->text(), "Unit ID:");
  EXPECT_EQ(w->LabelRingPropogation->text(), "Ring Propogation Delay:");
  EXPECT_EQ(w->LabelRingTest->text(), "Ring Test Interval:");
  EXPECT_EQ(w->Text2->text(), "mSEC");
  EXPECT_EQ(w->Text3->text(), "mSEC");
  EXPECT_EQ(w->CmdApply->text(), "Apply Settings");
  EXPECT_EQ(w->QueryRingStatus->text(), "Ring Status");
  EXPECT_EQ(w->CmdCancel->text(), "Cancel");
  EXPECT_TRUE(w->ListData->isHidden());
  EXPECT_EQ(w->TextUnitID->accessibleName(), "Unit ID:");
  EXPECT_EQ(w->TextRingProp->accessibleName(), "Ring Propogation Delay:");
  for (const char* name : {"EnableChk", "TextUnitID", "TextRingProp", "TextRingTest", "Text2", "Text3", "Frame2",
                           "CmdApply", "QueryRingStatus", "CmdCancel", "PBar", "ListData", "Timer1"})
    EXPECT_NE(w->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  // Loaded with the bar full and no query running.
  EXPECT_EQ(w->PBar->value(), w->PBar->maximum());
  EXPECT_FALSE(w->QueryBusy);
  EXPECT_EQ(w->parentWidget(), main.window());
}

// --- Explicit family -----------------------------------------------------------

TEST_F(RingMode, ExplicitOpenShowsTheDevicesParametersPadded) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setRingMode(device, true, 5, 2000, 10000);
  StubMainWindow main(true, device);
  ring_stats::OpenRingMode(main);
  EXPECT_EQ(net.requests(device), std::vector<std::string>{"01 72 00 02"});
  ASSERT_TRUE(shown());
  fRingMode* w = ringWindow();
  EXPECT_TRUE(w->EnableChk->isChecked());
  expectFieldGroup(true);
  EXPECT_EQ(fields(), QStringList({"05", "2000", "10000"}));
  EXPECT_EQ(listData(), QStringList({"01", "72", "00", "00", "01", "05", "07", "208", "39", "16"}));
  EXPECT_EQ(w->RingDevice->Name(), "R1");
  EXPECT_TRUE(ui().boxes().isEmpty());
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);

  // Every opening fills the fields again, in the same window.
  setRingMode(device, false, 12, 5 * 256, 0);
  ring_stats::OpenRingMode(main);
  EXPECT_EQ(ringWindow(), w);
  EXPECT_FALSE(w->EnableChk->isChecked());
  expectFieldGroup(false);
  EXPECT_EQ(fields(), QStringList({"12", "1280", "10000"}));

  setRingMode(device, true, 0, 0, 0);
  ring_stats::OpenRingMode(main);
  EXPECT_EQ(fields(), QStringList({"00", "2000", "10000"}));
}

TEST_F(RingMode, AFailedExplicitReadIsReportedAndTheWindowStaysClosed) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  net.setFault(device, Fault::Failure);
  StubMainWindow main(true, device);
  ring_stats::OpenRingMode(main);
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text, "Failed to download Ring Mode Parameters due to data server error 'Message Failed'.");
  EXPECT_EQ(ui().boxes()[0].title, "Error!");
  EXPECT_FALSE(shown());
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
}

TEST_F(RingMode, ExplicitApplySendsHighAndLowBytesThenUnloadsTheMainWindow) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setRingMode(device, false, 3, 1500, 20000);
  StubMainWindow main(true, device);
  showModalsForReal();
  ring_stats::OpenRingMode(main);
  fRingMode* w = ringWindow();
  ASSERT_TRUE(w->isVisible());
  clickCheckBox(w->EnableChk);
  w->TextUnitID->setText("5");
  w->TextRingProp->setText("2000");
  w->TextRingTest->setText("10000");
  QTest::mouseClick(w->CmdApply, Qt::LeftButton);

  EXPECT_EQ(net.requests(device).back(), "01 72 00 01 01 5 7 208 39 16");
  const ring_testing::RlxState s = net.state(device);
  EXPECT_TRUE(s.ringEnabled);
  EXPECT_EQ(s.unitId, 5);
  EXPECT_EQ(s.propagationDelay, 2000);
  EXPECT_EQ(s.testInterval, 10000);
  EXPECT_EQ(main.unloads(), 1);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->PBar->value(), 100);
  EXPECT_TRUE(ui().boxes().isEmpty());
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
}

TEST_F(RingMode, ExplicitApplySendsTheReadUnitAsItStandsAndDisabledAsZero) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setRingMode(device, false, 5, 5 * 256, 0);
  StubMainWindow main(true, device);
  ring_stats::OpenRingMode(main);
  ringWindow()->CmdApply->click();
  EXPECT_EQ(net.requests(device).back(), "01 72 00 01 00 05 5 0 39 16");
  EXPECT_EQ(main.unloads(), 1);
}

TEST_F(RingMode, ExplicitApplyRefusesMissingTimesWhileEnabled) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setRingMode(device, true, 5, 2000, 10000);
  StubMainWindow main(true, device);
  ring_stats::OpenRingMode(main);
  fRingMode* w = ringWindow();

  w->TextRingProp->setText("0");
  w->CmdApply->click();
  w->TextRingProp->setText("2000");
  w->TextRingTest->setText("0");
  w->CmdApply->click();
  EXPECT_EQ(ui().boxTexts(),
            QStringList({"Ring Propogation Delay not specified!", "Ring Test Interval value specified!"}));
  for (const auto& box : ui().boxes())
    EXPECT_EQ(box.title, "Notice!");
  EXPECT_EQ(w->focusWidget(), w->TextRingTest);
  EXPECT_EQ(w->PBar->value(), 0) << "a refused apply leaves the bar at 0";
  EXPECT_EQ(net.requests(device).size(), 1u) << "only the read was sent";
  EXPECT_EQ(main.unloads(), 0);
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);

  // Disabled, the times are not needed.
  w->TextRingTest->setText("10000");
  w->EnableChk->click();
  ASSERT_FALSE(w->EnableChk->isChecked());
  w->TextRingProp->setText("0");
  w->CmdApply->click();
  EXPECT_EQ(net.requests(device).back(), "01 72 00 01 00 05 0 0 39 16");
  EXPECT_EQ(main.unloads(), 1);
}

TEST_F(RingMode, ExplicitApplyThatCannotBeEncodedIsReportedAndNothingIsSent) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setRingMode(device, true, 5, 2000, 10000);
  StubMainWindow main(true, device);
  ring_stats::OpenRingMode(main);
  fRingMode* w = ringWindow();
  w->TextUnitID->setText("1.5");
  w->CmdApply->click();
  w->TextUnitID->setText("5");
  w->TextRingTest->setText("70000");
  w->CmdApply->click();
  ASSERT_EQ(ui().boxes().size(), 2);
  for (const auto& box : ui().boxes()) {
    EXPECT_TRUE(box.text.startsWith("Ring Mode Parameters not applied")) << box.text.toStdString();
    EXPECT_EQ(box.title, "Error!");
  }
  EXPECT_EQ(net.requests(device).size(), 1u);
  EXPECT_EQ(main.unloads(), 0);
}

// --- LonMark family --------------------------------------------------------------

TEST_F(RingMode, LonMarkOpenSplitsThePropertyText) {
  auto device = net.addRlx("R1", RlxFamily::LonMark);
  ringModeProperty(device)->SetValue("Disable, 3, 0, 0");
  StubMainWindow main(false, device, ring_testing::kInternalModem);
  ring_stats::OpenRingMode(main);
  ASSERT_TRUE(shown());
  fRingMode* w = ringWindow();
  EXPECT_FALSE(w->EnableChk->isChecked());
  expectFieldGroup(false);
  EXPECT_EQ(fields(), QStringList({"3", "2000", "10000"}));
  EXPECT_TRUE(net.requests(device).empty()) << "the LonMark family reads the property";

  ringModeProperty(device)->SetValue("Enable,5,2500,20000");
  ring_stats::OpenRingMode(main);
  EXPECT_TRUE(w->EnableChk->isChecked());
  expectFieldGroup(true);
  EXPECT_EQ(fields(), QStringList({"5", "2500", "20000"}));
  EXPECT_EQ(w->RingModeProperty->Name(), "UCPT_RingMode");
  EXPECT_EQ(w->RingDevice->Name(), "R1");
}

TEST_F(RingMode, LonMarkOpenOffNetOrWithDialControlsDisabledClearsEnable) {
  auto device = net.addRlx("R1", RlxFamily::LonMark);
  ringModeProperty(device)->SetValue("Enable,5,2500,20000");
  StubMainWindow main(false, device);
  net.setMgmtMode(1);
  ring_stats::OpenRingMode(main);
  EXPECT_FALSE(ringWindow()->EnableChk->isChecked());
  expectFieldGroup(false);
  EXPECT_EQ(fields(), QStringList({"5", "2500", "20000"}));

  net.setMgmtMode(0);
  MMain.DialControlsDisabled = true;
  ring_stats::OpenRingMode(main);
  EXPECT_FALSE(ringWindow()->EnableChk->isChecked());

  MMain.DialControlsDisabled = false;
  ring_stats::OpenRingMode(main);
  EXPECT_TRUE(ringWindow()->EnableChk->isChecked());
}

TEST_F(RingMode, LonMarkOpenWithoutDeviceGlobalsReportsTheError) {
  // An explicit-family device has no LonMark objects of that name.
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  StubMainWindow main(false, device);
  ring_stats::OpenRingMode(main);
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].title, "RLX_Plug");
  EXPECT_TRUE(ui().boxes()[0].text.contains("Device Globals")) << ui().boxes()[0].text.toStdString();
  EXPECT_FALSE(shown());
}

TEST_F(RingMode, LonMarkApplyWritesThePropertyAndStaysOpenOnNet) {
  auto device = net.addRlx("R1", RlxFamily::LonMark);
  ringModeProperty(device)->SetValue("Disable,0,2000,10000");
  StubMainWindow main(false, device);
  showModalsForReal();
  ring_stats::OpenRingMode(main);
  fRingMode* w = ringWindow();
  QList<int> bar;
  QObject::connect(w->PBar, &QProgressBar::valueChanged, w, [&bar](int v) { bar << v; });
  w->EnableChk->click();
  w->TextUnitID->setText("5");
  w->CmdApply->click();
  EXPECT_EQ(ringModeProperty(device)->Value(), "Enable,5,2000,10000");
  EXPECT_EQ(bar, QList<int>({0, 33, 66, 100}));
  EXPECT_TRUE(w->isVisible()) << "on-net the window stays for a ring status query";
  EXPECT_EQ(main.unloads(), 0);
  EXPECT_TRUE(ui().boxes().isEmpty());

  // Off-net the window goes.
  net.setMgmtMode(1);
  w->TextRingTest->setText("12000");
  w->CmdApply->click();
  EXPECT_EQ(ringModeProperty(device)->Value(), "Enable,5,2000,12000");
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->PBar->value(), 100);
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
}

TEST_F(RingMode, LonMarkApplyHidesWhileDialControlsAreDisabled) {
  auto device = net.addRlx("R1", RlxFamily::LonMark);
  StubMainWindow main(false, device);
  showModalsForReal();
  ring_stats::OpenRingMode(main);
  MMain.DialControlsDisabled = true;
  ringWindow()->CmdApply->click();
  EXPECT_FALSE(ringWindow()->isVisible());
}

TEST_F(RingMode, AFailedPropertyWriteIsReportedAndTheApplyGoesOn) {
  auto device = net.addRlx("R1", RlxFamily::LonMark);
  StubMainWindow main(false, device);
  showModalsForReal();
  ring_stats::OpenRingMode(main);
  net.server().setRuntime(std::make_shared<RefusingRuntime>());
  ringWindow()->CmdApply->click();
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text, "The device did not answer the write.");
  EXPECT_EQ(ui().boxes()[0].title, "RLX_Plug");
  EXPECT_EQ(ui().boxes()[0].buttons, platform::MsgButtons::Ok);
  EXPECT_EQ(ringWindow()->PBar->value(), 100);
  EXPECT_TRUE(ringWindow()->isVisible());
}

// --- Fields ---------------------------------------------------------------------

class RingModeFields : public RingMode {
 protected:
  void SetUp() override {
    RingMode::SetUp();
    device = net.addRlx("R1", RlxFamily::Explicit);
    setRingMode(device, true, 5, 2000, 10000);
    main = std::make_unique<StubMainWindow>(true, device);
    showModalsForReal();
    ring_stats::OpenRingMode(*main);
    w = ringWindow();
    ASSERT_TRUE(w->isVisible());
    ASSERT_TRUE(w->isActiveWindow());
  }
  void TearDown() override {
    main.reset();
    RingMode::TearDown();
  }
  // Gives the field the focus and types over its whole text.
  void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
  }

  lns::AppDevicePtr device;
  std::unique_ptr<StubMainWindow> main;
  fRingMode* w = nullptr;
};

TEST_F(RingModeFields, ALetterIsRefusedAndTheFieldGetsItsDefault) {
  typeInto(w->TextRingTest, "12a");
  EXPECT_EQ(ui().boxTexts(), QStringList({"Input must be a numeric value!"}));
  EXPECT_EQ(ui().boxes()[0].title, "Warning!");
  EXPECT_EQ(w->TextRingTest->text(), "10000");
  EXPECT_EQ(w->TextRingTest->selectionStart(), 0);
  EXPECT_EQ(w->TextRingTest->selectedText(), "1");

  typeInto(w->TextUnitID, "x");
  EXPECT_EQ(w->TextUnitID->text(), "0");
  typeInto(w->TextRingProp, "-");
  EXPECT_EQ(w->TextRingProp->text(), "2000");
  EXPECT_EQ(ui().boxes().size(), 3);
}

TEST_F(RingModeFields, ClearingAFieldGivesItsDefaultWithoutAMessage) {
  w->TextRingTest->setFocus();
  w->TextRingTest->selectAll();
  QTest::keyClick(w->TextRingTest, Qt::Key_Delete);
  EXPECT_EQ(w->TextRingTest->text(), "10000");
  w->TextUnitID->setFocus();
  w->TextUnitID->selectAll();
  QTest::keyClick(w->TextUnitID, Qt::Key_Backspace);
  EXPECT_EQ(w->TextUnitID->text(), "0");
  EXPECT_TRUE(ui().boxes().isEmpty());
  // Numbers are taken as typed.
  typeInto(w->TextRingProp, "2500");
  EXPECT_EQ(w->TextRingProp->text(), "2500");
  EXPECT_TRUE(ui().boxes().isEmpty());
}

TEST_F(RingModeFields, GettingTheFocusSelectsTheWholeText) {
  w->TextRingProp->setText("2500");
  w->TextRingProp->deselect();
  w->TextRingProp->setFocus();
  EXPECT_EQ(w->TextRingProp->selectedText(), "2500");
}

TEST_F(RingModeFields, LeavingAnOutOfRangeUnitIdKeepsTheFocusThere) {
  typeInto(w->TextUnitID, "65");
  QTest::keyClick(w->TextUnitID, Qt::Key_Tab);
  EXPECT_EQ(ui().boxTexts(), QStringList({"Invalid UnitID! Must range from 0 - 64."}));
  EXPECT_EQ(ui().boxes()[0].title, "Warning!");
  EXPECT_EQ(QApplication::focusWidget(), w->TextUnitID);
  EXPECT_EQ(w->TextUnitID->text(), "65");
  EXPECT_EQ(w->TextUnitID->selectedText(), "65");

  typeInto(w->TextUnitID, "64");
  QTest::keyClick(w->TextUnitID, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingProp);
  EXPECT_EQ(ui().boxes().size(), 1);
}

TEST_F(RingModeFields, OutOfRangeTimesAreReplacedByTheirDefaults) {
  typeInto(w->TextRingProp, "900");
  w->TextUnitID->setFocus();
  EXPECT_EQ(w->TextRingProp->text(), "2000");
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingProp);
  EXPECT_EQ(w->TextRingProp->selectedText(), "2000");

  typeInto(w->TextRingTest, "65001");
  QTest::keyClick(w->TextRingTest, Qt::Key_Return);
  EXPECT_EQ(w->TextRingTest->text(), "10000");
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingTest);
  EXPECT_EQ(ui().boxTexts(), QStringList({"Invalid Ring Propogation Delay! Must range from 1000 - 7500.",
                                          "Invalid Ring Test Interval! Must range from 10000 - 65000."}));

  // The bounds themselves are valid.
  typeInto(w->TextRingProp, "7500");
  QTest::keyClick(w->TextRingProp, Qt::Key_Return);
  typeInto(w->TextRingTest, "65000");
  QTest::keyClick(w->TextRingTest, Qt::Key_Return);
  EXPECT_EQ(ui().boxes().size(), 2);
}

TEST_F(RingModeFields, EnterMovesTheFocusOnWithoutApplying) {
  w->TextUnitID->setFocus();
  QTest::keyClick(w->TextUnitID, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingProp);
  QTest::keyClick(w->TextRingProp, Qt::Key_Enter);
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingTest);
  QTest::keyClick(w->TextRingTest, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), w->CmdApply);
  EXPECT_TRUE(ui().boxes().isEmpty());
  EXPECT_EQ(net.requests(device).size(), 1u) << "Enter applied nothing";
  EXPECT_EQ(main->unloads(), 0);

  // On the focused button Enter chooses it.
  QTest::keyClick(w->CmdApply, Qt::Key_Return);
  EXPECT_EQ(net.requests(device).back(), "01 72 00 01 01 05 7 208 39 16");
  EXPECT_EQ(main->unloads(), 1);
}

TEST_F(RingModeFields, TheUnitBoxesPassTheFocusOn) {
  QTest::mouseClick(w->Text2, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingProp);
  QTest::mouseClick(w->Text3, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), w->TextRingTest);
}

TEST_F(RingModeFields, ButtonsValidateTheFieldFirstButCancelDoesNot) {
  typeInto(w->TextUnitID, "70");
  QTest::mouseClick(w->CmdApply, Qt::LeftButton);
  EXPECT_EQ(ui().boxTexts(), QStringList({"Invalid UnitID! Must range from 0 - 64."}));
  EXPECT_EQ(net.requests(device).size(), 1u) << "the apply did not run";
  EXPECT_EQ(QApplication::focusWidget(), w->TextUnitID);

  clickCheckBox(w->EnableChk);
  EXPECT_TRUE(w->EnableChk->isChecked()) << "the click did not go through";
  EXPECT_EQ(ui().boxes().size(), 2);

  QTest::mouseClick(w->CmdCancel, Qt::LeftButton);
  EXPECT_EQ(ui().boxes().size(), 2);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(net.requests(device).size(), 1u);
}

TEST_F(RingModeFields, EnableTicksAndClearsTheFieldGroup) {
  clickCheckBox(w->EnableChk);
  EXPECT_FALSE(w->EnableChk->isChecked());
  expectFieldGroup(false);
  clickCheckBox(w->EnableChk);
  EXPECT_TRUE(w->EnableChk->isChecked());
  expectFieldGroup(true);
}

// --- The pause between polls, on the event loop -------------------------------

TEST(RingModeWait, ThePauseEndsWithTheTimersTick) {
  fRingMode::SetPause(nullptr);
  fRingMode window;
  EXPECT_TRUE(window.WaitMilliseconds(0));
  EXPECT_FALSE(window.Timer1->isActive());
  EXPECT_EQ(window.Timer1->interval(), 0);
}

TEST(RingModeWait, AWindowThatGoesDuringThePauseEndsItAtOnce) {
  fRingMode::SetPause(nullptr);
  auto* window = new fRingMode;
  QTimer::singleShot(0, [window] { delete window; });
  // An hour's pause: only the window going can end it within the test.
  EXPECT_FALSE(window->WaitMilliseconds(3'600'000));
}

}  // namespace
