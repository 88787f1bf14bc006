#pragma once
// Starting another program and waiting for it.

#include <QString>
#include <QStringList>
#include <functional>

namespace functions {

// Starts the program with its arguments (an argument vector, never a shell
// line, so paths with blanks or quotes are safe), with normal priority and the
// caller's environment, waits for it to end while letting window events run,
// and returns its exit code; -1 when it cannot be started or does not end
// normally.
int ExecCmd(const QString& program, const QStringList& arguments);

// Lets window events (and director calls) run until done() holds, asking it
// after every event and at least every checkMs milliseconds. Between events
// the wait sleeps in the event dispatcher instead of spinning a core. (It does
// not use a QEventLoop of its own: one started after the application was told
// to quit would return at once.)
void WaitUntil(const std::function<bool()>& done, int checkMs);

}  // namespace functions
