#include "completion.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/clock.h"

namespace zev {

namespace {

std::atomic<quint8> g_completion{kNoCompletion};
// Only for sleeping and waking: the byte itself is read and written without it.
std::mutex g_wakeMutex;
std::condition_variable g_wake;

}  // namespace

quint8 CompletionByte() { return g_completion.load(std::memory_order_acquire); }

void ArmCompletion() { g_completion.store(kNoCompletion, std::memory_order_release); }

std::int32_t PointCallback(std::int32_t /*pointHandle*/, std::int32_t /*eventCode*/, const std::uint8_t* data) {
  if (data) {
    g_completion.store(data[0], std::memory_order_release);
    // Taking the mutex once orders the store before a waiter that has checked
    // the byte and is about to block: it either sees the new byte or gets the
    // notification.
    { std::lock_guard<std::mutex> lock(g_wakeMutex); }
    g_wake.notify_all();
  }
  return 1;
}

const platform::Clock& SystemCompletionWait::clock() const { return platform::SystemClock::instance(); }

void SystemCompletionWait::waitAtMost(quint32 ms) {
  // A device nearby answers within a fraction of a millisecond: watch the byte
  // for a moment before sleeping, so a quick completion does not pay for a
  // wake-up. The moment is short enough that a silent device's 3000 ms still
  // cost next to no CPU.
  const auto spinUntil = std::chrono::steady_clock::now() + std::chrono::microseconds(kSpinMicroseconds);
  do {
    for (int i = 0; i < 64; ++i)
      if (CompletionByte() != kNoCompletion)
        return;
  } while (std::chrono::steady_clock::now() < spinUntil);
  std::unique_lock<std::mutex> lock(g_wakeMutex);
  g_wake.wait_for(lock, std::chrono::milliseconds(ms), [] { return CompletionByte() != kNoCompletion; });
}

SystemCompletionWait& SystemCompletionWait::instance() {
  static SystemCompletionWait wait;
  return wait;
}

bool WaitForCompletion(CompletionWait& wait) {
  const quint32 start = static_cast<quint32>(wait.clock().nowMs());
  for (;;) {
    if (CompletionByte() != kNoCompletion)
      return true;
    const quint32 elapsed = static_cast<quint32>(wait.clock().nowMs()) - start;
    if (elapsed >= kCompletionTimeoutMs)
      return false;
    wait.waitAtMost(kCompletionTimeoutMs - elapsed);
  }
}

}  // namespace zev
