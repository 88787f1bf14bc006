// lns-director: a command-line LNS director for RLX_Plug. See --help.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QTextStream>
#include <cstdio>

#include "lonworks/director/director.h"
#include "lonworks/director/director_cli.h"
#include "rlx_build_info.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("lns-director"));
  QTextStream out(stdout);
  QTextStream err(stderr);

  const director::ParseResult parsed = director::ParseCommandLine(QCoreApplication::arguments().mid(1));
  if (parsed.help) {
    out << director::UsageText();
    return director::kExitOk;
  }
  if (parsed.version) {
    out << "lns-director " << RLX_PROJECT_VERSION << "\n";
    return director::kExitOk;
  }
  if (!parsed.error.isEmpty()) {
    err << "lns-director: " << parsed.error << Qt::endl;
    return director::kExitUsage;
  }

  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    err << "lns-director: cannot reach the session bus: " << bus.lastError().message() << Qt::endl;
    return director::kExitFailure;
  }
  director::Director d(bus, out, err);
  return d.run(parsed.plan);
}
