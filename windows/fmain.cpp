#include "fmain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "host/mmain.h"
#include "host/object_server_binding.h"

namespace {

template <class F>
void IgnoringErrors(F&& step) {
  try {
    step();
  } catch (const std::exception&) {
    // The close procedure goes on whatever fails.
  }
}

// Unloads the other windows of the plug-in (the main window of the other
// family and the phonebook).
void UnloadOtherWindows() {
  for (WindowId id : {WindowId::fMainExplicit, WindowId::fPhoneBook}) {
    PlugInWindow* window = ExistingWindow(id);
    if (!window)
      continue;
    QWidget* w = window->widget();
    ForgetWindow(id);
    w->hide();
    w->deleteLater();
  }
}

bool& ClosingNow() {
  static bool closing = false;
  return closing;
}

}  // namespace

fMain::fMain(QWidget* parent) : QMainWindow(parent), LcaOS_(CreateObjectServer()) {
  setObjectName(QStringLiteral("fMain"));
  setWindowTitle(QStringLiteral("RLX/Plug"));
  // Controls sit at fixed places on the form (no layout), so the operator's
  // windows add theirs beside them.
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("Form"));
  setCentralWidget(form);
  LabelModem = new QLabel(QStringLiteral("Object:"), form);
  LabelModem->setObjectName(QStringLiteral("LabelModem"));
  LabelModem->setGeometry(12, 12, 456, 20);

  // A fixed single border: the operator cannot size the window.
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(480, 320);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

fMain::~fMain() {
  if (ExistingWindow(WindowId::fMain) == this)
    ForgetWindow(WindowId::fMain);
  if (MMain.ObjectServer && MMain.ObjectServer == LcaOS_)
    MMain.ObjectServer.reset();
}

void fMain::Register() {
  RegisterWindow(WindowId::fMain, []() -> PlugInWindow* { return new fMain; });
  SetShutdownProcedure(&fMain::CloseProcedure);
}

void fMain::ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand&) {
  TheDevice = std::move(device);
  TheLMObject.reset();
  LabelModem->setText(QStringLiteral("Object: ") + TheDevice->Name());
}

void fMain::ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand&) {
  TheLMObject = std::move(object);
  LabelModem->setText(QStringLiteral("Object:  ") + TheLMObject->DisplayName());
  TheDevice = TheLMObject->Device();
}

bool fMain::EndPlugIn() {
  if (MMain.DirectorCount != 0)
    hide();
  else
    CloseProcedure();
  return true;
}

void fMain::ReleaseReferences() {
  TheLMObject.reset();
  TheDevice.reset();
}

void fMain::Unload() {
  UnloadOtherWindows();
  hide();
  ForgetWindow(WindowId::fMain);
  // The Object Server control goes with the window.
  if (MMain.ObjectServer == LcaOS_)
    MMain.ObjectServer.reset();
  deleteLater();
}

void fMain::CloseProcedure() {
  bool& closing = ClosingNow();
  if (closing)
    return;
  closing = true;
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

  if (self)
    self->Unload();
  else
    UnloadOtherWindows();
  closing = false;
  QCoreApplication::exit(0);
}

void fMain::closeEvent(QCloseEvent* event) {
  event->accept();
  if (ClosingNow())
    return;
  UnloadOtherWindows();
  CloseProcedure();
}
