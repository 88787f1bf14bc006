#include "main_window_link.h"

#include "host/mmain.h"

namespace window_support {

namespace {
MainWindowLink* g_links[2] = {nullptr, nullptr};
}

MainWindowLink* MainWindowOf(bool explicitFamily) { return g_links[explicitFamily ? 1 : 0]; }

MainWindowLink* AttachedMainWindow() { return MainWindowOf(MMain.ExplicitFamily != 0); }

void SetMainWindowLink(bool explicitFamily, MainWindowLink* link) { g_links[explicitFamily ? 1 : 0] = link; }

}  // namespace window_support
