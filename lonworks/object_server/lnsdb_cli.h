#pragma once
// The command dispatcher of rlx-lnsdb. Each command declares its name, usage,
// options and number of arguments and gets a Cli to work with; a family of
// commands registers itself with one function (registerObjectServerCommands,
// and later fault injection, traffic log, ring set-ups, phonebook entries),
// so adding commands never touches the dispatcher.
//
// Exit codes: 0 success, 1 the operation failed (the reason goes to standard
// error), 2 the command line is wrong (with the command's usage).

#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>
#include <stdexcept>

#include "lonworks/object_server/rlx_devices.h"

namespace lnsdb {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// The name the program is installed under, as its texts give it.
inline constexpr const char* kProgram = "rlx-lnsdb";

struct Option {
  QString name;       // "--network"
  QString valueName;  // "N"; empty for a flag
  bool repeatable = false;
};

class Args {
 public:
  QStringList positional;
  bool has(const QString& option) const { return values_.contains(option); }
  QString value(const QString& option, const QString& fallback = QString()) const {
    return values_.contains(option) ? values_.values(option).constLast() : fallback;
  }
  QStringList values(const QString& option) const;  // in command-line order
  void add(const QString& option, const QString& value) {
    order_ << qMakePair(option, value), values_.insert(option, value);
  }

 private:
  QMultiHash<QString, QString> values_;
  QList<QPair<QString, QString>> order_;
};

// A wrong command line: the message is shown with the command's usage.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

class Cli;

struct Command {
  QString name;     // "add-device"
  QString usage;    // "[--network N] SUBSYSTEM NAME --family lonmark|explicit ..."
  QString summary;  // one line for the command list
  QList<Option> options;
  int minArgs = 0;
  int maxArgs = 0;  // -1: any number
  std::function<int(Cli& cli, const Args& args)> run;
};

class CommandRegistry {
 public:
  // Throws std::logic_error for a name registered twice.
  void add(Command command);
  const Command* find(const QString& name) const;
  const QList<Command>& commands() const { return commands_; }
  // Runs a command line (without the program name).
  int run(const QStringList& arguments, QTextStream& out, QTextStream& err) const;

 private:
  QList<Command> commands_;
};

// What a running command works with.
class Cli {
 public:
  Cli(QTextStream& out, QTextStream& err, QString databasePath);
  ~Cli();
  QTextStream& out() { return out_; }
  QTextStream& err() { return err_; }

  // The Object Server, opened; with create, a missing database is created.
  lnssim::SimObjectServer& server(bool create = false);
  // The network named by --network, or the only network, or "Demo" among several.
  QString networkName(const Args& args);
  lnssim::OpenedSystem system(const Args& args);
  // "SUBSYSTEM/DEVICE" within the system.
  lns::AppDevicePtr device(const lnssim::OpenedSystem& system, const QString& path);
  // "SUBSYSTEM/DEVICE/OBJECT".
  lns::LonMarkObjectPtr lonMarkObject(const lnssim::OpenedSystem& system, const QString& path);

 private:
  QTextStream& out_;
  QTextStream& err_;
  QString databasePath_;
  std::unique_ptr<lnssim::SimObjectServer> server_;
};

// The commands over the Object Server: networks, devices, variables,
// properties, records, templates, applications, interfaces, modes, demo.
void registerObjectServerCommands(CommandRegistry& registry);

// Every command of lnsdb.
CommandRegistry& allCommands();

// The device runtime that lnsdb's Object Server talks to devices through
// (StoredValueRuntime when none is set); a device simulator plugs in here.
using RuntimeFactory = std::function<std::shared_ptr<lnssim::DeviceRuntime>()>;
void setRuntimeFactory(RuntimeFactory factory);

}  // namespace lnsdb
