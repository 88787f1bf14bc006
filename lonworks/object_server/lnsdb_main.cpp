// rlx-lnsdb: the command-line tool over the simulated LNS network database.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "lnsdb_cli.h"
#include "lonworks/rlx_device/rlx_runtime.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QLatin1String(lnsdb::kProgram));
  QTextStream out(stdout);
  QTextStream err(stderr);
  // The RLX routers of the network answer through the device simulator.
  lnsdb::setRuntimeFactory(rlxsim::makeRlxRuntime);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  const int code = lnsdb::allCommands().run(args, out, err);
  out.flush();
  err.flush();
  return code;
}
