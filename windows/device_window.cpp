#include "device_window.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "explicit_control/zev_activex_ctrl.h"
#include "host/fabout.h"
#include "host/mmain.h"
#include "host/product_picture.h"
#include "platform/accessibility.h"
#include "platform/ui_services.h"
#include "window_support/small_windows.h"
#include "windows/dial_modes.h"

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

QAction* item(QMenu* menu, const char* name, const QString& caption, bool checkable = false) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  a->setCheckable(checkable);
  return a;
}

// A drop-down menu; the answer is its action, which carries the name too.
QAction* dropDown(QWidget* owner, QMenu* parentMenu, QMenuBar* bar, const char* name, const QString& caption) {
  auto* menu = new QMenu(caption, owner);
  menu->setObjectName(QString::fromLatin1(name));
  QAction* a = parentMenu ? parentMenu->addMenu(menu) : bar->addMenu(menu);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

QAction* separator(QMenu* menu, const char* name) {
  QAction* a = menu->addSeparator();
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

// Takes the hourglass away while the operator is asked something.
class NormalPointer {
 public:
  NormalPointer() : previous_(platform::ui().pointer()) { platform::ui().setPointer(platform::Pointer::Default); }
  ~NormalPointer() { platform::ui().setPointer(previous_); }
  NormalPointer(const NormalPointer&) = delete;
  NormalPointer& operator=(const NormalPointer&) = delete;

 private:
  platform::Pointer previous_;
};

}  // namespace

DeviceWindow::DeviceWindow(const FormNames& names, QWidget* parent)
    : QMainWindow(parent), link_(nullptr), explicitFamily_(names.explicitFamily) {
  setObjectName(QString::fromLatin1(names.window));
  setWindowTitle(QString::fromLatin1(names.caption));

  Control = new CZEV_ActiveXCtrl(this);
  Control->setObjectName(QString::fromLatin1(names.control));
  link_ = window_support::DeviceLink(Control);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(0);

  // --- menus ---------------------------------------------------------------
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MenuBar"));
  MenuPhoneBook = bar->addAction(QStringLiteral("&Phonebook"));
  MenuPhoneBook->setObjectName(QStringLiteral("MenuPhoneBook"));

  MenuRLX = dropDown(this, nullptr, bar, "MenuRLX", QStringLiteral("&RLX Options"));
  QMenu* rlx = MenuOf(MenuRLX);
  SubMenuPulse = item(rlx, "SubMenuPulse", QStringLiteral("&Pulse Router Service Pin"));
  SubMenuReboot = item(rlx, "SubMenuReboot", QStringLiteral("&Soft Reboot"));
  RlxSeparator = separator(rlx, names.rlxSeparator);
  SubMenuRingMode = item(rlx, "SubMenuRingMode", QStringLiteral("&Ring Mode Parameters"));

  ModemMenu = dropDown(this, nullptr, bar, names.modemMenu, QStringLiteral("&Modem Options"));
  QMenu* modem = MenuOf(ModemMenu);
  SubMenuAutoAnswer = item(modem, "SubMenuAutoAnswer", QStringLiteral("&Auto Answer"), true);
  SubMenuInputAudio = item(modem, "SubMenuInputAudio", QStringLiteral("&Mute Input Audio"), true);
  SubMenuDialMode = dropDown(this, modem, nullptr, "SubMenuDialMode", QStringLiteral("&Dial Mode"));
  QMenu* dialMode = MenuOf(SubMenuDialMode);
  ManualItem = item(dialMode, names.manual, QString::fromLatin1(names.manualCaption), true);
  PerpetualItem = item(dialMode, names.perpetual, QStringLiteral("Perpetual"), true);
  MenuDialOnDemand = item(dialMode, "MenuDialOnDemand", QStringLiteral("Dial On Demand"), true);
  ModemSeparator = separator(modem, names.modemSeparator);
  SubMenuStatistics = item(modem, "SubMenuStatistics", QStringLiteral("&Connection Statistics"));

  MenuHelp = dropDown(this, nullptr, bar, "MenuHelp", QStringLiteral("&Help"));
  AboutItem = item(MenuOf(MenuHelp), names.about, QStringLiteral("&About"));
  MenuExit = bar->addAction(QStringLiteral("&Exit"));
  MenuExit->setObjectName(QStringLiteral("MenuExit"));

  // Check marks mirror the device: a click leaves the mark alone and the
  // command sets it when the device has taken the change.
  for (QAction* a : {SubMenuAutoAnswer, SubMenuInputAudio, ManualItem, PerpetualItem, MenuDialOnDemand})
    connect(a, &QAction::triggered, a, [a](bool now) {
      const QSignalBlocker block(a);
      a->setChecked(!now);
    });
  connect(MenuExit, &QAction::triggered, this, &DeviceWindow::onMenuExit);
  connect(AboutItem, &QAction::triggered, this, &DeviceWindow::onAbout);

  // --- the form ------------------------------------------------------------
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("Form"));
  setCentralWidget(form);
  auto* outer = new QHBoxLayout(form);
  outer->setContentsMargins(16, 14, 16, 16);
  outer->setSpacing(16);

  Image1 = label(form, "Image1", QString());
  Image1->setPixmap(host_ui::ProductPicture(QSize(120, 80), devicePixelRatioF()));
  Image1->setFixedSize(120, 80);
  Image1->setAccessibleName(QStringLiteral("RLX"));
  auto* pictureColumn = new QVBoxLayout;
  pictureColumn->addWidget(Image1);
  pictureColumn->addStretch();
  outer->addLayout(pictureColumn);

  auto* column = new QVBoxLayout;
  column->setSpacing(8);
  outer->addLayout(column, 1);

  ObjectRow = new QHBoxLayout;
  ObjectRow->setSpacing(8);
  column->addLayout(ObjectRow);

  // The labels that show values keep their text as their accessible name, so
  // a screen reader reads the value; the description says what it is.
  LabelProduct = label(form, "LabelProduct", QStringLiteral("RLX Firmware:"));
  column->addWidget(LabelProduct);

  // The telephone state stands out in a sunken box of its own.
  LabelConnectStatus = label(form, "LabelConnectStatus", QString());
  LabelConnectStatus->setAccessibleDescription(QStringLiteral("Telephone state"));
  LabelConnectStatus->setFrameShape(QFrame::Panel);
  LabelConnectStatus->setFrameShadow(QFrame::Sunken);
  LabelConnectStatus->setMinimumHeight(26);
  LabelConnectStatus->setAlignment(Qt::AlignCenter);
  QFont stateFont = LabelConnectStatus->font();
  stateFont.setBold(true);
  stateFont.setPointSizeF(stateFont.pointSizeF() * 1.15);
  LabelConnectStatus->setFont(stateFont);
  column->addWidget(LabelConnectStatus);

  Frame1 = new QFrame(form);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setFrameShape(QFrame::StyledPanel);
  Frame1->setFrameShadow(QFrame::Sunken);
  auto* dial = new QGridLayout(Frame1);
  dial->setContentsMargins(10, 8, 10, 8);
  dial->setHorizontalSpacing(8);
  dial->setVerticalSpacing(8);
  PhoneNumberLabel = label(Frame1, names.phoneLabel, QStringLiteral("Phone Number:"));
  ComboPhone = new QComboBox(Frame1);
  ComboPhone->setObjectName(QStringLiteral("ComboPhone"));
  ComboPhone->setEditable(true);
  ComboPhone->setInsertPolicy(QComboBox::NoInsert);
  ComboPhone->setAccessibleName(QStringLiteral("Phone Number:"));
  ComboPhone->setMinimumWidth(220);
  // A typed text is a number to dial even when it reads like a phonebook
  // line; only a line chosen from the list (or shown by the window) is an entry.
  connect(ComboPhone->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { typedPhoneText_ = text; });
  connect(ComboPhone, &QComboBox::activated, this, [this] { typedPhoneText_.clear(); });
  PhoneNumberLabel->setBuddy(ComboPhone);
  CmdDial = new QPushButton(QStringLiteral("Dial"), Frame1);
  CmdDial->setObjectName(QStringLiteral("CmdDial"));
  CmdDial->setAccessibleName(QStringLiteral("Dial"));
  CmdCallCancel = new QPushButton(QStringLiteral("Call Cancel"), Frame1);
  CmdCallCancel->setObjectName(QStringLiteral("CmdCallCancel"));
  CmdCallCancel->setAccessibleName(QStringLiteral("Call Cancel"));
  for (QPushButton* b : {CmdDial, CmdCallCancel}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(96);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CmdDial);
  buttons->addWidget(CmdCallCancel);
  dial->addWidget(PhoneNumberLabel, 0, 0);
  dial->addWidget(ComboPhone, 0, 1);
  dial->addLayout(buttons, 1, 0, 1, 2);
  dial->setColumnStretch(1, 1);
  column->addWidget(Frame1);

  auto* messageRow = new QHBoxLayout;
  messageRow->setSpacing(6);
  labelMes = label(form, "labelMes", QStringLiteral("Message:"));
  LabelMessage = label(form, "LabelMessage", QString());
  // It reads as the message (an empty line as nothing), described by its caption.
  platform::TieValueToCaption(LabelMessage, labelMes);
  LabelMessage->setWordWrap(true);
  LabelMessage->setMinimumHeight(34);
  LabelMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  labelMes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  labelMes->setBuddy(LabelMessage);
  messageRow->addWidget(labelMes);
  messageRow->addWidget(LabelMessage, 1);
  column->addLayout(messageRow);
  column->addStretch();

  ListData = new QListWidget(form);
  ListData->setObjectName(QStringLiteral("ListData"));
  // A scratch list for splitting replies: never shown, never read out.
  platform::HideFromAssistiveTechnology(ListData);

  SetLabelColour(LabelMessage, kColourBlack);
  SetLabelColour(LabelConnectStatus, kColourBlack);

  // A fixed single border: the operator cannot size the window.
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  window_support::SetMainWindowLink(explicitFamily_, this);
}

DeviceWindow::~DeviceWindow() {
  if (window_support::MainWindowOf(explicitFamily_) == this)
    window_support::SetMainWindowLink(explicitFamily_, nullptr);
}

QMenu* DeviceWindow::MenuOf(QAction* action) const { return action ? action->menu() : nullptr; }

void DeviceWindow::FixSizeAndCentre() {
  // Room for the longest lines the window shows (connection details, the
  // modem warnings) without the window growing afterwards.
  const QSize hint = sizeHint().expandedTo(QSize(560, 0));
  setFixedSize(hint);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void DeviceWindow::SetLabelColour(QLabel* label, unsigned colour) {
  // Colours come in the classic 0x00BBGGRR form.
  const QColor c(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, c);
  label->setPalette(p);
}

unsigned DeviceWindow::LabelColour(const QLabel* label) {
  const QColor c = label->palette().color(QPalette::WindowText);
  return static_cast<unsigned>(c.red()) | static_cast<unsigned>(c.green()) << 8 | static_cast<unsigned>(c.blue()) << 16;
}

void DeviceWindow::SetMessage(const QString& text, unsigned colour) {
  SetLabelColour(LabelMessage, colour);
  LabelMessage->setText(text);
}

void DeviceWindow::SetDialControls(bool enabled) {
  CmdDial->setEnabled(enabled);
  CmdCallCancel->setEnabled(enabled);
  ComboPhone->setEnabled(enabled);
}

bool DeviceWindow::PhoneLineChosen() const {
  const QString text = ComboPhone->currentText();
  return !text.isEmpty() && text != typedPhoneText_ &&
         ComboPhone->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}

void DeviceWindow::ClearPhoneText() {
  ComboPhone->setCurrentIndex(-1);
  ComboPhone->setEditText(QString());
  typedPhoneText_.clear();
}

int DeviceWindow::StatusPollInterval() const {
  switch (unansweredPolls_) {
    case 0: return kStatusPollMs;
    case 1: return 10'000;
    case 2: return 20'000;
    default: return 30'000;
  }
}

void DeviceWindow::PollAnswered(bool answered) { unansweredPolls_ = answered ? 0 : unansweredPolls_ + 1; }

void DeviceWindow::ShowRouterSilent(const QString& message) {
  LabelConnectStatus->setText(QString());
  SetMessage(message, kColourRed);
  CmdDial->setEnabled(false);
  ComboPhone->setEnabled(false);
}

void DeviceWindow::ShowRouterBack() { SetMessage(QString(), kColourBlack); }

void DeviceWindow::ResetForAnotherObject() {
  dial_modes::CloseDialogs(*this);
  for (QAction* mark : {SubMenuAutoAnswer, SubMenuInputAudio, ManualItem, PerpetualItem, MenuDialOnDemand})
    mark->setChecked(false);
  ComboPhone->clear();
  ClearPhoneText();
  unansweredPolls_ = 0;
}

void DeviceWindow::ReportCallCancelUnconfirmed() {
  Report(QStringLiteral("Call Cancel was sent, but the RLX does not respond: the call may still be up."),
         QStringLiteral("Notice"));
}

int DeviceWindow::AskNoResponse(const QString& deviceName) {
  const QChar cr(13);
  NormalPointer pointer;
  return fConnectionError::Ask(this, QStringLiteral("No response from ") + deviceName + u'.' + cr +
                                         QStringLiteral("Make sure the device is connected before proceeding.") + cr +
                                         QStringLiteral("Retry?"));
}

void DeviceWindow::Report(const QString& text, const QString& title) {
  NormalPointer pointer;
  platform::msgBox(text, platform::MsgButtons::Ok, title, platform::MsgIcon::None, 0, this);
}

void DeviceWindow::ExitCommand() {
  const int directors = MMain.DirectorCount;
  if (directors != 0) {
    const QString text =
        directors == 1 ? QStringLiteral(
                             "A director is using this plug-in.  Exiting may cause the director to experience errors.  "
                             "Are you sure that you want to exit?")
                       : QStringLiteral("There are ") + QString::number(directors) +
                             QStringLiteral(
                                 " directors using this plug-in.  Exiting may cause the directors to experience "
                                 "errors.  Are you sure that you want to exit?");
    NormalPointer pointer;
    const int answer = platform::msgBox(text, platform::MsgButtons::YesNo, QStringLiteral("RLX_Plug"),
                                        platform::MsgIcon::None, 1, this);
    if (answer != platform::IdYes)
      return;
  }
  RunCloseProcedure();
}

void DeviceWindow::onMenuExit() { ExitCommand(); }

void DeviceWindow::onAbout() { fAbout::ShowAbout(this); }
