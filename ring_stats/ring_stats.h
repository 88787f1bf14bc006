#pragma once
// What the main windows start from their menus: the ring mode window
// ("&Ring Mode Parameters", SubMenuRingMode) and the connection statistics
// window ("&Connection Statistics", SubMenuStatistics). Both windows are
// loaded on first use, kept hidden between uses (one of each per process) and
// shown modally over the main window that opened them.
//
// The family of the calling window decides how the ring mode parameters are
// read and written and which failure text the statistics read shows: the
// window registered as the explicit family's main window
// (window_support::SetMainWindowLink(true, ...)) is fMainExplicit, any other is
// fMain.

namespace window_support {
class MainWindowLink;
}

class fRingMode;
class fConnStatistics;

namespace ring_stats {

// SubMenuStatistics: reads the statistics of the modem the main window works
// on and shows them; a failed read is reported and shows nothing.
void ShowConnectionStatistics(window_support::MainWindowLink& main);

// SubMenuRingMode: reads the ring mode parameters (the "UCPT_RingMode"
// property of "Device Globals", or the device with an explicit message) and
// shows them; a failed read is reported and shows nothing.
void OpenRingMode(window_support::MainWindowLink& main);

// Unloads both windows if they are loaded (a main window that unloads the
// plug-in's other windows calls this). Safe to call from inside either
// window's own handlers: the windows go once control returns to the event loop.
void UnloadRingStatsWindows();

// The loaded windows, or nullptr (for tests and screenshots).
fRingMode* LoadedRingModeWindow();
fConnStatistics* LoadedStatisticsWindow();

}  // namespace ring_stats
