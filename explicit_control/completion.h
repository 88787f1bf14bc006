#pragma once
// The completion byte the data server's callback sets, and the bounded wait
// on it.
//
// One byte per process: 0xFF means no completion seen. PointCallback (handed to
// the data server with every point that reports completions, possibly called
// on a thread of the data server) stores the first byte of the event's data
// and wakes every waiting call. A completion for one control or call therefore
// ends the wait of any call waiting at that moment.

#include <QtGlobal>
#include <cstdint>

namespace platform {
class Clock;
}

namespace zev {

constexpr quint8 kNoCompletion = 0xFF;
constexpr quint32 kCompletionTimeoutMs = 3000;

quint8 CompletionByte();
// Sets the byte to 0xFF. Called before a message is written, so a completion
// that arrives while the write is still in progress is not lost.
void ArmCompletion();

// The callback handed to OpenPoint. Stores data[0] (nothing when data is
// null) and wakes the waiting calls. Returns 1.
std::int32_t PointCallback(std::int32_t pointHandle, std::int32_t eventCode, const std::uint8_t* data);

// The time source and blocking of the completion wait. The system one blocks
// on a condition variable that PointCallback signals, so a waiting call costs
// no CPU; tests put in one that moves a manual clock.
class CompletionWait {
 public:
  virtual ~CompletionWait() = default;
  virtual const platform::Clock& clock() const = 0;
  // Blocks for at most ms, or less once the completion byte is no longer
  // 0xFF. May return early for no reason; the caller checks again.
  virtual void waitAtMost(quint32 ms) = 0;
};

// Steady clock and condition variable, after watching the byte for a moment.
class SystemCompletionWait : public CompletionWait {
 public:
  static constexpr int kSpinMicroseconds = 200;
  const platform::Clock& clock() const override;
  void waitAtMost(quint32 ms) override;
  static SystemCompletionWait& instance();
};

// Waits until the completion byte is no longer 0xFF or 3000 ms have passed
// since the call (measured as a 32-bit unsigned difference of the clock's
// milliseconds, so a wrap-around is harmless). The byte must have been armed
// by the caller. Answers whether a completion was seen.
bool WaitForCompletion(CompletionWait& wait);

}  // namespace zev
