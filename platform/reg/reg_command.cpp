#include "reg_command.h"

#include "platform/registry.h"
#include "rlx_build_info.h"

namespace platform {

namespace {

const char* const kNotFound = "ERROR: The system was unable to find the specified registry key or value.";
const char* const kDone = "The operation completed successfully.";

struct KeyRef {
  Hive hive;
  QString rootName;  // long form, as reg prints it
  QString path;      // below the root, as typed
};

std::optional<KeyRef> parseKey(const QString& text) {
  const QStringList parts = text.split(u'\\');
  const QString root = parts.value(0).toUpper();
  KeyRef k;
  if (root == QLatin1String("HKLM") || root == QLatin1String("HKEY_LOCAL_MACHINE")) {
    k.hive = Hive::LocalMachine;
    k.rootName = QStringLiteral("HKEY_LOCAL_MACHINE");
  } else if (root == QLatin1String("HKCU") || root == QLatin1String("HKEY_CURRENT_USER")) {
    k.hive = Hive::CurrentUser;
    k.rootName = QStringLiteral("HKEY_CURRENT_USER");
  } else {
    return std::nullopt;
  }
  k.path = parts.mid(1).join(u'\\');
  while (k.path.endsWith(u'\\'))
    k.path.chop(1);
  return k;
}

QString fullName(const KeyRef& k) { return k.path.isEmpty() ? k.rootName : k.rootName + u'\\' + k.path; }

QString valueLine(const RegValue& v) {
  const QString name = v.name.isEmpty() ? QStringLiteral("(Default)") : v.name;
  return QStringLiteral("    %1    %2    %3").arg(name, regTypeName(v.type), v.data);
}

struct Options {
  std::optional<QString> valueName;  // /v NAME, or "" for /ve
  bool allValues = false;            // /va
  std::optional<QString> data;       // /d
  std::optional<QString> type;       // /t
  bool force = false;                // /f
  bool ok = true;
};

Options parseOptions(const QStringList& args, int from, bool allowData) {
  Options o;
  for (int i = from; i < args.size(); ++i) {
    const QString a = args[i].toLower();
    auto next = [&](std::optional<QString>& slot) {
      if (i + 1 >= args.size() || slot) {
        o.ok = false;
        return;
      }
      slot = args[++i];
    };
    if (a == QLatin1String("/v")) {
      next(o.valueName);
    } else if (a == QLatin1String("/ve")) {
      if (o.valueName)
        o.ok = false;
      o.valueName = QString();
    } else if (a == QLatin1String("/va")) {
      o.allValues = true;
    } else if (a == QLatin1String("/d") && allowData) {
      next(o.data);
    } else if (a == QLatin1String("/t") && allowData) {
      next(o.type);
    } else if (a == QLatin1String("/f")) {
      o.force = true;
    } else {
      o.ok = false;
    }
  }
  if (o.allValues && o.valueName)
    o.ok = false;
  return o;
}

// How to ask for the usage of an operation (or of the program: no verb).
QString usageHint(const QString& verb) {
  return QStringLiteral("Type \"%1%2 /?\" for usage.\n")
      .arg(QLatin1String(kRegProgram), verb.isEmpty() ? QString() : u' ' + verb.toLower());
}

int invalidSyntax(RegIo& io, const QString& verb) {
  io.err << "ERROR: Invalid syntax.\n" << usageHint(verb);
  io.err.flush();
  return 1;
}

bool isHelpSwitch(const QString& arg) {
  return arg == QLatin1String("/?") || arg == QLatin1String("-?") || arg == QLatin1String("-h") ||
         arg == QLatin1String("--help");
}

QString programUsage() {
  return QStringLiteral(
             "Usage: %1 OPERATION [PARAMETERS]\n"
             "\n"
             "  OPERATION  query | add | delete\n"
             "\n"
             "The Windows reg command over RLX_Plug's registry stand-in: the machine hive\n"
             "(HKLM) and the user hive (HKCU), kept as INI files in the folder named by\n"
             "RLX_REGISTRY_ROOT (default ~/.config/RLX_Plug/registry).\n"
             "\n"
             "  %1 OPERATION /?   the usage of one operation\n"
             "  %1 --version      the program's version\n"
             "\n"
             "Exit codes: 0 done, 1 failed.\n")
      .arg(QLatin1String(kRegProgram));
}

QString operationUsage(const QString& verb) {
  const QString keyHelp = QStringLiteral(
      "  KEY   ROOT\\SubKey, ROOT being HKLM or HKEY_LOCAL_MACHINE, HKCU or\n"
      "        HKEY_CURRENT_USER; names match without regard to case\n");
  QString text;
  if (verb == QLatin1String("query")) {
    text = QStringLiteral(
               "Usage: %1 query KEY [/v NAME | /ve]\n\n%2"
               "  /v    the value NAME of KEY\n"
               "  /ve   the key's default value (the value without a name)\n"
               "\n"
               "Without /v or /ve: every value of KEY in the order written, then its subkeys.\n"
               "\n"
               "Example:\n"
               "  %1 query \"HKLM\\SOFTWARE\\LonWorks\" /v \"LonWorks Path\"\n")
               .arg(QLatin1String(kRegProgram), keyHelp);
  } else if (verb == QLatin1String("add")) {
    text = QStringLiteral(
               "Usage: %1 add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n\n%2"
               "  /v    the value NAME to write\n"
               "  /ve   the key's default value (the value without a name)\n"
               "  /t    REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD or REG_BINARY\n"
               "  /d    the data (a REG_DWORD in decimal or 0x hexadecimal)\n"
               "  /f    overwrite an existing value without asking\n"
               "\n"
               "Without /v, /ve, /t and /d the key alone is made.\n"
               "\n"
               "Example:\n"
               "  %1 add \"HKLM\\SOFTWARE\\LonWorks\" /v \"LonWorks Path\" /d \"$HOME/LonWorks\" /f\n")
               .arg(QLatin1String(kRegProgram), keyHelp);
  } else {
    text = QStringLiteral(
               "Usage: %1 delete KEY [/v NAME | /ve | /va] [/f]\n\n%2"
               "  /v    the value NAME\n"
               "  /ve   the key's default value (the value without a name)\n"
               "  /va   every value of KEY (its subkeys stay)\n"
               "  /f    delete without asking\n"
               "\n"
               "Without /v, /ve or /va: the key with everything below it.\n")
               .arg(QLatin1String(kRegProgram), keyHelp);
  }
  return text;
}

int query(const KeyRef& k, const Options& o, RegIo& io) {
  if (!Registry::keyExists(k.hive, k.path)) {
    io.err << kNotFound << "\n";
    return 1;
  }
  if (o.valueName) {
    auto v = Registry::value(k.hive, k.path, *o.valueName);
    if (!v) {
      io.err << kNotFound << "\n";
      return 1;
    }
    io.out << "\n" << fullName(k) << "\n" << valueLine(*v) << "\n\n";
    return 0;
  }
  io.out << "\n" << fullName(k) << "\n";
  const QList<RegValue> values = Registry::values(k.hive, k.path);
  for (const RegValue& v : values)
    io.out << valueLine(v) << "\n";
  io.out << "\n";
  const QStringList subs = Registry::subKeys(k.hive, k.path);
  for (const QString& s : subs)
    io.out << fullName(k) << u'\\' << s << "\n";
  return 0;
}

bool confirm(RegIo& io, const QString& question) {
  io.out << question << " (Yes/No)? ";
  io.out.flush();
  const QString answer = io.in.readLine().trimmed().toLower();
  return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

int add(const KeyRef& k, const Options& o, RegIo& io) {
  RegType type = RegType::String;
  if (o.type) {
    auto t = regTypeFromName(*o.type);
    if (!t) {
      io.err << "ERROR: Invalid syntax.\n" << usageHint(QStringLiteral("add"));
      return 1;
    }
    type = *t;
  }
  if (k.path.isEmpty()) {
    io.err << "ERROR: Invalid key name.\n";
    return 1;
  }
  if (!o.valueName && !o.data && !o.type) {
    if (!Registry::createKey(k.hive, k.path)) {
      io.err << "ERROR: Access is denied.\n";
      return 1;
    }
    io.out << kDone << "\n";
    return 0;
  }
  const QString name = o.valueName.value_or(QString());
  if (!o.force && Registry::value(k.hive, k.path, name)) {
    if (!confirm(
            io,
            QStringLiteral("Value %1 exists, overwrite").arg(name.isEmpty() ? QStringLiteral("(Default)") : name))) {
      io.out << "The operation was canceled by the user.\n";
      return 0;
    }
  }
  if (type == RegType::DWord) {
    bool ok = false;
    const QString d = o.data.value_or(QStringLiteral("0"));
    const qlonglong n =
        d.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? d.mid(2).toLongLong(&ok, 16) : d.toLongLong(&ok, 10);
    if (!ok || n < 0 || n > 0xFFFFFFFFLL) {
      io.err << "ERROR: Invalid syntax.\n" << usageHint(QStringLiteral("add"));
      return 1;
    }
    if (!Registry::setValue(k.hive, k.path, name, QStringLiteral("0x%1").arg(n, 0, 16), type)) {
      io.err << "ERROR: Access is denied.\n";
      return 1;
    }
  } else if (!Registry::setValue(k.hive, k.path, name, o.data.value_or(QString()), type)) {
    io.err << "ERROR: Access is denied.\n";
    return 1;
  }
  io.out << kDone << "\n";
  return 0;
}

int remove(const KeyRef& k, const Options& o, RegIo& io) {
  if (k.path.isEmpty()) {
    io.err << "ERROR: Invalid key name.\n";
    return 1;
  }
  if (!Registry::keyExists(k.hive, k.path)) {
    io.err << kNotFound << "\n";
    return 1;
  }
  if (o.valueName) {
    if (!Registry::value(k.hive, k.path, *o.valueName)) {
      io.err << kNotFound << "\n";
      return 1;
    }
    const QString shown = o.valueName->isEmpty() ? QStringLiteral("(Default)") : *o.valueName;
    if (!o.force && !confirm(io, QStringLiteral("Delete the registry value %1").arg(shown))) {
      io.out << "The operation was canceled by the user.\n";
      return 0;
    }
    if (!Registry::deleteValue(k.hive, k.path, *o.valueName)) {
      io.err << "ERROR: Access is denied.\n";
      return 1;
    }
  } else if (o.allValues) {
    if (!o.force && !confirm(io, QStringLiteral("Delete all values under the registry key %1").arg(fullName(k)))) {
      io.out << "The operation was canceled by the user.\n";
      return 0;
    }
    for (const RegValue& v : Registry::values(k.hive, k.path))
      Registry::deleteValue(k.hive, k.path, v.name);
  } else {
    if (!o.force && !confirm(io, QStringLiteral("Permanently delete the registry key %1").arg(fullName(k)))) {
      io.out << "The operation was canceled by the user.\n";
      return 0;
    }
    if (!Registry::deleteTree(k.hive, k.path)) {
      io.err << "ERROR: Access is denied.\n";
      return 1;
    }
  }
  io.out << kDone << "\n";
  return 0;
}

}  // namespace

int runRegCommand(const QStringList& args, RegIo io) {
  auto finish = [&](int rc) {
    io.out.flush();
    io.err.flush();
    return rc;
  };
  if (args.isEmpty())
    return finish(invalidSyntax(io, QString()));
  if (isHelpSwitch(args[0])) {
    io.out << programUsage();
    return finish(0);
  }
  if (args[0] == QLatin1String("--version")) {
    io.out << kRegProgram << ' ' << RLX_PROJECT_VERSION << '\n';
    return finish(0);
  }
  const QString verb = args[0].toLower();
  if (verb != QLatin1String("query") && verb != QLatin1String("add") && verb != QLatin1String("delete"))
    return finish(invalidSyntax(io, QString()));
  // In the key's place only: a value's data may read "-h" as well.
  if (args.size() >= 2 && isHelpSwitch(args[1])) {
    io.out << operationUsage(verb);
    return finish(0);
  }
  if (args.size() < 2)
    return finish(invalidSyntax(io, verb));
  auto key = parseKey(args[1]);
  if (!key) {
    io.err << "ERROR: Invalid key name.\n" << usageHint(verb);
    return finish(1);
  }
  const Options o = parseOptions(args, 2, verb == QLatin1String("add"));
  if (!o.ok || (verb == QLatin1String("query") && (o.allValues || o.force)))
    return finish(invalidSyntax(io, verb));
  if (verb == QLatin1String("query"))
    return finish(query(*key, o, io));
  if (verb == QLatin1String("add"))
    return finish(add(*key, o, io));
  return finish(remove(*key, o, io));
}

}  // namespace platform
