#pragma once
// The director's "Register" command: device templates for the families the
// plug-in serves, their external interface files, and one component
// application per command of the command table.

#include <QString>

namespace template_registration {

// Runs the whole registration; every failing step is passed over.
void RegisterCommands();

// A name not yet used: base, then "base (1)", "base (2)", ...; the name with
// 1000 is taken without being tried. taken(name) says whether a name is used.
QString FreeName(const QString& base, const std::function<bool(const QString&)>& taken);

}  // namespace template_registration
