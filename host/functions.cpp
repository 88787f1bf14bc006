#include "functions.h"

#include <QProcess>

#include "platform/ui_services.h"

namespace functions {

int ExecCmd(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(program, arguments);
  if (!process.waitForStarted(-1))
    return -1;
  while (process.state() != QProcess::NotRunning) {
    process.waitForFinished(50);
    platform::ui().processEvents();
  }
  if (process.exitStatus() != QProcess::NormalExit)
    return -1;
  return process.exitCode();
}

}  // namespace functions
