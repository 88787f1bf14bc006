#pragma once
// How RLX_Plug was started: by a director through automation, or stand-alone
// with "/regplugin", "/deregplugin" or nothing (the registration dialog).

#include <QStringList>

namespace startup {

enum class StartMode { Automation, RegPlugIn, DeregPlugIn, RegistrationDialog };

// args: the command-line arguments without the program name. The automation
// runtime starts the program with the single argument "-Embedding"; any other
// command line is a stand-alone start. The switches are recognised on the
// whole command line, trimmed and in any case.
StartMode ClassifyCommandLine(const QStringList& args);

// Carries out a stand-alone switch (install resources and register, or
// deregister), quietly. Returns the process's exit code: 0, or 1 when the
// registration could not be written (so an installer can tell).
int RunSwitch(StartMode mode);

}  // namespace startup
