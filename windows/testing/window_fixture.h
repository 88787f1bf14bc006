#pragma once
// The main windows on the simulated demo network: both windows registered
// with the host the way RLX_Plug registers them, objects attached the way a
// director's "Configure" command attaches them, and every window's control
// waiting on the network's simulated completion wait.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "explicit_control/zev_activex_ctrl.h"
#include "host/attach.h"
#include "host/mmain.h"
#include "host/plugin_window.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/sim_network.h"
#include "window_support/small_windows.h"
#include "windows/fmain.h"
#include "windows/fmain_explicit.h"
#include "windows/waits.h"

namespace window_testing {

using testing_support::scriptedUi;
using testing_support::SimNetwork;

inline QString modemObject(int index) {
  switch (index) {
    case 0: return MMain.InternalModemObjectName;
    case 1: return MMain.ExternalModem1ObjectName;
    default: return MMain.ExternalModem2ObjectName;
  }
}

// The windows' pauses (reboot loops, auto-answer waits) on simulated time: a
// pause moves the network clock by its length and lets window events run;
// the bounds of waits are measured on the network clock.
class NetworkPacer : public window_waits::Pacer {
 public:
  explicit NetworkPacer(SimNetwork& net) : net_(net), clock_(net) {}
  void pause(int ms) override {
    ++pauses;
    pausedMs += ms;
    net_.advance(ms);
    QCoreApplication::processEvents();
    if (onPause)
      onPause();
  }
  const platform::Clock& clock() const override { return clock_; }

  int pauses = 0;
  qint64 pausedMs = 0;
  std::function<void()> onPause;  // runs inside every pause, after the window events

 private:
  class NetworkTime : public platform::Clock {
   public:
    explicit NetworkTime(SimNetwork& net) : net_(net) {}
    qint64 nowMs() const override { return net_.now(); }
    qint64 epochMs() const override { return net_.now(); }

   private:
    SimNetwork& net_;
  };
  SimNetwork& net_;
  NetworkTime clock_;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    net = std::make_unique<SimNetwork>();
    pacer = std::make_unique<NetworkPacer>(*net);
    window_waits::setPacer(pacer.get());
    fMain::Register();
    fMainExplicit::Register();
    // The host creates fMain with the first director's object.
    main();
  }

  void TearDown() override {
    for (WindowId id : {WindowId::fMainExplicit, WindowId::fMain})
      if (PlugInWindow* w = ExistingWindow(id))
        delete w->widget();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (WindowId id : {WindowId::fMain, WindowId::fMainExplicit, WindowId::fPhoneBook})
      RegisterWindow(id, nullptr);
    SetShutdownProcedure(nullptr);
    window_waits::setPacer(nullptr);
    pacer.reset();
    net.reset();
  }

  fMain* main() {
    auto* w = dynamic_cast<fMain*>(Window(WindowId::fMain));
    w->Control->SetCompletionWait(&net->completionWait());
    return w;
  }
  fMainExplicit* explicitWindow() {
    auto* w = dynamic_cast<fMainExplicit*>(Window(WindowId::fMainExplicit));
    w->Control->SetCompletionWait(&net->completionWait());
    return w;
  }

  // "Configure" as a director sends it: a device (7) or a LonMark object (28)
  // named by its path below the system.
  void configure(const QString& path, qint32 type, int row) {
    explicitWindow();  // the control waits on simulated time from the start
    attach::SplitPath(path);
    attach::Attach(MMain.PlugInCommandTable[row], attach::FindObject(type));
  }
  void configureObject(const QString& object) {
    const int row = object == MMain.InternalModemObjectName ? 1 : object == QLatin1String("Device Globals") ? 5 : 2;
    configure(QStringLiteral("Routers/RLX-LonMark/") + object, 28, row);
  }
  void configureLonMarkDevice() { configure(QStringLiteral("Routers/RLX-LonMark"), 7, 0); }
  void configureExplicitDevice() { configure(QStringLiteral("Routers/RLX-Explicit"), 7, 6); }

  // Answers the next "Connection Error" windows with these buttons, in order.
  void answerConnectionError(QList<const char*> buttons, std::function<void()> meanwhile = nullptr) {
    scriptedUi().onModal([this, buttons, meanwhile](QDialog* d) mutable {
      prompts << d->findChild<QLabel*>(QStringLiteral("Label1"))->text();
      if (meanwhile)
        meanwhile();
      const char* button = buttons.isEmpty() ? "bCancel" : buttons.takeFirst();
      d->findChild<QPushButton*>(QString::fromLatin1(button))->click();
      return d->result();
    });
  }

  // Runs the action inside the program's event loop; true when it ended the program.
  static bool EndsTheProgram(const std::function<void()>& action) {
    QTimer::singleShot(0, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10'000);  // only reached when the action did not end the program
    return QApplication::exec() == 0;
  }

  std::unique_ptr<SimNetwork> net;
  std::unique_ptr<NetworkPacer> pacer;
  QStringList prompts;
};

// The explicit window on the demo's explicit router, with the helpers its
// command tests share.
class ExplicitWindowTest : public WindowTest {
 protected:
  lns::AppDevicePtr device() { return net->explicitDevice(); }
  fMainExplicit* w() { return explicitWindow(); }
  lns::ExtensionRecordPtr record(const QString& name) { return device()->Extensions()->Item(name); }
  // The three fields of the auto-answer record, one after the other.
  QString autoAnswerRecord() {
    auto r = record(QStringLiteral("ZevExplicitAutoAnswer"));
    return r->Field(1) + r->Field(2) + r->Field(3);
  }
  // A phonebook entry in the database copy (as given) and on the router (trimmed,
  // as a save stores it).
  void entry(int i, const QString& number, const QString& description) {
    auto r = record(QStringLiteral("ZevExplicitPhonebook") + QString::number(i));
    r->SetField(1, number);
    r->SetField(2, description);
    net->change(device(), [&](rlxsim::DeviceState& s) { s.phonebook[i] = number.trimmed(); });
  }
};

// Enabled states of a list of actions, for compact expectations.
inline QString states(std::initializer_list<QAction*> actions) {
  QString s;
  for (QAction* a : actions)
    s += a->isEnabled() ? u'1' : u'0';
  return s;
}

}  // namespace window_testing
