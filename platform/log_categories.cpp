#include "log_categories.h"

namespace platform {

// QtInfoMsg: debug lines, the only kind written to them, stay off until a rule enables them.
Q_LOGGING_CATEGORY(lcRegistry, "rlx.registry", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNetwork, "rlx.network", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDirector, "rlx.director", QtInfoMsg)
Q_LOGGING_CATEGORY(lcExplicit, "rlx.explicit", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDisplay, "rlx.display", QtInfoMsg)

}  // namespace platform
