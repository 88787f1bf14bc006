#include "plugin_window.h"

#include <array>

#include "host/mmain.h"

namespace {

struct Slot {
  std::function<PlugInWindow*()> factory;
  PlugInWindow* instance = nullptr;
};

std::array<Slot, 3>& windowTable() {
  static std::array<Slot, 3> table;
  return table;
}

Slot& slotOf(WindowId id) { return windowTable()[static_cast<size_t>(id)]; }

}  // namespace

void RegisterWindow(WindowId id, std::function<PlugInWindow*()> factory) { slotOf(id).factory = std::move(factory); }

PlugInWindow* Window(WindowId id) {
  Slot& slot = slotOf(id);
  if (!slot.instance && slot.factory)
    slot.instance = slot.factory();
  return slot.instance;
}

PlugInWindow* ExistingWindow(WindowId id) { return slotOf(id).instance; }

void ForgetWindow(WindowId id) {
  Slot& slot = slotOf(id);
  // The window the automation properties act on must never outlive its widget.
  if (slot.instance && MMain.CurrentMainWindow == slot.instance)
    MMain.CurrentMainWindow = nullptr;
  slot.instance = nullptr;
}
