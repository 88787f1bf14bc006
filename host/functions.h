#pragma once
// Starting another program and waiting for it.

#include <QString>
#include <QStringList>

namespace functions {

// Starts the program with its arguments (an argument vector, never a shell
// line, so paths with blanks or quotes are safe), with normal priority and the
// caller's environment, waits for it to end while letting window events run,
// and returns its exit code; -1 when it cannot be started or does not end
// normally.
int ExecCmd(const QString& program, const QStringList& arguments);

}  // namespace functions
