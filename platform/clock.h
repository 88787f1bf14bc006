#pragma once
// Time sources. Code that waits or schedules takes a Clock, so tests move time
// forward instead of sleeping.

#include <QtGlobal>
#include <atomic>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic milliseconds since an arbitrary start.
  virtual qint64 nowMs() const = 0;
  // Milliseconds since the Unix epoch (wall clock, for stored timestamps).
  virtual qint64 epochMs() const = 0;
};

class SystemClock : public Clock {
 public:
  qint64 nowMs() const override;
  qint64 epochMs() const override;
  static SystemClock& instance();
};

// A clock that only moves when told to.
class ManualClock : public Clock {
 public:
  explicit ManualClock(qint64 startEpochMs = 1'700'000'000'000) : now_(0), epochStart_(startEpochMs) {}
  qint64 nowMs() const override { return now_.load(); }
  qint64 epochMs() const override { return epochStart_ + now_.load(); }
  void advance(qint64 ms) { now_ += ms; }

 private:
  std::atomic<qint64> now_;
  qint64 epochStart_;
};

}  // namespace platform
