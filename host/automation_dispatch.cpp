#include "automation_dispatch.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMetaType>
#include <QRegularExpression>
#include <QVariantMap>
#include <limits>

#include "host/automation_error.h"
#include "host/mmain.h"
#include "platform/log_categories.h"

namespace automation {

namespace {

bool HasType(const QVariant& v, SlotType type) {
  switch (type) {
    case SlotType::Long: return v.metaType().id() == QMetaType::Int;
    case SlotType::Integer: return v.metaType().id() == QMetaType::Short;
    case SlotType::Boolean: return v.metaType().id() == QMetaType::Bool;
    case SlotType::String: return v.metaType().id() == QMetaType::QString;
    case SlotType::None: break;
  }
  return false;
}

SlotType TypeOfSlot(int slot) {
  for (const InterfaceSlot& s : kLNSPlugInAPISlots)
    if (s.slot == slot)
      return s.type;
  return SlotType::None;
}

// Property names in slot order, each once.
QStringList PropertyNames() {
  QStringList names;
  for (const InterfaceSlot& s : kLNSPlugInAPISlots)
    if (s.kind != SlotKind::Method && !names.contains(QLatin1String(s.member)))
      names << QLatin1String(s.member);
  return names;
}

bool IsInterface(const Call& call, const QString& name) { return call.interface.isEmpty() || call.interface == name; }

Reply NoMethod(const Call& call) {
  return Reply::error(dbus_error::kUnknownMethod,
                      QStringLiteral("No method %1 with signature '%2' in interface '%3' at %4")
                          .arg(call.member, call.signature, call.interface, call.path));
}

Reply NoInterface(const Call& call) {
  return Reply::error(dbus_error::kUnknownInterface,
                      QStringLiteral("No interface '%1' at %2").arg(call.interface, call.path));
}

Reply FromAutomationError(const AutomationError& e) {
  return Reply::error(ErrorName(e.number(), e.source()), e.description());
}

// A value as the diagnosis shows it: texts quoted and cut short.
QString Shown(const QVariant& value) {
  const QVariant v =
      value.metaType() == QMetaType::fromType<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
  if (v.metaType().id() == QMetaType::QString) {
    QString text = v.toString();
    if (text.size() > 200)
      text = text.left(200) + QStringLiteral("...");
    return u'"' + text + u'"';
  }
  if (v.metaType().id() == QMetaType::Bool)
    return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
  if (v.metaType() == QMetaType::fromType<QDBusObjectPath>())
    return v.value<QDBusObjectPath>().path();
  if (v.metaType().id() == QMetaType::QVariantMap)
    return QStringLiteral("{%1 properties}").arg(v.toMap().size());
  return v.toString();
}

QString ShownCall(const Call& call) {
  QStringList args;
  for (const QVariant& a : call.args)
    args << Shown(a);
  return QStringLiteral("%1(%2) on %3 from %4")
      .arg(call.member, args.join(QStringLiteral(", ")), call.path, call.sender);
}

QString ShownReply(const Reply& reply) {
  if (reply.isError())
    return QStringLiteral("error %1: %2").arg(reply.errorName, reply.errorMessage);
  QStringList values;
  for (const QVariant& v : reply.values)
    values << Shown(v);
  return values.isEmpty() ? QStringLiteral("done") : values.join(QStringLiteral(", "));
}

}  // namespace

QDBusMessage ReplyMessage(const QDBusMessage& call, const Reply& reply) {
  if (!reply.isError())
    return call.createReply(reply.values);
  // An error's text may quote what the director sent; it is cut short so a
  // flood of calls never turns into a flood of large replies.
  constexpr qsizetype kMaxErrorText = 8192;
  const QString text = reply.errorMessage.size() > kMaxErrorText
                           ? reply.errorMessage.left(kMaxErrorText) + QStringLiteral("...")
                           : reply.errorMessage;
  return call.createErrorReply(reply.errorName, text);
}

QString ErrorName(qint32 number, const QString& source) {
  // Error names allow letters, digits and underscores only, and an element
  // does not begin with a digit.
  static const QRegularExpression element(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  const QString prefix =
      (element.match(source).hasMatch() ? source : QStringLiteral("RLX_Plug")) + QStringLiteral(".Error.E");
  return number < 0 ? prefix + QStringLiteral("_") + QString::number(-static_cast<qint64>(number))
                    : prefix + QString::number(number);
}

QString DBusSignature(SlotType type) {
  switch (type) {
    case SlotType::Long: return QStringLiteral("i");
    case SlotType::Integer: return QStringLiteral("n");
    case SlotType::Boolean: return QStringLiteral("b");
    case SlotType::String: return QStringLiteral("s");
    case SlotType::None: break;
  }
  return QString();
}

quint64 Dispatcher::ObjectId(const QString& path) {
  const QString prefix = kObjectsPath + u'/';
  if (!path.startsWith(prefix))
    return 0;
  const QString digits = path.mid(prefix.size());
  if (digits.isEmpty() || digits.size() > 18 || digits.startsWith(u'0'))
    return 0;
  for (QChar c : digits)
    if (c < u'0' || c > u'9')
      return 0;
  return digits.toULongLong();
}

Dispatcher::Entry* Dispatcher::find(quint64 id) {
  auto it = objects_.find(id);
  if (it == objects_.end() || it->second.releasePending)
    return nullptr;
  return &it->second;
}

int Dispatcher::liveObjects() const {
  int n = 0;
  for (const auto& [id, e] : objects_)
    n += e.releasePending ? 0 : 1;
  return n;
}

bool Dispatcher::owns(const QString& owner) const {
  for (const auto& [id, e] : objects_)
    if (e.owner == owner && !e.releasePending)
      return true;
  return false;
}

Reply Dispatcher::dispatch(const Call& call) {
  QElapsedTimer timer;
  timer.start();
  const Reply reply = route(call);
  qCDebug(platform::lcDirector).noquote()
      << ShownCall(call) << "->" << ShownReply(reply) << QStringLiteral("(%1 ms)").arg(timer.elapsed());
  return reply;
}

Reply Dispatcher::route(const Call& call) {
  try {
    if (call.path == kFactoryPath)
      return factoryCall(call);
    if (const quint64 id = ObjectId(call.path))
      return objectCall(id, call);
    return Reply::error(dbus_error::kUnknownObject, QStringLiteral("No object at ") + call.path);
  } catch (const AutomationError& e) {
    return FromAutomationError(e);
  } catch (const std::exception& e) {
    return Reply::error(dbus_error::kFailed, QString::fromLocal8Bit(e.what()));
  }
}

Reply Dispatcher::factoryCall(const Call& call) {
  if (IsInterface(call, kFactoryInterface) && call.member == QLatin1String("CreateObject")) {
    if (!call.signature.isEmpty())
      return Reply::error(dbus_error::kInvalidArgs, QStringLiteral("CreateObject takes no arguments"));
    // The live-object count is a 16-bit number.
    if (MMain.DirectorCount >= std::numeric_limits<qint16>::max())
      return Reply::error(dbus_error::kLimitsExceeded, QStringLiteral("Too many plug-in objects"));
    auto api = std::make_unique<LNSPlugInAPI>();
    const bool newOwner = !owns(call.sender);
    const quint64 id = nextId_++;
    objects_[id] = Entry{std::move(api), call.sender, 0, false};
    if (newOwner && onNewOwner)
      onNewOwner(call.sender);
    return Reply::ok({QVariant::fromValue(QDBusObjectPath(kObjectsPath + u'/' + QString::number(id)))});
  }
  if (call.interface == kPropertiesInterface) {
    const QString iface = call.args.value(0).toString();
    if (call.member == QLatin1String("GetAll") && call.signature == QLatin1String("s")) {
      if (iface.isEmpty() || iface == kFactoryInterface)
        return Reply::ok({QVariant::fromValue(QVariantMap())});
      return Reply::error(dbus_error::kUnknownInterface, QStringLiteral("No interface '%1'").arg(iface));
    }
    if ((call.member == QLatin1String("Get") && call.signature == QLatin1String("ss")) ||
        (call.member == QLatin1String("Set") && call.signature == QLatin1String("ssv")))
      return Reply::error(dbus_error::kUnknownProperty,
                          QStringLiteral("No property '%1' at %2").arg(call.args.value(1).toString(), call.path));
    return NoMethod(call);
  }
  if (call.interface.isEmpty() || call.interface == kFactoryInterface)
    return NoMethod(call);
  return NoInterface(call);
}

Reply Dispatcher::objectCall(quint64 id, const Call& call) {
  Entry* entry = find(id);
  if (!entry)
    return Reply::error(dbus_error::kUnknownObject, QStringLiteral("No object at ") + call.path);
  if (entry->owner != call.sender)
    return Reply::error(dbus_error::kAccessDenied,
                        QStringLiteral("The object %1 belongs to another connection").arg(call.path));

  if (call.interface == kPropertiesInterface)
    return propertyCall(id, call);
  if (!IsInterface(call, kObjectInterface))
    return NoInterface(call);
  if (call.member == QLatin1String("SendCommand")) {
    if (call.signature != QLatin1String("ins"))
      return Reply::error(dbus_error::kInvalidArgs,
                          QStringLiteral("SendCommand takes (commandId i, objectClassId n, objectName s), not '%1'")
                              .arg(call.signature));
    return invoke(id, 1, call.args);
  }
  if (call.member == QLatin1String("Release")) {
    if (!call.signature.isEmpty())
      return Reply::error(dbus_error::kInvalidArgs, QStringLiteral("Release takes no arguments"));
    release(id);
    return Reply::ok();
  }
  return NoMethod(call);
}

Reply Dispatcher::propertyCall(quint64 id, const Call& call) {
  const QString iface = call.args.value(0).toString();
  const bool known = iface.isEmpty() || iface == kObjectInterface;
  if (call.member == QLatin1String("Get") && call.signature == QLatin1String("ss")) {
    const QString name = call.args.value(1).toString();
    const int slot = known ? PropertySlot(name, SlotKind::Get) : 0;
    if (!slot)
      return Reply::error(dbus_error::kUnknownProperty, QStringLiteral("No property '%1' in '%2'").arg(name, iface));
    Reply r = invoke(id, slot, {});
    if (!r.isError())
      r.values = {QVariant::fromValue(QDBusVariant(r.values.value(0)))};
    return r;
  }
  if (call.member == QLatin1String("Set") && call.signature == QLatin1String("ssv")) {
    const QString name = call.args.value(1).toString();
    const int slot = known ? PropertySlot(name, SlotKind::Let) : 0;
    if (!slot)
      return Reply::error(dbus_error::kUnknownProperty, QStringLiteral("No property '%1' in '%2'").arg(name, iface));
    const QVariant value = call.args.value(2).value<QDBusVariant>().variant();
    const SlotType type = TypeOfSlot(slot);
    if (!HasType(value, type))
      return Reply::error(dbus_error::kInvalidArgs,
                          QStringLiteral("Property '%1' takes a value of type '%2'").arg(name, DBusSignature(type)));
    Reply r = invoke(id, slot, {value});
    if (!r.isError())
      r.values.clear();
    return r;
  }
  if (call.member == QLatin1String("GetAll") && call.signature == QLatin1String("s")) {
    if (!known)
      return Reply::error(dbus_error::kUnknownInterface, QStringLiteral("No interface '%1'").arg(iface));
    QVariantMap all;
    for (const QString& name : PropertyNames()) {
      Reply r = invoke(id, PropertySlot(name, SlotKind::Get), {});
      if (r.isError())
        return r;
      all.insert(name, r.values.value(0));
    }
    return Reply::ok({QVariant::fromValue(all)});
  }
  return NoMethod(call);
}

Reply Dispatcher::invoke(quint64 id, int slot, const QVariantList& args) {
  Entry* entry = find(id);
  if (!entry)
    return Reply::error(dbus_error::kUnknownObject, QStringLiteral("The object was released"));
  // The entry stays in the table while the call runs, even if its director
  // lets go meanwhile (a call may let other calls in while it waits).
  ++entry->activeCalls;
  Reply reply;
  try {
    const QVariant value = entry->api->Invoke(slot, args);
    reply = Reply::ok(value.isValid() ? QVariantList{value} : QVariantList{});
  } catch (const AutomationError& e) {
    reply = FromAutomationError(e);
  } catch (const std::exception& e) {
    reply = Reply::error(dbus_error::kFailed, QString::fromLocal8Bit(e.what()));
  }
  auto it = objects_.find(id);
  if (it != objects_.end() && --it->second.activeCalls == 0 && it->second.releasePending)
    release(id);
  return reply;
}

void Dispatcher::release(quint64 id) {
  auto it = objects_.find(id);
  if (it == objects_.end())
    return;
  if (it->second.activeCalls > 0) {
    it->second.releasePending = true;
    return;
  }
  std::unique_ptr<LNSPlugInAPI> api = std::move(it->second.api);
  objects_.erase(it);
  // The release may end the plug-in; the table is already consistent.
  api->Release();
}

void Dispatcher::releaseOwnedBy(const QString& owner) {
  std::vector<quint64> ids;
  for (const auto& [id, e] : objects_)
    if (e.owner == owner && !e.releasePending)
      ids.push_back(id);
  for (quint64 id : ids)
    release(id);
}

QString Dispatcher::introspect(const QString& path) const {
  QString xml;
  if (path == kFactoryPath) {
    xml += QStringLiteral(
               "  <interface name=\"%1\">\n"
               "    <method name=\"CreateObject\">\n"
               "      <arg name=\"object\" type=\"o\" direction=\"out\"/>\n"
               "    </method>\n"
               "  </interface>\n"
               "  <node name=\"LNSPlugInAPI\"/>\n")
               .arg(kFactoryInterface);
  } else if (path == kObjectsPath) {
    for (const auto& [id, e] : objects_)
      if (!e.releasePending)
        xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(id);
  } else if (const quint64 id = ObjectId(path); id && objects_.count(id) && !objects_.at(id).releasePending) {
    xml += QStringLiteral("  <interface name=\"%1\">\n").arg(kObjectInterface);
    xml += QStringLiteral(
        "    <method name=\"SendCommand\">\n"
        "      <arg name=\"commandId\" type=\"i\" direction=\"in\"/>\n"
        "      <arg name=\"objectClassId\" type=\"n\" direction=\"in\"/>\n"
        "      <arg name=\"objectName\" type=\"s\" direction=\"in\"/>\n"
        "    </method>\n"
        "    <method name=\"Release\"/>\n");
    for (const QString& name : PropertyNames())
      xml += QStringLiteral("    <property name=\"%1\" type=\"%2\" access=\"readwrite\"/>\n")
                 .arg(name, DBusSignature(TypeOfSlot(PropertySlot(name, SlotKind::Get))));
    xml += QStringLiteral("  </interface>\n");
  }
  return xml;
}

}  // namespace automation
