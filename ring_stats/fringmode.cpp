#include "fringmode.h"

#include "platform/accessibility.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "device_protocol/failure_reports.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "ring_stats/modal_owner.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

namespace dp = device_protocol;

namespace {

const QString kDeviceGlobals = QStringLiteral("Device Globals");
const QString kRingModeProperty = QStringLiteral("UCPT_RingMode");

// Digits with at most one decimal point, blanks around them allowed. Signs
// are not taken: every field holds a count of units or milliseconds.
bool IsNumericText(const QString& text) {
  const QString t = text.trimmed();
  bool digits = false;
  bool point = false;
  for (QChar c : t) {
    if (c >= u'0' && c <= u'9')
      digits = true;
    else if (c == u'.' && !point)
      point = true;
    else
      return false;
  }
  return digits;
}

// A time the explicit apply refuses to send while ring mode is enabled.
bool TimeNotGiven(const QLineEdit* field) {
  return field->text().trimmed().isEmpty() || dp::NumericPrefix(field->text()) == 0.0;
}

int TimeValue(const QLineEdit* field) {
  const double v = dp::NumericPrefix(field->text());
  return v > 1e9 ? 1'000'000'000 : qRound(v);
}

// The management mode of the system the main window opened its device in;
// -1 when there is none or it cannot be read.
int ManagementMode(window_support::MainWindowLink* main) {
  try {
    const lns::SystemPtr system = main ? main->link().system() : MMain.CurrentSystem;
    return system ? system->MgmtMode() : -1;
  } catch (const std::exception&) {
    return -1;
  }
}

QString ErrorText(const std::exception& e) {
  if (const auto* lnsError = dynamic_cast<const lns::LnsError*>(&e))
    return lnsError->description();
  return QString::fromLocal8Bit(e.what());
}

QLineEdit* makeField(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setAccessibleName(accessibleName);
  field->setFixedWidth(72);
  field->setAlignment(Qt::AlignRight);
  return field;
}

QLineEdit* makeUnitBox(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* box = new QLineEdit(QStringLiteral("mSEC"), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(accessibleName);
  box->setReadOnly(true);
  box->setFixedWidth(48);
  // Reached by clicking only; the focus then moves on to the field beside it.
  box->setFocusPolicy(Qt::ClickFocus);
  return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromLatin1(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAccessibleName(b->text());
  b->setAutoDefault(false);
  b->setMinimumWidth(96);
  return b;
}

}  // namespace

fRingMode::fRingMode(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fRingMode"));
  setWindowTitle(QStringLiteral("Ring Mode Parameters"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);

  Frame2 = new QFrame(this);
  Frame2->setObjectName(QStringLiteral("Frame2"));
  Frame2->setFrameStyle(QFrame::Box | QFrame::Sunken);
  auto* grid = new QGridLayout(Frame2);
  grid->setHorizontalSpacing(10);
  EnableChk = new QCheckBox(QStringLiteral("Enable"), Frame2);
  EnableChk->setObjectName(QStringLiteral("EnableChk"));
  EnableChk->setAccessibleName(EnableChk->text());
  LabelUnitID = new QLabel(QStringLiteral("Unit ID:"), Frame2);
  LabelUnitID->setObjectName(QStringLiteral("LabelUnitID"));
  LabelRingPropogation = new QLabel(QStringLiteral("Ring Propogation Delay:"), Frame2);
  LabelRingPropogation->setObjectName(QStringLiteral("LabelRingPropogation"));
  LabelRingTest = new QLabel(QStringLiteral("Ring Test Interval:"), Frame2);
  LabelRingTest->setObjectName(QStringLiteral("LabelRingTest"));
  TextUnitID = makeField(Frame2, "TextUnitID", LabelUnitID->text());
  TextRingProp = makeField(Frame2, "TextRingProp", LabelRingPropogation->text());
  TextRingTest = makeField(Frame2, "TextRingTest", LabelRingTest->text());
  Text2 = makeUnitBox(Frame2, "Text2", LabelRingPropogation->text() + QStringLiteral(" unit"));
  Text3 = makeUnitBox(Frame2, "Text3", LabelRingTest->text() + QStringLiteral(" unit"));
  LabelUnitID->setBuddy(TextUnitID);
  LabelRingPropogation->setBuddy(TextRingProp);
  LabelRingTest->setBuddy(TextRingTest);
  grid->addWidget(EnableChk, 0, 0, 1, 3);
  grid->addWidget(LabelUnitID, 1, 0);
  grid->addWidget(TextUnitID, 1, 1);
  grid->addWidget(LabelRingPropogation, 2, 0);
  grid->addWidget(TextRingProp, 2, 1);
  grid->addWidget(Text2, 2, 2);
  grid->addWidget(LabelRingTest, 3, 0);
  grid->addWidget(TextRingTest, 3, 1);
  grid->addWidget(Text3, 3, 2);
  layout->addWidget(Frame2);

  auto* buttons = new QHBoxLayout;
  CmdApply = makeButton(this, "CmdApply", "Apply Settings");
  QueryRingStatus = makeButton(this, "QueryRingStatus", "Ring Status");
  CmdCancel = makeButton(this, "CmdCancel", "Cancel");
  buttons->addWidget(CmdApply);
  buttons->addWidget(QueryRingStatus);
  buttons->addWidget(CmdCancel);
  layout->addLayout(buttons);

  PBar = new QProgressBar(this);
  PBar->setObjectName(QStringLiteral("PBar"));
  PBar->setAccessibleName(QStringLiteral("Progress"));
  PBar->setTextVisible(false);
  PBar->setRange(0, 100);
  layout->addWidget(PBar);

  ListData = new QListWidget(this);
  ListData->setObjectName(QStringLiteral("ListData"));
  platform::HideFromAssistiveTechnology(ListData);  // a scratch list, never shown

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(false);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Buttons that validate the field being left take no focus from a click:
  // their handlers validate first and do nothing when that fails, as the
  // focus stays in the field. Cancel never validates.
  for (QWidget* w :
       {static_cast<QWidget*>(EnableChk), static_cast<QWidget*>(CmdApply), static_cast<QWidget*>(QueryRingStatus)})
    w->setFocusPolicy(Qt::TabFocus);
  setTabOrder(EnableChk, TextUnitID);
  setTabOrder(TextUnitID, TextRingProp);
  setTabOrder(TextRingProp, TextRingTest);
  setTabOrder(TextRingTest, CmdApply);
  setTabOrder(CmdApply, QueryRingStatus);
  setTabOrder(QueryRingStatus, CmdCancel);

  for (QLineEdit* field : {TextUnitID, TextRingProp, TextRingTest}) {
    field->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, [this, field] { FieldChanged(field); });
  }
  for (QWidget* w : {static_cast<QWidget*>(Text2), static_cast<QWidget*>(Text3), static_cast<QWidget*>(CmdApply),
                     static_cast<QWidget*>(QueryRingStatus), static_cast<QWidget*>(CmdCancel)})
    w->installEventFilter(this);
  focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &fRingMode::OnFocusChanged);

  connect(EnableChk, &QCheckBox::clicked, this, [this](bool ticked) {
    if (!CausesValidation()) {
      EnableChk->setChecked(!ticked);
      return;
    }
    EnableChk_Click();
  });
  connect(CmdApply, &QPushButton::clicked, this, &fRingMode::CmdApply_Click);
  connect(QueryRingStatus, &QPushButton::clicked, this, &fRingMode::QueryRingStatus_Click);
  connect(CmdCancel, &QPushButton::clicked, this, &fRingMode::CmdCancel_Click);
  connect(Timer1, &QTimer::timeout, this, &fRingMode::Timer1_Timer);

  // Loading the window.
  TextUnitID->setText(QStringLiteral("0"));
  TextRingProp->setText(QStringLiteral("2000"));
  TextRingTest->setText(QStringLiteral("10000"));
  SetFieldGroupEnabled(false);
  PBar->setValue(PBar->maximum());
  QueryBusy = false;
}

// The fields go with the window's base classes, and their focus changes
// must not reach this part of it by then.
fRingMode::~fRingMode() { disconnect(focusWatch_); }

// --- Fields ----------------------------------------------------------------

void fRingMode::SetFieldGroupEnabled(bool enabled) {
  const QColor colour = palette().color(QPalette::Active, enabled ? QPalette::Base : QPalette::Button);
  for (QLineEdit* field : {TextUnitID, TextRingProp, TextRingTest, Text2, Text3}) {
    field->setEnabled(enabled);
    QPalette p = field->palette();
    p.setColor(QPalette::Base, colour);
    field->setPalette(p);
  }
}

void fRingMode::SetEnableChk(bool ticked) {
  EnableChk->setChecked(ticked);
  EnableChk_Click();
}

void fRingMode::EnableChk_Click() { SetFieldGroupEnabled(EnableChk->isChecked()); }

void fRingMode::FieldChanged(QLineEdit* field) {
  const QString text = field->text();
  if (IsNumericText(text))
    return;
  if (!text.isEmpty())
    platform::msgBox(QStringLiteral("Input must be a numeric value!"), platform::MsgButtons::Ok,
                     QStringLiteral("Warning!"));
  field->setText(field == TextUnitID     ? QStringLiteral("0")
                 : field == TextRingProp ? QStringLiteral("2000")
                                         : QStringLiteral("10000"));
  field->setSelection(0, 1);
}

bool fRingMode::ValidateField(QLineEdit* field) {
  const double value = dp::NumericPrefix(field->text());
  QString warning;
  QString reset;
  if (field == TextUnitID) {
    if (value >= 0 && value <= 64)
      return true;
    warning = QStringLiteral("Invalid UnitID! Must range from 0 - 64.");
  } else if (field == TextRingProp) {
    if (value >= 1000 && value <= 7500)
      return true;
    warning = QStringLiteral("Invalid Ring Propogation Delay! Must range from 1000 - 7500.");
    reset = QStringLiteral("2000");
  } else if (field == TextRingTest) {
    if (value >= 10000 && value <= 65000)
      return true;
    warning = QStringLiteral("Invalid Ring Test Interval! Must range from 10000 - 65000.");
    reset = QStringLiteral("10000");
  } else {
    return true;
  }
  const bool wasValidating = validating_;
  validating_ = true;
  platform::msgBox(warning, platform::MsgButtons::Ok, QStringLiteral("Warning!"));
  if (!reset.isEmpty())
    field->setText(reset);
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
  validating_ = wasValidating;
  return false;
}

bool fRingMode::CausesValidation() {
  auto* field = qobject_cast<QLineEdit*>(focusWidget());
  if (field != TextUnitID && field != TextRingProp && field != TextRingTest)
    return true;
  if (!field->isEnabled())
    return true;
  return ValidateField(field);
}

void fRingMode::OnFocusChanged(QWidget* old, QWidget* now) {
  if (validating_ || !now || now == old || now == CmdCancel || !isAncestorOf(now))
    return;
  auto* field = qobject_cast<QLineEdit*>(old);
  if (field != TextUnitID && field != TextRingProp && field != TextRingTest)
    return;
  ValidateField(field);
}

bool fRingMode::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == Text2) {
      TextRingProp->setFocus(Qt::OtherFocusReason);
      return true;
    }
    if (watched == Text3) {
      TextRingTest->setFocus(Qt::OtherFocusReason);
      return true;
    }
    if (auto* field = qobject_cast<QLineEdit*>(watched)) {
      // Let the field take the focus first, then select its whole text.
      field->event(event);
      field->selectAll();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // Enter chooses the button that has the focus (no button is the default one).
      if (auto* button = qobject_cast<QPushButton*>(watched)) {
        button->click();
        return true;
      }
      auto* field = qobject_cast<QLineEdit*>(watched);
      QWidget* next = field == TextUnitID     ? static_cast<QWidget*>(TextRingProp)
                      : field == TextRingProp ? static_cast<QWidget*>(TextRingTest)
                      : field == TextRingTest ? static_cast<QWidget*>(CmdApply)
                                              : nullptr;
      if (next && ValidateField(field)) {
        const bool wasValidating = validating_;
        validating_ = true;  // the field has just been validated
        next->setFocus(Qt::TabFocusReason);
        validating_ = wasValidating;
      }
      return true;  // Enter never reaches a default button
    }
  }
  return QDialog::eventFilter(watched, event);
}

void fRingMode::FillListData(const dp::ReplyValues& values, bool padded) {
  ListData->clear();
  QStringList items = values.list();
  if (padded)
    for (QString& v : items)
      if (v.size() == 1)
        v.prepend(u'0');
  ListData->addItems(items);
}

// --- Opening ---------------------------------------------------------------

window_support::MainWindowLink* fRingMode::Opener() const { return openerWindow_ ? opener_ : nullptr; }

bool fRingMode::OpenExplicit(window_support::MainWindowLink& main) {
  {
    platform::BusyCursor busy;
    const QString reply = main.link().Send(dp::ReadRingMode());
    if (dp::IsFailureReply(reply)) {
      platform::msgBox(dp::kDownloadRingModeFailed.text(reply), platform::MsgButtons::Ok,
                       dp::kDownloadRingModeFailed.titleText());
      return false;
    }
    FillListData(dp::SplitReplyText(reply), true);
    const dp::RingModeParameters p = dp::RingModeFromReply(reply);
    SetEnableChk(p.enabled);
    TextUnitID->setText(p.unitId);
    TextRingProp->setText(p.propagationDelay);
    TextRingTest->setText(p.testInterval);
    family_ = Family::Explicit;
    opener_ = &main;
    openerWindow_ = main.window();
    RingDevice = main.device();
    RingModeProperty.reset();
  }
  ring_stats::detail::ShowModalOver(this, main.window());
  return true;
}

bool fRingMode::OpenLonMark(window_support::MainWindowLink& main) {
  {
    platform::BusyCursor busy;
    lns::AppDevicePtr device;
    lns::ConfigPropertyPtr property;
    QString text;
    try {
      device = main.device();
      if (!device)
        throw lns::LnsError(lns::kErrNotFound, QStringLiteral("The window has no device."));
      const auto objects = device->Interface()->LonMarkObjects();
      lns::LonMarkObjectPtr globals;
      for (qint32 i = 1, n = objects->Count(); i <= n && !globals; ++i) {
        lns::LonMarkObjectPtr object = objects->Item(i);
        if (object->Name() == kDeviceGlobals)
          globals = std::move(object);
      }
      if (!globals)
        throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found: ") + kDeviceGlobals);
      property = globals->ConfigProperties()->Item(kRingModeProperty);
      text = property->Value();
    } catch (const std::exception& e) {
      platform::msgBox(ErrorText(e), platform::MsgButtons::Ok, QString::fromLatin1(dp::kPlugInTitle));
      return false;
    }
    const dp::RingModeParameters p = dp::RingModeFromProperty(text);
    SetEnableChk(p.enabled);
    TextUnitID->setText(p.unitId);
    TextRingProp->setText(p.propagationDelay);
    TextRingTest->setText(p.testInterval);
    family_ = Family::LonMark;
    opener_ = &main;
    openerWindow_ = main.window();
    RingModeProperty = std::move(property);
    RingDevice = std::move(device);
    // Off-net, or while the dial controls are off, ring mode cannot be in use.
    if (ManagementMode(&main) == 1 || MMain.DialControlsDisabled)
      SetEnableChk(false);
  }
  ring_stats::detail::ShowModalOver(this, main.window());
  return true;
}

// --- Apply -------------------------------------------------------------------

void fRingMode::CmdApply_Click() {
  if (!CausesValidation())
    return;
  PBar->setMaximum(100);
  PBar->setValue(0);
  if (family_ == Family::Explicit)
    ApplyExplicit();
  else if (family_ == Family::LonMark)
    ApplyLonMark();
}

void fRingMode::ApplyExplicit() {
  window_support::MainWindowLink* main = Opener();
  {
    platform::BusyCursor busy;
    if (EnableChk->isChecked()) {
      if (TimeNotGiven(TextRingProp)) {
        platform::msgBox(QStringLiteral("Ring Propogation Delay not specified!"), platform::MsgButtons::Ok,
                         QStringLiteral("Notice!"));
        TextRingProp->setFocus(Qt::OtherFocusReason);
        return;
      }
      if (TimeNotGiven(TextRingTest)) {
        platform::msgBox(QStringLiteral("Ring Test Interval value specified!"), platform::MsgButtons::Ok,
                         QStringLiteral("Notice!"));
        TextRingTest->setFocus(Qt::OtherFocusReason);
        return;
      }
    }
    const std::optional<QString> request =
        dp::RingModeApply(EnableChk->isChecked(), TextUnitID->text(), TimeValue(TextRingProp), TimeValue(TextRingTest));
    if (!request) {
      // A unit or a time that has no byte encoding: sending a wrapped value
      // would configure the ring wrongly without a word.
      platform::msgBox(QStringLiteral("Ring Mode Parameters not applied: the Unit ID must be a whole number from 0 - "
                                      "255 and the times whole numbers from 0 - 65535."),
                       platform::MsgButtons::Ok, QString::fromLatin1(dp::kErrorTitle));
      return;
    }
    if (!main)
      return;
    const QString reply = main->link().Send(*request);
    if (dp::IsFailureReply(reply)) {
      // The router did not take the settings: say so and keep the windows
      // (and what the operator typed) instead of closing as if it had.
      PBar->setValue(100);
      platform::msgBox(QStringLiteral("Failed to apply Ring Mode Parameters due to data server error '") + reply +
                           QStringLiteral("'."),
                       platform::MsgButtons::Ok, QString::fromLatin1(dp::kErrorTitle));
      return;
    }
  }
  PBar->setValue(100);
  // The explicit main window goes, and with it every other window of the
  // plug-in; this one is done first so its modal loop ends.
  done(QDialog::Accepted);
  window_support::MainWindowLink* explicitMain = window_support::MainWindowOf(true);
  if (!explicitMain)
    explicitMain = main;
  explicitMain->unload();
}

void fRingMode::ApplyLonMark() {
  bool stayOpen = false;
  {
    platform::BusyCursor busy;
    PBar->setValue(33);
    try {
      if (!RingModeProperty)
        throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found: ") + kRingModeProperty);
      RingModeProperty->SetValue(dp::RingModePropertyText(EnableChk->isChecked(), TextUnitID->text(),
                                                          TextRingProp->text(), TextRingTest->text()));
    } catch (const std::exception& e) {
      platform::msgBox(ErrorText(e), platform::MsgButtons::Ok, QString::fromLatin1(dp::kPlugInTitle));
    }
    PBar->setValue(66);
    // On-net with the device reachable the window stays for a ring status query.
    stayOpen = ManagementMode(opener_) == 0 && !MMain.DialControlsDisabled;
  }
  PBar->setValue(100);
  if (!stayOpen)
    done(QDialog::Accepted);
}

// --- Cancel --------------------------------------------------------------------

void fRingMode::CmdCancel_Click() {
  if (QueryBusy) {
    CancelRequested = true;
    return;
  }
  done(QDialog::Rejected);
}

void fRingMode::reject() { CmdCancel_Click(); }
