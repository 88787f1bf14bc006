#include "plugin_window.h"

#include <QApplication>
#include <QWidget>
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

QList<PlugInWindow*> PlugInWindows() {
  QList<PlugInWindow*> windows;
  for (const Slot& slot : windowTable())
    if (slot.instance)
      windows << slot.instance;
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    return windows;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* window = dynamic_cast<PlugInWindow*>(widget); window && !windows.contains(window))
      windows << window;
  return windows;
}

bool AnyPlugInWindowVisible() {
  for (PlugInWindow* window : PlugInWindows())
    if (window->widget() && window->widget()->isVisible())
      return true;
  return false;
}

bool ClosePlugInWindows(WindowId id) {
  for (PlugInWindow* window : PlugInWindows()) {
    if (window->id() != id)
      continue;
    QWidget* widget = window->widget();
    if (!widget->close())
      return false;
    // Only the registered instance belongs to the registry; a window opened
    // modally belongs to the code that opened it.
    if (ExistingWindow(id) == window) {
      ForgetWindow(id);
      widget->deleteLater();
    }
  }
  return true;
}
