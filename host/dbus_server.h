#pragma once
// The automation server on the session bus: the name RLX_Plug.LNSPlugInAPI,
// the factory and the plug-in objects (served as one virtual object so that
// every property write can fail properly), the release of the objects of a
// connection that goes away, and the exit of a server nobody uses.

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>
#include <deque>
#include <functional>

#include "host/automation_dispatch.h"
#include "platform/clock.h"

namespace automation {

class DBusServer : public QDBusVirtualObject {
  Q_OBJECT
 public:
  explicit DBusServer(const QDBusConnection& connection, QObject* parent = nullptr);
  ~DBusServer() override;

  enum class Start { Serving, NameTaken, Failed };
  // Registers the objects, then takes the well-known name. With the name
  // already taken, another process serves the directors.
  Start start(QString* problem);
  // Gives the name up (the process is ending).
  void stop();

  Dispatcher& dispatcher() { return dispatcher_; }

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  // A call may wait for the operator on the event loop (Register's dialog, a
  // window's open sequence), where the next call comes in and may wait in
  // turn. At most this many calls are under way inside one another; later
  // calls wait in order until one of them ends, so no director, however many
  // calls it queues, can make the server recurse without bound.
  static constexpr int kMaxNestedCalls = 4;
  int callsUnderWay() const { return depth_; }
  int callsWaiting() const { return static_cast<int>(waiting_.size()); }

 protected:
  // Answers one call (the dispatcher; a test puts its own calls here).
  virtual Reply dispatchCall(const Call& call) { return dispatcher_.dispatch(call); }

 private:
  void watchOwner(const QString& owner);
  void answer(const QDBusMessage& message, const QDBusConnection& connection);
  void answerWaitingLater();

  struct Waiting {
    QDBusMessage message;
    QDBusConnection connection;
  };
  std::deque<Waiting> waiting_;
  int depth_ = 0;
  bool drainScheduled_ = false;

  QDBusConnection connection_;
  Dispatcher dispatcher_;
  QDBusServiceWatcher watcher_;
  bool registered_ = false;
};

// Ends a server that has had nothing to do for a while: no live object and
// no window shown. The check runs on a timer; check() can also be called
// directly.
class IdleMonitor : public QObject {
  Q_OBJECT
 public:
  IdleMonitor(const platform::Clock& clock, qint64 idleMs, std::function<bool()> busy, std::function<void()> onIdle,
              QObject* parent = nullptr);
  void check();
  bool fired() const { return fired_; }

 private:
  const platform::Clock& clock_;
  qint64 idleMs_;
  std::function<bool()> busy_;
  std::function<void()> onIdle_;
  qint64 lastBusy_;
  bool fired_ = false;
  QTimer timer_;
};

// The idle period before an unused server ends: RLX_PLUG_IDLE_EXIT_MS when it
// holds a positive number, else 60 seconds.
qint64 IdleExitMs();

// True while anything of the plug-in is in use: a live object or a window shown.
bool PlugInInUse(const Dispatcher& dispatcher);

// The automation start: serves directors on the session bus until the
// plug-in ends. Returns the process's exit code.
int RunAutomationServer();

}  // namespace automation
