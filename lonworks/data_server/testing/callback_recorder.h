#pragma once
// A point callback for tests: records every call with the thread it came on,
// and lets a test wait (bounded, on a condition variable) for calls to arrive.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace lcadatsv_testing {

struct CallbackEvent {
  std::int32_t point = 0;
  std::int32_t event = 0;
  std::uint8_t firstByte = 0;
  std::thread::id thread;
};

class CallbackRecorder {
 public:
  static CallbackRecorder& instance() {
    static CallbackRecorder recorder;
    return recorder;
  }

  // The callback to hand to OpenPoint.
  static std::int32_t Record(std::int32_t point, std::int32_t event, const std::uint8_t* data) {
    CallbackRecorder& r = instance();
    {
      std::lock_guard<std::mutex> lock(r.mutex_);
      r.events_.push_back({point, event, data ? data[0] : std::uint8_t(0xFF), std::this_thread::get_id()});
    }
    r.changed_.notify_all();
    return 1;
  }

  // The same recording under another function, for points that must not
  // share one callback function.
  template <int Tag>
  static std::int32_t RecordAs(std::int32_t point, std::int32_t event, const std::uint8_t* data) {
    static volatile int tag = Tag;  // keeps the functions apart
    (void)tag;
    return Record(point, event, data);
  }

  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
  }

  std::vector<CallbackEvent> events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

  std::vector<CallbackEvent> eventsOf(std::int32_t point) const {
    std::vector<CallbackEvent> out;
    for (const CallbackEvent& e : events())
      if (e.point == point)
        out.push_back(e);
    return out;
  }

  // Waits until the point has had at least n calls. A bound that only a
  // broken data server reaches keeps a failing test from hanging.
  bool waitFor(std::int32_t point, std::size_t n, std::chrono::seconds bound = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, bound, [&] {
      std::size_t count = 0;
      for (const CallbackEvent& e : events_)
        count += e.point == point;
      return count >= n;
    });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<CallbackEvent> events_;
};

}  // namespace lcadatsv_testing
