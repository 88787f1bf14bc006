#include "fperpetual.h"

#include "platform/accessibility.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "device_protocol/dial_mode.h"
#include "device_protocol/failure_reports.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "platform/ui_services.h"
#include "windows/device_window.h"
#include "windows/dial_modes.h"
#include "windows/modem_options.h"

using namespace device_protocol;

fPerpetual::fPerpetual(DeviceWindow* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName(QStringLiteral("fPerpetual"));
  setWindowTitle(QStringLiteral("Perpetual Mode"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  Label1 = new QLabel(QStringLiteral("Phonebook List:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  ComboPhonebook = new QComboBox(this);
  ComboPhonebook->setObjectName(QStringLiteral("ComboPhonebook"));
  ComboPhonebook->setEditable(true);
  ComboPhonebook->setInsertPolicy(QComboBox::NoInsert);
  ComboPhonebook->setAccessibleName(QStringLiteral("Phonebook List:"));
  ComboPhonebook->setMinimumWidth(260);
  Label1->setBuddy(ComboPhonebook);
  CmdDial = new QPushButton(QStringLiteral("Perpetual Dial"), this);
  CmdDial->setObjectName(QStringLiteral("CmdDial"));
  CmdExit = new QPushButton(QStringLiteral("Exit"), this);
  CmdExit->setObjectName(QStringLiteral("CmdExit"));
  for (QPushButton* b : {CmdDial, CmdExit}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(110);
  }
  ListData = new QListWidget(this);
  ListData->setObjectName(QStringLiteral("ListData"));
  platform::HideFromAssistiveTechnology(ListData);  // a scratch list, never shown

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(16, 14, 16, 14);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(12);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(ComboPhonebook, 0, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CmdDial);
  buttons->addWidget(CmdExit);
  layout->addLayout(buttons, 1, 0, 1, 2);
  layout->setColumnStretch(1, 1);
  setFixedSize(sizeHint());

  connect(CmdDial, &QPushButton::clicked, this, [this] { PerpetualDial(); });
  connect(CmdExit, &QPushButton::clicked, this, &QWidget::hide);
}

void fPerpetual::GetObjects(lns::AppDevicePtr device, lns::LonMarkObjectPtr modemObject,
                            lns::ConfigPropertyPtr dialStrings) {
  explicitFamily_ = false;
  device_ = std::move(device);
  modemObject_ = std::move(modemObject);
  dialStrings_ = std::move(dialStrings);
}

void fPerpetual::GetDevice(lns::AppDevicePtr device) {
  explicitFamily_ = true;
  device_ = std::move(device);
  modemObject_.reset();
  dialStrings_.reset();
}

void fPerpetual::Abandon() {
  device_.reset();
  modemObject_.reset();
  dialStrings_.reset();
  reject();
}

void fPerpetual::ParseData(const QString& reply) {
  ListData->clear();
  ListData->addItems(SplitReplyText(reply).list());
}

void fPerpetual::Box(const QString& text, const QString& title) {
  // The operator reads the box with the normal pointer.
  const platform::Pointer pointer = platform::ui().pointer();
  platform::ui().setPointer(platform::Pointer::Default);
  platform::msgBox(text, platform::MsgButtons::Ok, title, platform::MsgIcon::None, 0, this);
  platform::ui().setPointer(pointer);
}

bool fPerpetual::PerpetualDial() {
  // A click that arrives while the auto-answer wait lets events run is not a
  // second dial.
  if (dialing_)
    return false;
  // A line of the list must be chosen; its text names the entry.
  const QString chosen = ComboPhonebook->currentText();
  if (chosen.isEmpty() || ComboPhonebook->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
    Box(QStringLiteral("You must select a contact to dial!"), QStringLiteral("Notice!"));
    return false;
  }
  platform::BusyCursor busy;
  QPointer<fPerpetual> self(this);
  dialing_ = true;
  const bool done = explicitFamily_ ? DialExplicit(chosen) : DialLonMark(chosen);
  if (self)
    dialing_ = false;
  return done;
}

void fPerpetual::Succeeded(const QString& chosen) {
  dial_modes::SetMarks(*main_, DialMode::Perpetual);
  main_->CmdDial->setEnabled(false);
  main_->ComboPhone->setEnabled(false);
  main_->ComboPhone->setEditText(dial_modes::PerpetualText(chosen));
  hide();
}

bool fPerpetual::DialExplicit(const QString& chosen) {
  if (!device_)
    return false;
  std::optional<dial_modes::PhonebookEntry> entry;
  try {
    entry = dial_modes::ExplicitEntryNamed(device_, chosen);
  } catch (const lns::LnsError& e) {
    Box(e.description(), QString::fromLatin1(kPlugInTitle));
    return false;
  }
  if (!entry) {
    Box(dial_modes::NoSuchEntryText(chosen), QStringLiteral("Notice!"));
    return false;
  }
  QPointer<fPerpetual> alive(this);
  const Modem modem = modem_options::ExplicitModemOf(*main_);
  // The modem must not answer calls of its own while it keeps its line.
  const modem_options::AutoAnswerOffOutcome off =
      modem_options::SwitchAutoAnswerOff(*main_, ListData, device_, modem, true);
  if (!alive)
    return false;
  if (!off.switchedOff)
    Box(kSetAutoAnswerFailed.text(off.failureReply), kSetAutoAnswerFailed.titleText());

  const QString reply = main_->Send(SetPerpetualMode(SelectorOf(modem), entry->index));
  if (IsFailureReply(reply)) {
    Box(kPerpetualDialFailed.text(reply), kPerpetualDialFailed.titleText());
    return false;
  }
  Succeeded(chosen);
  if (off.switchedOff && !off.confirmed)
    Box(QStringLiteral("Auto Answer could not be confirmed off before Perpetual Mode was set."),
        QStringLiteral("Notice!"));
  return true;
}

bool fPerpetual::DialLonMark(const QString& chosen) {
  if (!device_ || !modemObject_)
    return false;
  std::optional<dial_modes::PhonebookEntry> entry;
  try {
    entry = dial_modes::LonMarkEntryNamed(device_, dialStrings_, chosen);
  } catch (const lns::LnsError& e) {
    Box(e.description(), QString::fromLatin1(kPlugInTitle));
    return false;
  }
  if (!entry) {
    Box(dial_modes::NoSuchEntryText(chosen), QStringLiteral("Notice!"));
    return false;
  }
  try {
    modemObject_->ConfigProperties()
        ->Item(QStringLiteral("UCPT_DialMode"))
        ->SetValue(DialModePerpetualText(entry->index));
  } catch (const lns::LnsError& e) {
    // The mode stays as it was: the marks and the phone number too.
    Box(e.description(), QString::fromLatin1(kPlugInTitle));
    return false;
  }
  Succeeded(chosen);
  return true;
}
