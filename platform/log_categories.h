#pragma once
// The program's diagnosis categories. All are silent by default (only their
// warnings pass); an operator switches them on with the usual Qt rules, for
// instance QT_LOGGING_RULES="rlx.*=true" for all or "rlx.network=true" for one.
//
//   rlx.registry  which registry root and which LonWorks tree were used
//   rlx.network   which network database was opened, for which network, or why not
//   rlx.director  each call of a director and its answer or error
//   rlx.explicit  each explicit message sent through the control, its reply and time
//   rlx.display   which display the program asked for and got

#include <QLoggingCategory>

namespace platform {

Q_DECLARE_LOGGING_CATEGORY(lcRegistry)
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)
Q_DECLARE_LOGGING_CATEGORY(lcDirector)
Q_DECLARE_LOGGING_CATEGORY(lcExplicit)
Q_DECLARE_LOGGING_CATEGORY(lcDisplay)

}  // namespace platform
