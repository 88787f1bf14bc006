#include "fmain.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "host/mmain.h"
#include "host/object_server_binding.h"
#include "phonebook/phonebook_editor.h"
#include "ring_stats/ring_stats.h"

namespace {

const DeviceWindow::FormNames kNames{
    false,
    "fMain",
    "RLX/Plug",
    "ExplicitCOM",
    "LabelPhoneNumber",
    "MenuModemOptions",
    "SubMenuManual",
    "Manual ",
    "SubMenuLocalPerpetual",
    "SubMenuAbout",
    "Divider",
    "Separator",
};

template <class F>
void IgnoringErrors(F&& step) {
  try {
    step();
  } catch (const std::exception&) {
    // The close procedure goes on whatever fails.
  }
}

// Unloads the other windows of the plug-in: the phonebook editors through
// their own closing path (one with unsaved typing asks first), then the main
// window of the other family. False when the operator kept an editor open.
bool UnloadOtherWindows() {
  if (!ClosePlugInWindows(WindowId::fPhoneBook))
    return false;
  if (PlugInWindow* window = ExistingWindow(WindowId::fMainExplicit)) {
    QWidget* w = window->widget();
    ForgetWindow(WindowId::fMainExplicit);
    w->hide();
    w->deleteLater();
  }
  return true;
}

bool& ClosingNow() {
  static bool closing = false;
  return closing;
}

}  // namespace

fMain::fMain(QWidget* parent) : DeviceWindow(kNames, parent), LcaOS_(CreateObjectServer()) {
  LabelModem = new QLabel(QStringLiteral("Object:"), centralWidget());
  LabelModem->setObjectName(QStringLiteral("LabelModem"));
  QFont bold = LabelModem->font();
  bold.setBold(true);
  LabelModem->setFont(bold);
  ObjectRow->addWidget(LabelModem, 1);
  LabelModem->lower();  // first for a screen reader, as it stands first

  Timer1->setInterval(0);
  connect(Timer1, &QTimer::timeout, this, &fMain::Timer1Tick);

  connect(MenuPhoneBook, &QAction::triggered, this, &fMain::onMenuPhoneBook);
  connect(SubMenuPulse, &QAction::triggered, this, &fMain::onSubMenuPulse);
  connect(SubMenuReboot, &QAction::triggered, this, &fMain::onSubMenuReboot);
  connect(SubMenuRingMode, &QAction::triggered, this, &fMain::onSubMenuRingMode);
  connect(SubMenuAutoAnswer, &QAction::triggered, this, &fMain::onSubMenuAutoAnswer);
  connect(SubMenuInputAudio, &QAction::triggered, this, &fMain::onSubMenuInputAudio);
  connect(SubMenuManual, &QAction::triggered, this, &fMain::onSubMenuManual);
  connect(SubMenuLocalPerpetual, &QAction::triggered, this, &fMain::onSubMenuLocalPerpetual);
  connect(MenuDialOnDemand, &QAction::triggered, this, &fMain::onMenuDialOnDemand);
  connect(SubMenuStatistics, &QAction::triggered, this, &fMain::onSubMenuStatistics);
  connect(CmdDial, &QPushButton::clicked, this, &fMain::onCmdDial);
  connect(CmdCallCancel, &QPushButton::clicked, this, &fMain::onCmdCallCancel);
  // Enter in the phone number dials, as the Dial button would.
  connect(ComboPhone->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    if (CmdDial->isEnabled())
      onCmdDial();
  });

  // The Object Server's update event reaches the window for as long as it lives.
  if (LcaOS_) {
    QPointer<fMain> self(this);
    LcaOS_->setUpdateHandler([self](qint32 code, const QString& value, lns::ObjectPtr object) {
      if (self)
        self->OnUpdateEvent(code, value, object);
    });
  }

  FixSizeAndCentre();
}

fMain::~fMain() {
  if (LcaOS_)
    LcaOS_->setUpdateHandler(nullptr);
  if (ExistingWindow(WindowId::fMain) == this)
    ForgetWindow(WindowId::fMain);
  if (MMain.ObjectServer && MMain.ObjectServer == LcaOS_)
    MMain.ObjectServer.reset();
}

void fMain::Register() {
  RegisterWindow(WindowId::fMain, []() -> PlugInWindow* { return new fMain; });
  SetShutdownProcedure(&fMain::CloseProcedure);
}

bool fMain::EndPlugIn() {
  if (MMain.DirectorCount != 0)
    hide();
  else
    CloseProcedure();
  return true;
}

void fMain::refillPhoneList() {
  const QString shown = ComboPhone->currentText();
  FillPhoneList();
  ComboPhone->setEditText(shown);
}

void fMain::ReleaseReferences() {
  Timer1->stop();
  TheLMObject.reset();
  TheDevice.reset();
  DeviceInterface.reset();
  DeviceObjects.reset();
  DeviceLevelObject.reset();
  DialStringProperty.reset();
  DialModeProperty.reset();
  DescriptionRecord.reset();
  CurrentNv.reset();
  StatusNv.reset();
  StatusTextNv.reset();
}

bool fMain::UnloadForm() {
  if (ClosingNow())
    return true;
  return Close();
}

void fMain::CloseProcedure() { Close(); }

bool fMain::Close() {
  bool& closing = ClosingNow();
  if (closing)
    return true;
  closing = true;
  // The other windows go first, while the network is still open for what an
  // editor saves; an editor the operator keeps open keeps the plug-in.
  if (!UnloadOtherWindows()) {
    closing = false;
    return false;
  }
  auto* self = dynamic_cast<fMain*>(ExistingWindow(WindowId::fMain));
  if (self)
    self->ReleaseReferences();

  IgnoringErrors([] {
    if (MMain.CurrentSystem && MMain.CurrentSystem->IsOpen())
      MMain.CurrentSystem->Close();
  });
  MMain.CurrentSystem.reset();
  IgnoringErrors([] {
    if (MMain.CurrentNetwork && MMain.CurrentNetwork->IsOpen())
      MMain.CurrentNetwork->Close();
  });
  MMain.CurrentNetwork.reset();
  const lns::ObjectServerPtr server = MMain.ObjectServer ? MMain.ObjectServer : self ? self->LcaOS_ : nullptr;
  IgnoringErrors([&server] {
    if (server && server->IsOpen())
      server->Close();
  });
  MMain.ServerOpenedByPlugIn = false;
  MMain.NetworkOpenedByPlugIn = false;

  if (self) {
    self->hide();
    ForgetWindow(WindowId::fMain);
    // The Object Server control goes with the window.
    if (MMain.ObjectServer == self->LcaOS_)
      MMain.ObjectServer.reset();
    self->deleteLater();
  }
  closing = false;
  QCoreApplication::exit(0);
  return true;
}

void fMain::closeEvent(QCloseEvent* event) { event->setAccepted(UnloadForm()); }

bool fMain::event(QEvent* event) {
  // Whenever the window is activated, the phone number field takes the focus
  // when it can be used.
  if (event->type() == QEvent::WindowActivate && ComboPhone->isEnabled())
    ComboPhone->setFocus(Qt::ActiveWindowFocusReason);
  return DeviceWindow::event(event);
}

// --- menu commands -----------------------------------------------------------------

void fMain::onMenuPhoneBook() {
  phonebook::OpenEditorLonMark(this, TheDevice, TheLMObject, DeviceLevelObject, DialStringProperty);
}
void fMain::onSubMenuRingMode() { ring_stats::OpenRingMode(*this); }
void fMain::onSubMenuStatistics() { ring_stats::ShowConnectionStatistics(*this); }
// The calls and the modem and device options are in fmain_calls.cpp.
