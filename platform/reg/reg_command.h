#pragma once
// rlx-reg: the subset of the Windows `reg` command that operators and scripts
// use to see and set what the plug-in reads and writes:
//   rlx-reg query  KEY [/v NAME | /ve]
//   rlx-reg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
//   rlx-reg delete KEY [/v NAME | /ve | /va] [/f]
//   rlx-reg /?  (or -h, --help), rlx-reg OPERATION /?: the usage, exit code 0
//   rlx-reg --version
// Roots: HKLM, HKCU and their long forms.

#include <QStringList>
#include <QTextStream>

namespace platform {

// The name the program is installed under (a bare "reg" would take the name
// of other programs).
inline constexpr const char* kRegProgram = "rlx-reg";

struct RegIo {
  QTextStream& out;
  QTextStream& err;
  QTextStream& in;  // answers to the delete confirmation when /f is missing
};

// Runs one command (arguments without the program name); returns the exit code.
int runRegCommand(const QStringList& args, RegIo io);

}  // namespace platform
