#pragma once
// How the ring mode and statistics windows are shown: modally, owned by the
// main window that opened them. A window is reparented to its owner each time
// it is shown, so it goes when that main window goes.

class QDialog;
class QWidget;

namespace ring_stats::detail {

// Makes owner the dialog's parent (keeping it a dialog window) and shows it
// modally through the UI services; returns the dialog's result.
int ShowModalOver(QDialog* dialog, QWidget* owner);

}  // namespace ring_stats::detail
