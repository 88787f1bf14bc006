#pragma once
// The waits of the device windows that must keep the window working: the
// pauses of the reboot loops and of the auto-answer confirmation. A pause
// runs the event loop for its time, so the operator, the timers and director
// calls are served meanwhile. Bounds are measured on the pacer's clock.
//
// Tests install a pacer of their own that moves the simulated network's clock
// by the pause instead of waiting, so a loop meets the device's return (or its
// bound) on simulated time.

#include "platform/clock.h"

namespace window_waits {

class Pacer {
 public:
  virtual ~Pacer() = default;
  // Lets window events run for about ms milliseconds, then returns. Returns
  // at once when the program is ending.
  virtual void pause(int ms) = 0;
  // The time that bounds of waits are measured on.
  virtual const platform::Clock& clock() const = 0;
};

// The pacer the windows use: the event-loop pacer unless one is installed.
Pacer& pacer();
// Installs a pacer (nullptr: back to the event-loop pacer).
void setPacer(Pacer* pacer);

// Pauses in a nested event loop on the process clock.
class EventLoopPacer : public Pacer {
 public:
  void pause(int ms) override;
  const platform::Clock& clock() const override;
};

}  // namespace window_waits
