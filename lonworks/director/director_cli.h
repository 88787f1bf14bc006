#pragma once
// lns-director's command line, and how it writes values and errors.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace director {

struct Action {
  enum class Kind { Configure, Register, Send, Get, Set, Show, Hide, Properties, Create };
  Kind kind = Kind::Create;
  qint32 command = 0;
  qint16 objectType = 0;
  QString name;   // object path, property name
  QString value;  // the value of a set
};

struct Plan {
  bool setInterface = false;
  QString interfaceName;
  bool setNetwork = false;
  QString network;
  bool show = false;
  bool hold = false;
  bool keepGoing = false;
  QList<Action> actions;
};

struct ParseResult {
  Plan plan;
  bool help = false;
  bool version = false;
  QString error;  // non-empty: the command line is wrong
};

ParseResult ParseCommandLine(const QStringList& args);
QString UsageText();

// "Configure" is sent for a device when the path has at most two parts
// ("Subsystem/Device"), else for a LonMark object ("Subsystem/Device/Object").
qint16 GuessObjectType(const QString& path);

// A property value typed in by the user, as the D-Bus type the plug-in's
// introspection gives ("b", "i", "n" or "s"). False with a reason when the
// text does not fit.
bool ConvertValue(const QString& text, const QString& dbusType, QVariant* value, QString* problem);
// A property value as printed: true/false, decimal numbers, text as it is.
QString FormatValue(const QVariant& value);

// An error reply as printed. Automation errors ("<source>.Error.E<n>", as
// "RLX_Plug.Error.E20005" or "LcaObjectServer.Error.E12") show their number,
// source and description.
QString FormatError(const QString& errorName, const QString& message);
bool IsAutomationError(const QString& errorName);

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitAutomationError = 2;
inline constexpr int kExitUsage = 64;

}  // namespace director
