#include "ring_stats.h"

#include <QPointer>

#include "platform/ui_services.h"
#include "ring_stats/fconnstatistics.h"
#include "ring_stats/fringmode.h"
#include "ring_stats/modal_owner.h"
#include "window_support/main_window_link.h"

namespace ring_stats {

namespace {

QPointer<fRingMode>& ringModeWindow() {
  static QPointer<fRingMode> window;
  return window;
}

QPointer<fConnStatistics>& statisticsWindow() {
  static QPointer<fConnStatistics> window;
  return window;
}

bool isExplicitWindow(window_support::MainWindowLink& main) { return window_support::MainWindowOf(true) == &main; }

template <class Window>
Window* load(QPointer<Window>& slot, window_support::MainWindowLink& main) {
  if (!slot)
    slot = new Window(main.window());
  return slot.data();
}

template <class Window>
void unload(QPointer<Window>& slot) {
  if (Window* w = slot.data()) {
    slot.clear();
    w->hide();
    w->deleteLater();
  }
}

}  // namespace

namespace detail {

int ShowModalOver(QDialog* dialog, QWidget* owner) {
  if (owner && dialog->parentWidget() != owner)
    dialog->setParent(owner, dialog->windowFlags());
  return platform::ui().showModal(dialog);
}

}  // namespace detail

void ShowConnectionStatistics(window_support::MainWindowLink& main) {
  load(statisticsWindow(), main)->ReadAndShow(main, isExplicitWindow(main));
}

void OpenRingMode(window_support::MainWindowLink& main) {
  fRingMode* window = load(ringModeWindow(), main);
  if (isExplicitWindow(main))
    window->OpenExplicit(main);
  else
    window->OpenLonMark(main);
}

void UnloadRingStatsWindows() {
  unload(ringModeWindow());
  unload(statisticsWindow());
}

fRingMode* LoadedRingModeWindow() { return ringModeWindow().data(); }
fConnStatistics* LoadedStatisticsWindow() { return statisticsWindow().data(); }

}  // namespace ring_stats
