#pragma once
// Starting another program and waiting for it.

#include <QEventLoop>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace functions {

// Starts the program with its arguments (an argument vector, never a shell
// line, so paths with blanks or quotes are safe), with normal priority and the
// caller's environment, waits for it to end while letting window events run,
// and returns its exit code; -1 when it cannot be started or does not end
// normally.
int ExecCmd(const QString& program, const QStringList& arguments);

// Lets window events (and director calls) run until done() holds, asking it
// every checkMs milliseconds and whenever wake, if given, is emitted. The
// wait sleeps in the event loop between events instead of spinning a core.
template <class Sender, class Signal>
void WaitUntil(const std::function<bool()>& done, int checkMs, const Sender* wake, Signal signal);
void WaitUntil(const std::function<bool()>& done, int checkMs);

}  // namespace functions

template <class Sender, class Signal>
void functions::WaitUntil(const std::function<bool()>& done, int checkMs, const Sender* wake, Signal signal) {
  if (done())
    return;
  QEventLoop loop;
  QTimer check;
  auto look = [&] {
    if (done())
      loop.quit();
  };
  QObject::connect(&check, &QTimer::timeout, &loop, look);
  if (wake)
    QObject::connect(wake, signal, &loop, look);
  check.start(checkMs);
  loop.exec();
}
