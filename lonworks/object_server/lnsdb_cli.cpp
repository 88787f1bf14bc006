#include "lnsdb_cli.h"

#include "lnsdb_rlx_commands.h"
#include "rlx_build_info.h"

namespace lnsdb {

QStringList Args::values(const QString& option) const {
  QStringList out;
  for (const auto& [name, value] : order_)
    if (name == option)
      out << value;
  return out;
}

void CommandRegistry::add(Command command) {
  if (find(command.name))
    throw std::logic_error("lnsdb command registered twice: " + command.name.toStdString());
  commands_ << std::move(command);
}

const Command* CommandRegistry::find(const QString& name) const {
  for (const Command& c : commands_)
    if (c.name == name)
      return &c;
  return nullptr;
}

namespace {

void printHelp(const CommandRegistry& registry, QTextStream& out) {
  out << "Usage: " << kProgram
      << " [--database FILE] COMMAND [ARGUMENTS]\n"
         "Works on the simulated LNS network database (<LonWorks Path>\\Database\\lns.db,\n"
         "or FILE). Device paths are SUBSYSTEM/DEVICE within the network given by\n"
         "--network (default: the only network, or \"Demo\").\n\nCommands:\n";
  for (const Command& c : registry.commands())
    out << "  " << c.name << (c.usage.isEmpty() ? QString() : u' ' + c.usage) << "\n      " << c.summary << "\n";
  out << "\n  help [COMMAND]   this text, or one command's usage\n"
         "  --version        the program's version\n"
         "Exit codes: 0 done, 1 the operation failed, 2 wrong command line.\n";
}

Args parse(const Command& command, const QStringList& words) {
  Args args;
  bool optionsEnd = false;
  for (qsizetype i = 0; i < words.size(); ++i) {
    const QString& w = words[i];
    if (!optionsEnd && w == QLatin1String("--")) {
      optionsEnd = true;
      continue;
    }
    if (!optionsEnd && w.startsWith(QLatin1String("--"))) {
      QString name = w, inlineValue;
      bool hasInline = false;
      if (const qsizetype eq = w.indexOf(u'='); eq > 0) {
        name = w.left(eq);
        inlineValue = w.mid(eq + 1);
        hasInline = true;
      }
      const Option* option = nullptr;
      for (const Option& o : command.options)
        if (o.name == name)
          option = &o;
      if (!option)
        throw UsageError(QStringLiteral("unknown option %1").arg(name));
      if (args.has(name) && !option->repeatable)
        throw UsageError(QStringLiteral("%1 is given twice").arg(name));
      if (option->valueName.isEmpty()) {
        if (hasInline)
          throw UsageError(QStringLiteral("%1 takes no value").arg(name));
        args.add(name, QString());
      } else if (hasInline) {
        args.add(name, inlineValue);
      } else {
        if (i + 1 >= words.size())
          throw UsageError(QStringLiteral("%1 needs a value (%2)").arg(name, option->valueName));
        args.add(name, words[++i]);
      }
      continue;
    }
    args.positional << w;
  }
  const int n = static_cast<int>(args.positional.size());
  if (n < command.minArgs)
    throw UsageError(QStringLiteral("too few arguments"));
  if (command.maxArgs >= 0 && n > command.maxArgs)
    throw UsageError(QStringLiteral("too many arguments (\"%1\")").arg(args.positional.value(command.maxArgs)));
  return args;
}

}  // namespace

int CommandRegistry::run(const QStringList& arguments, QTextStream& out, QTextStream& err) const {
  QStringList words = arguments;
  QString database;
  // --database FILE may stand anywhere.
  for (qsizetype i = 0; i < words.size(); ++i) {
    if (words[i] == QLatin1String("--"))
      break;
    if (words[i] == QLatin1String("--database")) {
      if (i + 1 >= words.size()) {
        err << kProgram << ": --database needs a value (FILE)\n";
        return kExitUsage;
      }
      database = words[i + 1];
      words.remove(i, 2);
      --i;
    } else if (words[i].startsWith(QLatin1String("--database="))) {
      database = words[i].mid(11);
      words.remove(i);
      --i;
    }
  }
  if (words.isEmpty()) {
    printHelp(*this, err);
    return kExitUsage;
  }
  const QString name = words.takeFirst();
  if (name == QLatin1String("--version")) {
    out << kProgram << ' ' << RLX_PROJECT_VERSION << "\n";
    return kExitOk;
  }
  if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h")) {
    if (!words.isEmpty()) {
      const Command* c = find(words.front());
      if (!c) {
        err << kProgram << ": unknown command \"" << words.front() << "\"\n";
        return kExitUsage;
      }
      out << "Usage: " << kProgram << ' ' << c->name << ' ' << c->usage << "\n" << c->summary << "\n";
      return kExitOk;
    }
    printHelp(*this, out);
    return kExitOk;
  }
  const Command* command = find(name);
  if (!command) {
    err << kProgram << ": unknown command \"" << name << "\" (" << kProgram << " --help lists the commands)\n";
    return kExitUsage;
  }
  if (words.contains(QStringLiteral("--help"))) {
    out << "Usage: " << kProgram << ' ' << command->name << ' ' << command->usage << "\n" << command->summary << "\n";
    return kExitOk;
  }
  try {
    const Args args = parse(*command, words);
    Cli cli(out, err, database);
    return command->run(cli, args);
  } catch (const UsageError& e) {
    err << kProgram << ' ' << command->name << ": " << e.message() << "\nUsage: " << kProgram << ' ' << command->name
        << ' ' << command->usage << "\n";
    return kExitUsage;
  } catch (const lns::LnsError& e) {
    err << kProgram << ' ' << command->name << ": " << e.description() << " (error " << e.number() << ")\n";
    return kExitFailed;
  }
}

namespace {
RuntimeFactory& runtimeFactory() {
  static RuntimeFactory factory;
  return factory;
}
}  // namespace

void setRuntimeFactory(RuntimeFactory factory) { runtimeFactory() = std::move(factory); }

Cli::Cli(QTextStream& out, QTextStream& err, QString databasePath)
    : out_(out), err_(err), databasePath_(std::move(databasePath)) {}

Cli::~Cli() = default;

lnssim::SimObjectServer& Cli::server(bool create) {
  if (!server_) {
    lnssim::ServerOptions options;
    options.databasePath = databasePath_;
    options.createIfMissing = create;
    server_ = std::make_unique<lnssim::SimObjectServer>(options, runtimeFactory() ? runtimeFactory()() : nullptr);
  }
  server_->Open();
  return *server_;
}

QString Cli::networkName(const Args& args) {
  if (args.has(QStringLiteral("--network")))
    return args.value(QStringLiteral("--network"));
  auto networks = server().Networks();
  const qint32 n = networks->Count();
  if (n == 0)
    throw lns::LnsError(lns::kErrNotFound, QStringLiteral("The database holds no network; create one first"));
  if (n == 1)
    return networks->Item(1)->Name();
  try {
    return networks->Item(QStringLiteral("Demo"))->Name();
  } catch (const lns::LnsError&) {
    throw UsageError(QStringLiteral("the database holds %1 networks; name one with --network").arg(n));
  }
}

lnssim::OpenedSystem Cli::system(const Args& args) {
  const QString name = networkName(args);
  return lnssim::openFirstSystem(server(), name);
}

lns::AppDevicePtr Cli::device(const lnssim::OpenedSystem& system, const QString& path) {
  const QStringList parts = path.split(u'/');
  if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty())
    throw UsageError(QStringLiteral("\"%1\" is not a device path SUBSYSTEM/DEVICE").arg(path));
  return system.system->Subsystems()->Item(parts[0])->AppDevices()->Item(parts[1]);
}

lns::LonMarkObjectPtr Cli::lonMarkObject(const lnssim::OpenedSystem& system, const QString& path) {
  const qsizetype cut = path.lastIndexOf(u'/');
  if (cut <= 0 || path.count(u'/') != 2 || cut == path.size() - 1)
    throw UsageError(QStringLiteral("\"%1\" is not an object path SUBSYSTEM/DEVICE/OBJECT").arg(path));
  return device(system, path.left(cut))->Interface()->LonMarkObjects()->Item(path.mid(cut + 1));
}

CommandRegistry& allCommands() {
  static CommandRegistry registry = [] {
    CommandRegistry r;
    registerObjectServerCommands(r);
    registerRlxDeviceCommands(r);
    return r;
  }();
  return registry;
}

}  // namespace lnsdb
