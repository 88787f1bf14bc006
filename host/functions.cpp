#include "functions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace functions {

void WaitUntil(const std::function<bool()>& done, int checkMs) {
  if (done())
    return;
  // The timer only makes sure the condition is looked at now and then when
  // nothing else happens.
  QTimer check;
  check.start(checkMs);
  while (!done())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int ExecCmd(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(program, arguments);
  if (!process.waitForStarted(-1))
    return -1;
  // The program's end wakes the wait at once; the check is only a safety net.
  WaitUntil([&process] { return process.state() == QProcess::NotRunning; }, 250);
  if (process.exitStatus() != QProcess::NormalExit)
    return -1;
  return process.exitCode();
}

}  // namespace functions
