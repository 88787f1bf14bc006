#pragma once
// How RLX_Plug was started: by a director through automation, or stand-alone
// with "/regplugin", "/deregplugin", "--help", "--version" or nothing (the
// registration dialog).

#include <QStringList>

namespace startup {

enum class StartMode { Automation, RegPlugIn, DeregPlugIn, RegistrationDialog, Help, Version };

// args: the command-line arguments without the program name. The automation
// runtime starts the program with the single argument "-Embedding"; any other
// command line is a stand-alone start. The switches are recognised on the
// whole command line, trimmed and in any case: "/regplugin", "/deregplugin",
// "--help" (also "-h" and "/?") and "--version"; anything else opens the
// registration dialog.
StartMode ClassifyCommandLine(const QStringList& args);

// What "--help" and "--version" print.
QString UsageText();
QString VersionText();

// The exit code of a "/regplugin" that did not complete.
inline constexpr int kExitNotRegistered = 1;

// Carries out a stand-alone switch (install resources and register, or
// deregister) without reports of success. Returns the process's exit code:
// 0, or kExitNotRegistered when a resource file could not be installed or
// catalogued, or the registration could not be written (so an installer can
// tell); what went wrong is then written to standard error.
int RunSwitch(StartMode mode);

}  // namespace startup
