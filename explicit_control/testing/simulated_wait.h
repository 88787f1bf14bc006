#pragma once
// A completion wait on a manual clock for tests: blocking moves the clock
// instead of sleeping, and events scheduled on the clock (a callback from the
// data server, say) run when the clock reaches them.

#include <QList>
#include <algorithm>
#include <functional>
#include <vector>

#include "explicit_control/completion.h"
#include "platform/clock.h"

namespace zev_testing {

class SimulatedWait : public zev::CompletionWait {
 public:
  explicit SimulatedWait(qint64 startMs = 0) { clock_.advance(startMs); }

  const platform::Clock& clock() const override { return clock_; }

  // Moves the clock by ms, or to the next scheduled event and runs it (a
  // wake-up: the waiting loop checks the byte again).
  void waitAtMost(quint32 ms) override {
    waits_ << ms;
    const qint64 target = clock_.nowMs() + ms;
    if (!events_.empty() && events_.front().at <= target) {
      Event e = events_.front();
      events_.erase(events_.begin());
      advanceTo(e.at);
      e.run();
      return;
    }
    advanceTo(target);
  }

  // Runs fn when the clock has moved ms past its present reading.
  void after(qint64 ms, std::function<void()> fn) {
    events_.push_back({clock_.nowMs() + ms, std::move(fn)});
    std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) { return a.at < b.at; });
  }

  // Every block the waiting loop asked for, in ms.
  const QList<quint32>& waits() const { return waits_; }
  // Time spent blocked.
  qint64 waited() const { return waited_; }

 private:
  struct Event {
    qint64 at;
    std::function<void()> run;
  };
  void advanceTo(qint64 at) {
    const qint64 step = std::max<qint64>(0, at - clock_.nowMs());
    clock_.advance(step);
    waited_ += step;
  }

  platform::ManualClock clock_;
  std::vector<Event> events_;
  QList<quint32> waits_;
  qint64 waited_ = 0;
};

}  // namespace zev_testing
