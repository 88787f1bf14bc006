#include "fmain_explicit.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include "device_protocol/failure_reports.h"
#include "device_protocol/modem.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "phonebook/phonebook_editor.h"
#include "phonebook/phonebook_sync.h"
#include "platform/ui_services.h"
#include "ring_stats/ring_stats.h"
#include "windows/modem_options.h"

using namespace device_protocol;

namespace {

const DeviceWindow::FormNames kNames{
    true,         "fMainExplicit", "RLX/Plug ",     "ExplicitCom", "LabePhoneNumber", "MenuModem",
    "MenuManual", "Manual",        "MenuPerpetual", "MenuAbout",   "Spacer0",         "Spacer1",
};

constexpr char kFirmwareNotAvailable[] = "RLX Firmware: <not available>";
constexpr int kStatusInterval = 2000;

}  // namespace

fMainExplicit::fMainExplicit(QWidget* parent) : DeviceWindow(kNames, parent) {
  Label1 = new QLabel(QStringLiteral("Modem:"), centralWidget());
  Label1->setObjectName(QStringLiteral("Label1"));
  ComboModem = new QComboBox(centralWidget());
  ComboModem->setObjectName(QStringLiteral("ComboModem"));
  ComboModem->setEditable(false);  // a choice, no typing
  ComboModem->setAccessibleName(QStringLiteral("Modem:"));
  ComboModem->setMinimumWidth(200);
  Label1->setBuddy(ComboModem);
  ObjectRow->addWidget(Label1);
  ObjectRow->addWidget(ComboModem);
  ObjectRow->addStretch(1);
  // The modem row stands at the top of the window: it comes first for a
  // screen reader and for Tab too.
  ComboModem->lower();
  Label1->lower();
  setTabOrder(ComboModem, ComboPhone);
  connect(ComboModem, &QComboBox::currentIndexChanged, this, [this] { ModemSelection(); });

  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(0);
  connect(Timer2, &QTimer::timeout, this, &fMainExplicit::Timer2Tick);
  connect(Timer1, &QTimer::timeout, this, &fMainExplicit::Timer1Tick);

  // "Dial On Demand" has no command in this family: switched off and hidden.
  MenuDialOnDemand->setEnabled(false);
  MenuDialOnDemand->setVisible(false);

  connect(MenuPhoneBook, &QAction::triggered, this, &fMainExplicit::onMenuPhoneBook);
  connect(SubMenuPulse, &QAction::triggered, this, &fMainExplicit::onSubMenuPulse);
  connect(SubMenuReboot, &QAction::triggered, this, &fMainExplicit::onSubMenuReboot);
  connect(SubMenuRingMode, &QAction::triggered, this, &fMainExplicit::onSubMenuRingMode);
  connect(SubMenuAutoAnswer, &QAction::triggered, this, &fMainExplicit::onSubMenuAutoAnswer);
  connect(SubMenuInputAudio, &QAction::triggered, this, &fMainExplicit::onSubMenuInputAudio);
  connect(MenuManual, &QAction::triggered, this, &fMainExplicit::onMenuManual);
  connect(MenuPerpetual, &QAction::triggered, this, &fMainExplicit::onMenuPerpetual);
  connect(SubMenuStatistics, &QAction::triggered, this, &fMainExplicit::onSubMenuStatistics);
  connect(CmdDial, &QPushButton::clicked, this, &fMainExplicit::onCmdDial);
  connect(CmdCallCancel, &QPushButton::clicked, this, &fMainExplicit::onCmdCallCancel);

  FixSizeAndCentre();
}

fMainExplicit::~fMainExplicit() {
  Timer1->stop();
  Timer2->stop();
  if (ExistingWindow(WindowId::fMainExplicit) == this)
    ForgetWindow(WindowId::fMainExplicit);
}

void fMainExplicit::Register() {
  RegisterWindow(WindowId::fMainExplicit, []() -> PlugInWindow* { return new fMainExplicit; });
}

bool fMainExplicit::EndPlugIn() {
  if (MMain.DirectorCount != 0)
    hide();
  else
    RunCloseProcedure();
  return true;
}

QString fMainExplicit::modemName() { return ComboModem->currentText(); }

void fMainExplicit::FillPhoneList() {
  try {
    phonebook::FillPhoneListExplicit(ComboPhone, TheDevice);
  } catch (const lns::LnsError&) {
    // An unreadable phonebook leaves the list as far as it got.
  }
}

void fMainExplicit::refillPhoneList() {
  const QString shown = ComboPhone->currentText();
  ComboPhone->clear();
  FillPhoneList();
  ComboPhone->setCurrentIndex(-1);
  ComboPhone->setEditText(shown);
}

void fMainExplicit::ReleaseReferences() {
  Timer1->stop();
  Timer2->stop();
  CurrentRecord.reset();
  DeviceRecords.reset();
  TheDevice.reset();
}

void fMainExplicit::RunCloseProcedure() {
  // An editor with unsaved typing asks first, while the router can still be
  // reached; one the operator keeps open keeps the plug-in.
  if (!ClosePlugInWindows(WindowId::fPhoneBook))
    return;
  ReleaseReferences();
  RunShutdown();
  // Without fMain's close procedure in place the window still goes.
  if (ExistingWindow(WindowId::fMainExplicit) == this) {
    ForgetWindow(WindowId::fMainExplicit);
    hide();
    deleteLater();
  }
}

bool fMainExplicit::UnloadForm() {
  if (unloading_)
    return true;
  unloading_ = true;
  if (!ClosePlugInWindows(WindowId::fPhoneBook)) {
    unloading_ = false;
    return false;
  }
  ReleaseReferences();
  if (ExistingWindow(WindowId::fMainExplicit) == this)
    ForgetWindow(WindowId::fMainExplicit);
  hide();
  deleteLater();
  // fMain goes too; unloading it ends the plug-in.
  if (auto* main = dynamic_cast<MainWindowLink*>(ExistingWindow(WindowId::fMain)))
    main->unload();
  return true;
}

void fMainExplicit::closeEvent(QCloseEvent* event) { event->setAccepted(UnloadForm()); }

qint32 fMainExplicit::ManagementMode() const {
  const lns::SystemPtr system = Link().system();
  return system ? system->MgmtMode() : 0;
}

void fMainExplicit::LockControls(bool locked) {
  for (QAction* a : {MenuPhoneBook, MenuModem, MenuExit, MenuRLX, MenuHelp})
    a->setEnabled(!locked);
  for (QWidget* w : std::initializer_list<QWidget*>{CmdCallCancel, CmdDial, ComboPhone, ComboModem})
    w->setEnabled(!locked);
}

void fMainExplicit::Wait(int ms) {
  QPointer<fMainExplicit> self(this);
  Timer1->setInterval(ms);
  Timer1->start();
  WaitDone = 0;
  platform::BusyCursor busy;
  LockControls(true);
  // Window events run while the wait lasts; whatever they enable is locked
  // again before the loop next sleeps.
  QEventLoop loop;
  connect(this, &fMainExplicit::waitFinished, &loop, &QEventLoop::quit);
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  const QMetaObject::Connection relock =
      connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        if (!WaitDone)
          LockControls(true);
      });
  if (!WaitDone)
    loop.exec();
  QObject::disconnect(relock);
  if (!self)
    return;
  LockControls(false);
}

void fMainExplicit::Timer1Tick() {
  WaitDone = 1;
  Timer1->stop();
  emit waitFinished();
}

void fMainExplicit::ResetForOpen() {
  // The window serves one open after another in the same process: each
  // starts from the design state.
  Timer2->stop();
  // The device comes from the network open now; the window stays with that
  // network's system while it shows the device.
  Link().SetSystem(MMain.CurrentSystem);
  ResetForAnotherObject();
  PhonebookSupported = false;
  ModemStateCode.clear();
  CurrentRecord.reset();
  DeviceRecords.reset();
  MMain.DeviceOffline = false;
  {
    const QSignalBlocker block(ComboModem);
    ComboModem->clear();
  }
  for (QAction* a : {MenuPhoneBook, MenuRLX, SubMenuPulse, SubMenuReboot, SubMenuRingMode, MenuModem, SubMenuAutoAnswer,
                     SubMenuInputAudio, SubMenuDialMode, SubMenuStatistics, MenuHelp, MenuExit})
    a->setEnabled(true);
  ComboModem->setEnabled(true);
  SetDialControls(true);
  LabelProduct->setText(QStringLiteral("RLX Firmware:"));
  LabelConnectStatus->setText(QString());
  SetLabelColour(LabelConnectStatus, kColourBlack);
  SetMessage(QString(), kColourBlack);
}

void fMainExplicit::ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand&) {
  platform::BusyCursor busy;
  ResetForOpen();
  TheDevice = std::move(device);
  Link().Connect(TheDevice);
  // Off-net nothing at all is sent to the device.
  if (ManagementMode() != 1)
    Send(RingStatusStart());  // the reply is not used

  QString probe;
  for (;;) {
    if (ManagementMode() == 1) {
      ShowOffNet();
      return;
    }
    probe = Send(PresenceProbe());
    if (!IsFailureReply(probe))
      break;
    const int answer = AskNoResponse(TheDevice->Name());
    if (answer == platform::IdYes)
      continue;
    if (answer == platform::IdNo)
      ShowNoAnswer();
    else
      MMain.AttachAbandoned = true;
    return;
  }

  const QString firmware = FirmwareTextFromReply(probe);
  LabelProduct->setText(firmware.isEmpty() ? QString::fromLatin1(kFirmwareNotAvailable)
                                           : QStringLiteral("RLX Firmware: ") + firmware);

  modem_options::InitialiseAutoAnswer(*this, TheDevice);

  // Ring mode support.
  const QString ring = Send(ReadRingMode());
  if (IsFailureReply(ring)) {
    Report(kRingModeProbeFailed.text(ring), kRingModeProbeFailed.titleText());
    SubMenuRingMode->setEnabled(false);
  } else {
    SubMenuRingMode->setEnabled(!IsNotSupportedReply(ring));
  }

  // Phonebook support, and its first download.
  const phonebook::ProbeResult phonebookProbe = phonebook::PhonebookProbeAndDownload(this, Link(), TheDevice);
  PhonebookSupported = phonebookProbe == phonebook::ProbeResult::Supported;
  if (!PhonebookSupported) {
    MenuPhoneBook->setEnabled(false);
    SubMenuDialMode->setEnabled(false);
  }

  {
    const QSignalBlocker block(ComboModem);
    ComboModem->addItems(
        {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName});
    ComboModem->setCurrentIndex(-1);
  }

  // The first ready modem becomes the chosen one (choosing it runs the modem selection).
  const Modem modems[] = {Modem::Internal, Modem::External1, Modem::External2};
  for (int i = 0; i < 3; ++i) {
    const QString reply = Send(ModemStatus(SelectorOf(modems[i])));
    if (IsFailureReply(reply)) {
      const FailureMessage& failure = CheckModemStatusFailed(modems[i]);
      Report(failure.text(reply), failure.titleText());
      continue;
    }
    if (ModemIsReady(reply)) {
      ComboModem->setCurrentIndex(i);
      break;
    }
  }
  if (ComboModem->currentText().isEmpty()) {
    ShowNotReady();
    for (QAction* a : {SubMenuInputAudio, SubMenuAutoAnswer, SubMenuDialMode, SubMenuStatistics})
      a->setEnabled(false);
  }
  if (!PhonebookSupported) {
    MenuPhoneBook->setEnabled(false);
    SubMenuDialMode->setEnabled(false);
  }
  Timer2->setInterval(kStatusInterval);
  Timer2->start();
}

void fMainExplicit::ShowOffNet() {
  MenuModem->setEnabled(false);
  MenuRLX->setEnabled(false);
  ComboModem->setEnabled(false);
  SetDialControls(false);
  LabelProduct->setText(QString::fromLatin1(kFirmwareNotAvailable));
  LabelConnectStatus->setText(QString());
  SetMessage(QStringLiteral("<OFFNET>"), kColourBlack);
  try {
    phonebook::OfflineRecordCreation(TheDevice);
  } catch (const lns::LnsError&) {
    // The records are made when the database can be written again.
  }
  MenuPhoneBook->setEnabled(true);
}

void fMainExplicit::ShowNoAnswer() {
  MenuRLX->setEnabled(false);
  MenuModem->setEnabled(false);
  SetDialControls(false);
  ComboModem->setEnabled(false);
  try {
    phonebook::OfflineRecordCreation(TheDevice);
  } catch (const lns::LnsError&) {
    // The records are made when the database can be written again.
  }
  MenuPhoneBook->setEnabled(true);
  MMain.DeviceOffline = true;
  LabelProduct->setText(QString::fromLatin1(kFirmwareNotAvailable));
  SetLabelColour(LabelConnectStatus, kColourRed);
  // Shown in red like every other warning of the message line.
  SetMessage(QStringLiteral("No Response from RLX"), kColourRed);
}

void fMainExplicit::ShowNotReady() {
  for (QAction* a : {SubMenuReboot, SubMenuPulse, MenuPhoneBook, SubMenuDialMode, SubMenuAutoAnswer, SubMenuStatistics})
    a->setEnabled(true);
  SetDialControls(false);
  LabelConnectStatus->setText(QStringLiteral(" "));
  SetMessage(QStringLiteral("Modem not ready, or port is disabled"), kColourRed);
}

// --- menu commands -----------------------------------------------------------------

void fMainExplicit::onMenuPhoneBook() { phonebook::OpenEditorExplicit(this, TheDevice); }
void fMainExplicit::onSubMenuRingMode() { ring_stats::OpenRingMode(*this); }
void fMainExplicit::onSubMenuStatistics() { ring_stats::ShowConnectionStatistics(*this); }
// The calls and the modem and device options are in fmain_explicit_calls.cpp.
