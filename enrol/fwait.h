#pragma once
// The installer's wait window: "Please Wait !" with a progress bar for ten
// seconds while an installation registers the plug-in.

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

class fWait : public QDialog {
  Q_OBJECT
 public:
  explicit fWait(QWidget* parent = nullptr);
  QLabel* Label2 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
};

namespace enrol {

struct WaitClock {
  // The current second within the minute (0-59).
  std::function<int()> currentSecond;
  // Pauses between two clock readings, letting window events run.
  std::function<void()> pause;
};

// The real clock: wall-clock seconds, pausing 50 ms between readings.
WaitClock systemWaitClock();

// Shows the window, waits ten seconds by the clock's seconds (wrapping at 60),
// moving the bar to the elapsed seconds, then hides it. Returns the bar values
// set, in order (for the tests).
QList<int> RunWait(fWait& window, const WaitClock& clock);

}  // namespace enrol
