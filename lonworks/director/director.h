#pragma once
// lns-director's conversation with the plug-in over the session bus.

#include <QDBusConnection>
#include <QList>
#include <QPair>
#include <QString>
#include <QTextStream>

#include "lonworks/director/director_cli.h"

namespace director {

class Director {
 public:
  Director(const QDBusConnection& bus, QTextStream& out, QTextStream& err);
  // Creates the object, runs the plan, releases the object. Returns the exit code.
  int run(const Plan& plan);

 private:
  struct Outcome {
    bool ok = true;
    bool automation = false;  // the plug-in raised an automation error
    bool gone = false;        // the plug-in or the object no longer exists
  };

  bool createObject(Outcome* outcome);
  void readPropertyTypes();
  Outcome runAction(const Action& action);
  Outcome getProperty(const QString& name, QVariant* value);
  Outcome setProperty(const QString& name, const QVariant& value);
  Outcome setPropertyText(const QString& name, const QString& text);
  Outcome sendCommand(qint32 command, qint16 objectType, const QString& objectName);
  Outcome report(const QDBusMessage& reply);
  QString propertyName(const QString& typed) const;
  QString propertyType(const QString& name) const;
  // Waits until the window, once seen visible (or shown by this director), is
  // hidden, or the plug-in ends, or the user interrupts.
  void hold(bool shown);
  void release();

  QDBusConnection bus_;
  QTextStream& out_;
  QTextStream& err_;
  QString objectPath_;
  QList<QPair<QString, QString>> properties_;  // name and D-Bus type, in interface order
  bool released_ = false;
};

}  // namespace director
