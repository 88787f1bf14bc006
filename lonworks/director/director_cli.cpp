#include "director_cli.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <limits>

namespace director {

namespace {

bool ReadInt(const QString& text, qint64 lo, qint64 hi, qint64* out) {
  bool ok = false;
  const qint64 v = text.trimmed().toLongLong(&ok);
  if (!ok || v < lo || v > hi)
    return false;
  *out = v;
  return true;
}

}  // namespace

QString UsageText() {
  return QStringLiteral(
      "Usage: lns-director [OPTIONS] [ACTION...]\n"
      "\n"
      "Plays an LNS director: creates an RLX_Plug.LNSPlugInAPI object on the session bus\n"
      "(which starts RLX_Plug when it is not running), runs the actions in order on that\n"
      "object, and releases it.\n"
      "\n"
      "Options:\n"
      "  -n, --network NAME     open the network NAME (sets networkName) before the actions\n"
      "  -i, --interface NAME   work through the remote network interface NAME (sets\n"
      "                         NetworkInterfaceName before the network is opened)\n"
      "  -s, --show             make the plug-in's window visible after the actions\n"
      "      --hold             keep the object after the actions until the plug-in's window\n"
      "                         is closed or the plug-in ends (Ctrl-C lets go as well)\n"
      "  -k, --keep-going       after a failed action go on with the next one\n"
      "  -h, --help             show this text\n"
      "      --version          show the program's version\n"
      "\n"
      "Actions:\n"
      "  configure [--device|--object] PATH...\n"
      "                         send \"Configure\" (13) for a device (7) or a LonMark object (28).\n"
      "                         The rest of the command line is the path, its words joined by\n"
      "                         blanks. Without --device or --object a path of two parts\n"
      "                         (Subsystem/Device) names a device, a longer one a LonMark object.\n"
      "  register               send \"Register\" (50): register the plug-in's commands\n"
      "  send COMMAND TYPE NAME send any command: SendCommand(COMMAND, TYPE, NAME)\n"
      "  get PROPERTY           print a property's value\n"
      "  set PROPERTY VALUE     write a property (true/false for the Boolean ones)\n"
      "  show, hide             make the window visible or hide it\n"
      "  properties             print every property as NAME = VALUE\n"
      "  create                 print the path of the plug-in object\n"
      "\n"
      "Properties: Visible, networkName, NetworkInterfaceName, Remote, Height, Width, Left,\n"
      "Top, Minimized, ManufacturerID, ManufacturerName, LcaVersion, Version, Name.\n"
      "\n"
      "An error of the plug-in is printed with its number, source and description.\n"
      "Exit status: 0 done; 2 the plug-in raised an error; 1 another failure (no bus,\n"
      "no plug-in); 64 a wrong command line.\n"
      "\n"
      "Examples:\n"
      "  lns-director --network Demo configure Routers/RLX-LonMark/Internal Modem\n"
      "  lns-director --network Demo --show --hold configure Routers/RLX-LonMark\n"
      "  lns-director get Version set Height 400\n");
}

qint16 GuessObjectType(const QString& path) { return path.split(u'/').size() <= 2 ? 7 : 28; }

ParseResult ParseCommandLine(const QStringList& args) {
  ParseResult result;
  Plan& plan = result.plan;
  auto fail = [&result](const QString& problem) {
    result.error = problem;
    return result;
  };
  // Options come first; the first word that is not an option starts the
  // actions, and everything from there on is theirs ("configure --device").
  QCommandLineParser parser;
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  const QCommandLineOption network({QStringLiteral("n"), QStringLiteral("network")}, QString(), QStringLiteral("NAME"));
  const QCommandLineOption networkInterface({QStringLiteral("i"), QStringLiteral("interface")}, QString(),
                                            QStringLiteral("NAME"));
  const QCommandLineOption show({QStringLiteral("s"), QStringLiteral("show")}, QString());
  const QCommandLineOption hold(QStringLiteral("hold"), QString());
  const QCommandLineOption keepGoing({QStringLiteral("k"), QStringLiteral("keep-going")}, QString());
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version(QStringLiteral("version"), QString());
  parser.addOptions({network, networkInterface, show, hold, keepGoing, help, version});
  const bool parsed = parser.parse(QStringList{QStringLiteral("lns-director")} + args);
  if (parser.isSet(help) || parser.isSet(version)) {
    result.help = parser.isSet(help);
    result.version = !result.help;
    return result;
  }
  if (!parsed)
    return fail(parser.errorText());
  plan.setNetwork = parser.isSet(network);
  plan.network = parser.value(network);
  plan.setInterface = parser.isSet(networkInterface);
  plan.interfaceName = parser.value(networkInterface);
  plan.show = parser.isSet(show);
  plan.hold = parser.isSet(hold);
  plan.keepGoing = parser.isSet(keepGoing);

  const QStringList words = parser.positionalArguments();
  qsizetype i = 0;
  auto value = [&words, &i](QString* out) {
    if (i + 1 >= words.size())
      return false;
    *out = words.at(++i);
    return true;
  };
  for (; i < words.size(); ++i) {
    const QString word = words.at(i);
    Action action;
    if (word == QLatin1String("configure")) {
      action.kind = Action::Kind::Configure;
      action.command = 13;
      qint16 forced = 0;
      if (i + 1 < words.size() && words.at(i + 1) == QLatin1String("--device")) {
        forced = 7;
        ++i;
      } else if (i + 1 < words.size() && words.at(i + 1) == QLatin1String("--object")) {
        forced = 28;
        ++i;
      }
      if (i + 1 >= words.size())
        return fail(QStringLiteral("configure needs the path of a device or LonMark object"));
      action.name = words.mid(i + 1).join(u' ');
      action.objectType = forced ? forced : GuessObjectType(action.name);
      plan.actions << action;
      break;  // the path is the rest of the line
    }
    if (word == QLatin1String("register")) {
      action.kind = Action::Kind::Register;
      action.command = 50;
    } else if (word == QLatin1String("send")) {
      action.kind = Action::Kind::Send;
      QString command, type;
      if (!value(&command) || !value(&type) || !value(&action.name))
        return fail(QStringLiteral("send needs COMMAND TYPE NAME"));
      qint64 c = 0, t = 0;
      if (!ReadInt(command, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), &c))
        return fail(QStringLiteral("the command of send must be a 32-bit number, not \"%1\"").arg(command));
      if (!ReadInt(type, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), &t))
        return fail(QStringLiteral("the object type of send must be a 16-bit number, not \"%1\"").arg(type));
      action.command = static_cast<qint32>(c);
      action.objectType = static_cast<qint16>(t);
    } else if (word == QLatin1String("get")) {
      action.kind = Action::Kind::Get;
      if (!value(&action.name))
        return fail(QStringLiteral("get needs a property name"));
    } else if (word == QLatin1String("set")) {
      action.kind = Action::Kind::Set;
      if (!value(&action.name) || !value(&action.value))
        return fail(QStringLiteral("set needs a property name and a value"));
    } else if (word == QLatin1String("show")) {
      action.kind = Action::Kind::Show;
    } else if (word == QLatin1String("hide")) {
      action.kind = Action::Kind::Hide;
    } else if (word == QLatin1String("properties")) {
      action.kind = Action::Kind::Properties;
    } else if (word == QLatin1String("create")) {
      action.kind = Action::Kind::Create;
    } else {
      return fail(QStringLiteral("unknown action \"%1\" (see lns-director --help)").arg(word));
    }
    plan.actions << action;
  }

  if (plan.actions.isEmpty() && !plan.setNetwork && !plan.setInterface && !plan.show && !plan.hold)
    return fail(QStringLiteral("nothing to do (see lns-director --help)"));
  return result;
}

bool ConvertValue(const QString& text, const QString& dbusType, QVariant* value, QString* problem) {
  if (dbusType == QLatin1String("b")) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes") || t == QLatin1String("on") ||
        t == QLatin1String("1") || t == QLatin1String("-1")) {
      *value = true;
      return true;
    }
    if (t == QLatin1String("false") || t == QLatin1String("no") || t == QLatin1String("off") ||
        t == QLatin1String("0")) {
      *value = false;
      return true;
    }
    *problem = QStringLiteral("\"%1\" is not true or false").arg(text);
    return false;
  }
  if (dbusType == QLatin1String("i") || dbusType == QLatin1String("n")) {
    const bool shortInt = dbusType == QLatin1String("n");
    qint64 v = 0;
    const qint64 lo = shortInt ? std::numeric_limits<qint16>::min() : std::numeric_limits<qint32>::min();
    const qint64 hi = shortInt ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint32>::max();
    if (!ReadInt(text, lo, hi, &v)) {
      *problem = QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(text).arg(lo).arg(hi);
      return false;
    }
    *value = shortInt ? QVariant::fromValue(static_cast<qint16>(v)) : QVariant::fromValue(static_cast<qint32>(v));
    return true;
  }
  *value = text;
  return true;
}

QString FormatValue(const QVariant& value) {
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
  return value.toString();
}

namespace {

// "<source>.Error.E<number>", the number negative when written "_<digits>".
const QRegularExpression& AutomationErrorName() {
  static const QRegularExpression name(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)\\.Error\\.E(_?)([0-9]+)$"));
  return name;
}

}  // namespace

bool IsAutomationError(const QString& errorName) { return AutomationErrorName().match(errorName).hasMatch(); }

QString FormatError(const QString& errorName, const QString& message) {
  const QRegularExpressionMatch m = AutomationErrorName().match(errorName);
  if (m.hasMatch()) {
    const QString number = (m.captured(2).isEmpty() ? QString() : QStringLiteral("-")) + m.captured(3);
    return QStringLiteral("Error %1 (source %2): %3").arg(number, m.captured(1), message);
  }
  return QStringLiteral("D-Bus error %1: %2").arg(errorName, message);
}

}  // namespace director
