#include "director.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <QXmlStreamReader>
#include <csignal>
#include <limits>

namespace director {

namespace {

const QString kService = QStringLiteral("RLX_Plug.LNSPlugInAPI");
const QString kFactoryPath = QStringLiteral("/RLX_Plug");
const QString kFactoryInterface = QStringLiteral("RLX_Plug.Factory");
const QString kInterface = QStringLiteral("RLX_Plug._LNSPlugInAPI");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Creating the object may start the plug-in first.
constexpr int kCallTimeoutMs = 120'000;
// A command opens a window that may ask the operator first: wait as long as it takes.
constexpr int kCommandTimeoutMs = std::numeric_limits<int>::max();

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnSignal(int) { interrupted = 1; }

bool ObjectGone(const QString& errorName) {
  return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

}  // namespace

Director::Director(const QDBusConnection& bus, QTextStream& out, QTextStream& err) : bus_(bus), out_(out), err_(err) {}

Director::Outcome Director::report(const QDBusMessage& reply) {
  Outcome outcome;
  if (reply.type() != QDBusMessage::ErrorMessage)
    return outcome;
  outcome.ok = false;
  outcome.automation = IsAutomationError(reply.errorName());
  outcome.gone = ObjectGone(reply.errorName());
  err_ << FormatError(reply.errorName(), reply.errorMessage()) << Qt::endl;
  return outcome;
}

bool Director::createObject(Outcome* outcome) {
  const QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kFactoryPath, kFactoryInterface, QStringLiteral("CreateObject"));
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  *outcome = report(reply);
  if (!outcome->ok)
    return false;
  objectPath_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
  if (objectPath_.isEmpty()) {
    err_ << "lns-director: the plug-in answered CreateObject without an object path" << Qt::endl;
    outcome->ok = false;
    return false;
  }
  return true;
}

void Director::readPropertyTypes() {
  // The introspection is the plug-in's type library: the property types come from it.
  const QDBusMessage call = QDBusMessage::createMethodCall(
      kService, objectPath_, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage)
    return;
  QXmlStreamReader xml(reply.arguments().value(0).toString());
  bool inInterface = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == QLatin1String("interface"))
      inInterface = xml.attributes().value(QLatin1String("name")) == kInterface;
    else if (xml.isEndElement() && xml.name() == QLatin1String("interface"))
      inInterface = false;
    else if (inInterface && xml.isStartElement() && xml.name() == QLatin1String("property"))
      properties_ << qMakePair(xml.attributes().value(QLatin1String("name")).toString(),
                               xml.attributes().value(QLatin1String("type")).toString());
  }
}

QString Director::propertyName(const QString& typed) const {
  // People may type "visible" for "Visible"; the bus wants the exact name.
  for (const auto& [name, type] : properties_)
    if (name.compare(typed, Qt::CaseInsensitive) == 0)
      return name;
  return typed;
}

QString Director::propertyType(const QString& name) const {
  for (const auto& [n, type] : properties_)
    if (n == name)
      return type;
  return QStringLiteral("s");
}

Director::Outcome Director::getProperty(const QString& name, QVariant* value) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, objectPath_, kProperties, QStringLiteral("Get"));
  call << kInterface << propertyName(name);
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  const Outcome outcome = report(reply);
  if (outcome.ok)
    *value = reply.arguments().value(0).value<QDBusVariant>().variant();
  return outcome;
}

Director::Outcome Director::setProperty(const QString& name, const QVariant& value) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, objectPath_, kProperties, QStringLiteral("Set"));
  call << kInterface << name << QVariant::fromValue(QDBusVariant(value));
  return report(bus_.call(call, QDBus::Block, kCallTimeoutMs));
}

Director::Outcome Director::setPropertyText(const QString& typed, const QString& text) {
  const QString name = propertyName(typed);
  QVariant value;
  QString problem;
  if (!ConvertValue(text, propertyType(name), &value, &problem)) {
    err_ << "lns-director: " << name << ": " << problem << Qt::endl;
    Outcome outcome;
    outcome.ok = false;
    return outcome;
  }
  return setProperty(name, value);
}

Director::Outcome Director::sendCommand(qint32 command, qint16 objectType, const QString& objectName) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, objectPath_, kInterface, QStringLiteral("SendCommand"));
  call << QVariant::fromValue(command) << QVariant::fromValue(objectType) << objectName;
  return report(bus_.call(call, QDBus::Block, kCommandTimeoutMs));
}

Director::Outcome Director::runAction(const Action& action) {
  switch (action.kind) {
    case Action::Kind::Configure:
    case Action::Kind::Register:
    case Action::Kind::Send: return sendCommand(action.command, action.objectType, action.name);
    case Action::Kind::Get: {
      QVariant value;
      Outcome outcome = getProperty(action.name, &value);
      if (outcome.ok)
        out_ << FormatValue(value) << Qt::endl;
      return outcome;
    }
    case Action::Kind::Set: return setPropertyText(action.name, action.value);
    case Action::Kind::Show: return setProperty(QStringLiteral("Visible"), true);
    case Action::Kind::Hide: return setProperty(QStringLiteral("Visible"), false);
    case Action::Kind::Properties: {
      QDBusMessage call = QDBusMessage::createMethodCall(kService, objectPath_, kProperties, QStringLiteral("GetAll"));
      call << kInterface;
      const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
      Outcome outcome = report(reply);
      if (!outcome.ok)
        return outcome;
      const QVariantMap all = qdbus_cast<QVariantMap>(reply.arguments().value(0));
      QStringList names;
      for (const auto& [name, type] : properties_)
        names << name;
      for (const QString& name : all.keys())
        if (!names.contains(name))
          names << name;
      for (const QString& name : names)
        if (all.contains(name))
          out_ << name << " = " << FormatValue(all.value(name)) << Qt::endl;
      return outcome;
    }
    case Action::Kind::Create: out_ << objectPath_ << Qt::endl; return Outcome{};
  }
  return Outcome{};
}

void Director::hold(bool shown) {
  err_ << "lns-director: holding " << objectPath_
       << "; it is let go when the plug-in's window closes or the plug-in ends (Ctrl-C lets go now)" << Qt::endl;
  interrupted = 0;
  auto previousInt = std::signal(SIGINT, OnSignal);
  auto previousTerm = std::signal(SIGTERM, OnSignal);

  QEventLoop loop;
  QDBusServiceWatcher watcher(kService, bus_, QDBusServiceWatcher::WatchForUnregistration);
  bool pluginEnded = false;
  QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, [&] {
    pluginEnded = true;
    loop.quit();
  });
  bool seenVisible = shown;
  QTimer poll;
  poll.setInterval(250);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (interrupted) {
      loop.quit();
      return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, objectPath_, kProperties, QStringLiteral("Get"));
    call << kInterface << QStringLiteral("Visible");
    const QDBusMessage reply = bus_.call(call, QDBus::Block, 10'000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
      if (ObjectGone(reply.errorName())) {
        pluginEnded = true;
        loop.quit();
      }
      return;
    }
    const bool visible = reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
    if (visible)
      seenVisible = true;
    else if (seenVisible)
      loop.quit();  // the window went away
  });
  poll.start();
  loop.exec();
  std::signal(SIGINT, previousInt);
  std::signal(SIGTERM, previousTerm);
  if (pluginEnded) {
    err_ << "lns-director: the plug-in has ended" << Qt::endl;
    released_ = true;  // nothing left to release
  }
}

void Director::release() {
  if (released_ || objectPath_.isEmpty())
    return;
  released_ = true;
  const QDBusMessage call =
      QDBusMessage::createMethodCall(kService, objectPath_, kInterface, QStringLiteral("Release"));
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage && !ObjectGone(reply.errorName()))
    report(reply);
}

int Director::run(const Plan& plan) {
  Outcome outcome;
  if (!createObject(&outcome))
    return outcome.automation ? kExitAutomationError : kExitFailure;
  readPropertyTypes();

  int exitCode = kExitOk;
  auto note = [&exitCode](const Outcome& o) {
    if (!o.ok && exitCode == kExitOk)
      exitCode = o.automation ? kExitAutomationError : kExitFailure;
    return o.ok;
  };

  bool going = true;
  if (plan.setInterface)
    going = note(setProperty(QStringLiteral("NetworkInterfaceName"), plan.interfaceName)) || plan.keepGoing;
  if (going && plan.setNetwork)
    going = note(setProperty(QStringLiteral("networkName"), plan.network)) || plan.keepGoing;
  for (const Action& action : plan.actions) {
    if (!going)
      break;
    const Outcome o = runAction(action);
    going = (note(o) || plan.keepGoing) && !o.gone;
  }
  bool shown = false;
  if (going && plan.show) {
    shown = note(setProperty(QStringLiteral("Visible"), true));
    going = shown || plan.keepGoing;
  }
  if (plan.hold && exitCode == kExitOk)
    hold(shown);
  release();
  return exitCode;
}

}  // namespace director
