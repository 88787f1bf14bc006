#pragma once
// The subset of the Windows `reg` command that operators and scripts use to
// see and set what the plug-in reads and writes:
//   reg query  KEY [/v NAME | /ve]
//   reg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
//   reg delete KEY [/v NAME | /ve | /va] [/f]
// Roots: HKLM, HKCU and their long forms.

#include <QStringList>
#include <QTextStream>

namespace platform {

struct RegIo {
  QTextStream& out;
  QTextStream& err;
  QTextStream& in;  // answers to the delete confirmation when /f is missing
};

// Runs one command (arguments without the program name); returns the exit code.
int runRegCommand(const QStringList& args, RegIo io);

}  // namespace platform
