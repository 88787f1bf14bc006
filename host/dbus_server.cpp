#include "dbus_server.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "host/mmain.h"

namespace automation {

DBusServer::DBusServer(const QDBusConnection& connection, QObject* parent)
    : QDBusVirtualObject(parent), connection_(connection) {
  watcher_.setConnection(connection_);
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString& owner) {
    watcher_.removeWatchedService(owner);
    dispatcher_.releaseOwnedBy(owner);
  });
  dispatcher_.onNewOwner = [this](const QString& owner) { watchOwner(owner); };
}

DBusServer::~DBusServer() { stop(); }

DBusServer::Start DBusServer::start(QString* problem) {
  if (!connection_.isConnected()) {
    *problem = connection_.lastError().message();
    if (problem->isEmpty())
      *problem = QStringLiteral("no session bus");
    return Start::Failed;
  }
  if (!connection_.registerVirtualObject(kFactoryPath, this, QDBusConnection::SubPath)) {
    *problem = QStringLiteral("the object path %1 is in use").arg(kFactoryPath);
    return Start::Failed;
  }
  registered_ = true;
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = connection_.interface()->registerService(
      kServiceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) {
    *problem = reply.error().message();
    return Start::Failed;
  }
  if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    *problem = QStringLiteral("the name %1 is taken").arg(kServiceName);
    return Start::NameTaken;
  }
  return Start::Serving;
}

void DBusServer::stop() {
  if (!registered_)
    return;
  registered_ = false;
  connection_.unregisterObject(kFactoryPath, QDBusConnection::UnregisterTree);
  if (connection_.isConnected() && connection_.interface())
    connection_.interface()->unregisterService(kServiceName);  // a round trip: earlier replies are out
}

void DBusServer::watchOwner(const QString& owner) {
  watcher_.addWatchedService(owner);
  // A director that left before the watch was in place would never be seen
  // leaving; ask the bus now. Its release waits until the reply to the
  // creation has gone out.
  const QDBusReply<bool> present = connection_.interface()->isServiceRegistered(owner);
  if (present.isValid() && !present.value())
    QTimer::singleShot(0, this, [this, owner] {
      watcher_.removeWatchedService(owner);
      dispatcher_.releaseOwnedBy(owner);
    });
}

QString DBusServer::introspect(const QString& path) const { return dispatcher_.introspect(path); }

bool DBusServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage)
    return false;
  const QString iface = message.interface();
  // Introspection and the peer interface are answered by the bus library,
  // which asks introspect() for this object's part.
  if (iface == QLatin1String("org.freedesktop.DBus.Introspectable") ||
      iface == QLatin1String("org.freedesktop.DBus.Peer") ||
      (iface.isEmpty() && message.member() == QLatin1String("Introspect") && message.signature().isEmpty()))
    return false;

  // Calls keep their order: once one waits, every later one waits behind it.
  if (depth_ >= kMaxNestedCalls || !waiting_.empty()) {
    waiting_.push_back(Waiting{message, connection});
    answerWaitingLater();
    return true;
  }
  answer(message, connection);
  return true;
}

void DBusServer::answer(const QDBusMessage& message, const QDBusConnection& connection) {
  const Call call{message.service(), message.path(),      message.interface(),
                  message.member(),  message.signature(), message.arguments()};
  ++depth_;
  const Reply reply = dispatchCall(call);
  --depth_;
  if (message.isReplyRequired()) {
    QDBusConnection(connection).send(ReplyMessage(message, reply));
  }
  if (!waiting_.empty())
    answerWaitingLater();
}

void DBusServer::answerWaitingLater() {
  if (drainScheduled_)
    return;
  drainScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    drainScheduled_ = false;
    while (!waiting_.empty() && depth_ < kMaxNestedCalls) {
      const Waiting next = waiting_.front();
      waiting_.pop_front();
      answer(next.message, next.connection);
    }
  });
}

IdleMonitor::IdleMonitor(const platform::Clock& clock, qint64 idleMs, std::function<bool()> busy,
                         std::function<void()> onIdle, QObject* parent)
    : QObject(parent),
      clock_(clock),
      idleMs_(idleMs),
      busy_(std::move(busy)),
      onIdle_(std::move(onIdle)),
      lastBusy_(clock.nowMs()) {
  timer_.setInterval(static_cast<int>(std::clamp<qint64>(idleMs_ / 4, 50, 1000)));
  connect(&timer_, &QTimer::timeout, this, &IdleMonitor::check);
  timer_.start();
}

void IdleMonitor::check() {
  if (fired_)
    return;
  const qint64 now = clock_.nowMs();
  if (busy_()) {
    lastBusy_ = now;
    return;
  }
  if (now - lastBusy_ >= idleMs_) {
    fired_ = true;
    timer_.stop();
    onIdle_();
  }
}

qint64 IdleExitMs() {
  bool ok = false;
  const qint64 ms = qEnvironmentVariable("RLX_PLUG_IDLE_EXIT_MS").toLongLong(&ok);
  return ok && ms > 0 ? ms : 60'000;
}

bool PlugInInUse(const Dispatcher& dispatcher) {
  if (dispatcher.liveObjects() > 0 || MMain.DirectorCount > 0)
    return true;
  const QWidgetList windows = QApplication::topLevelWidgets();
  return std::any_of(windows.begin(), windows.end(), [](const QWidget* w) { return w->isVisible(); });
}

int RunAutomationServer() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  DBusServer server(bus);
  QString problem;
  switch (server.start(&problem)) {
    case DBusServer::Start::Serving: break;
    case DBusServer::Start::NameTaken:
      // One process serves every director; the one already running does.
      std::fprintf(stderr, "RLX_Plug: %s is already served by another process; this one leaves\n",
                   qPrintable(kServiceName));
      return 0;
    case DBusServer::Start::Failed:
      std::fprintf(stderr, "RLX_Plug: cannot serve %s on the session bus: %s\n", qPrintable(kServiceName),
                   qPrintable(problem));
      return 1;
  }
  IdleMonitor idle(
      platform::SystemClock::instance(), IdleExitMs(), [&server] { return PlugInInUse(server.dispatcher()); },
      [] { RunShutdown(); });
  const int rc = QApplication::exec();
  server.stop();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return rc;
}

}  // namespace automation
