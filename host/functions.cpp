#include "functions.h"

#include <QProcess>


namespace functions {

void WaitUntil(const std::function<bool()>& done, int checkMs) {
  WaitUntil(done, checkMs, static_cast<const QObject*>(nullptr), &QObject::destroyed);
}

int ExecCmd(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(program, arguments);
  if (!process.waitForStarted(-1))
    return -1;
  // The program's end wakes the wait at once; the check is only a safety net.
  WaitUntil([&process] { return process.state() == QProcess::NotRunning; }, 250, &process, &QProcess::finished);
  if (process.exitStatus() != QProcess::NormalExit)
    return -1;
  return process.exitCode();
}

}  // namespace functions
