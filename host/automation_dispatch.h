#pragma once
// The automation objects as directors see them on the bus: a factory that
// creates one LNSPlugInAPI object per request, the objects' methods and
// properties, who owns which object, and the introspection that plays the
// type library. Independent of the bus connection itself, so it can be
// driven directly.

#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <map>
#include <memory>

#include "host/lnspluginapi.h"

namespace automation {

inline const QString kServiceName = QStringLiteral("RLX_Plug.LNSPlugInAPI");
inline const QString kFactoryPath = QStringLiteral("/RLX_Plug");
inline const QString kObjectsPath = QStringLiteral("/RLX_Plug/LNSPlugInAPI");
inline const QString kFactoryInterface = QStringLiteral("RLX_Plug.Factory");
inline const QString kObjectInterface = QStringLiteral("RLX_Plug._LNSPlugInAPI");
inline const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// An automation error travels as "<source>.Error.E<number>" with the
// description as the message: kErrorPrefix + its number for the plug-in's
// own errors, "LcaObjectServer.Error.E<number>" for an Object Server error
// passed on (a negative number is written "E_<digits>").
inline const QString kErrorPrefix = QStringLiteral("RLX_Plug.Error.E");

namespace dbus_error {
inline const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
inline const QString kUnknownInterface = QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface");
inline const QString kUnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
inline const QString kUnknownProperty = QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");
inline const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
inline const QString kAccessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
inline const QString kLimitsExceeded = QStringLiteral("org.freedesktop.DBus.Error.LimitsExceeded");
inline const QString kFailed = QStringLiteral("org.freedesktop.DBus.Error.Failed");
}  // namespace dbus_error

// One incoming method call.
struct Call {
  QString sender;  // the caller's unique connection name
  QString path;
  QString interface;  // may be empty: any interface that has the member
  QString member;
  QString signature;
  QVariantList args;
};

struct Reply {
  QString errorName;  // empty on success
  QString errorMessage;
  QVariantList values;
  bool isError() const { return !errorName.isEmpty(); }
  static Reply ok(QVariantList values = {}) { return Reply{QString(), QString(), std::move(values)}; }
  static Reply error(const QString& name, const QString& message) { return Reply{name, message, {}}; }
};

// The bus message answering a call: the reply's values, or its error (one
// string, the message, as every D-Bus library expects).
QDBusMessage ReplyMessage(const QDBusMessage& call, const Reply& reply);

// The D-Bus error name of an automation error: its source (letters, digits
// and underscores; "RLX_Plug" otherwise) and its number.
QString ErrorName(qint32 number, const QString& source = QStringLiteral("RLX_Plug"));
// The D-Bus type signature of an interface slot's type.
QString DBusSignature(SlotType type);

class Dispatcher {
 public:
  Dispatcher() = default;
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  Reply dispatch(const Call& call);

  // Interface and child-node XML for a path (without the enclosing node).
  QString introspect(const QString& path) const;

  // A connection went away: the objects it created are released.
  void releaseOwnedBy(const QString& owner);

  int liveObjects() const;
  bool owns(const QString& owner) const;

  // Told when a connection creates its first object, so that its going away
  // can be watched.
  std::function<void(const QString& owner)> onNewOwner;

 private:
  struct Entry {
    std::unique_ptr<LNSPlugInAPI> api;
    QString owner;
    int activeCalls = 0;          // calls in progress (a call may yield to events)
    bool releasePending = false;  // released while a call was in progress
  };

  Reply route(const Call& call);
  Reply factoryCall(const Call& call);
  Reply objectCall(quint64 id, const Call& call);
  Reply invoke(quint64 id, int slot, const QVariantList& args);
  Reply propertyCall(quint64 id, const Call& call);
  // Releases the object now, or once its calls have returned.
  void release(quint64 id);
  Entry* find(quint64 id);
  static quint64 ObjectId(const QString& path);

  std::map<quint64, Entry> objects_;
  quint64 nextId_ = 1;
};

}  // namespace automation
