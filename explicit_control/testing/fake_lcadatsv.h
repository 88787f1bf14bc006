#pragma once
// A scriptable data server for the control's tests: a shared library that
// exports the ordinal table the way the real one does, records every call
// and answers from a script. Tests link it to script it and point
// RLX_LCADATSV at it so that the control loads the same library.

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "explicit_control/lcadatsv_abi.h"

namespace fake_lcadatsv {

struct Call {
  int ordinal = 0;
  std::int32_t dataServer = 0;
  std::int32_t point = 0;      // the point handle passed, or the one OpenPoint handed out
  std::int32_t kind = -1;      // OpenPoint
  std::string device;          // OpenPoint
  std::int32_t code = 0;       // OpenPoint: message code
  bool callback = false;       // OpenPoint: a callback was given
  std::int32_t attribute = 0;  // SetPointAttribute
  std::int32_t value = 0;      // SetPointAttribute: the value; ActivatePoint: the flag;
                               // WritePoint, ReadPoint: the byte count on entry
  std::string text;            // WritePoint
  std::int32_t status = 0;     // what the fake answered
};

// When the completion callback runs after a successful WritePoint.
enum class Completion {
  None,         // never: the device does not answer
  DuringWrite,  // inside WritePoint, before it returns
  FromThread,   // on a thread of the fake, started by WritePoint; gated threads
                // wait for OpenGate() first
};

// Forgets calls and script, joins the fake's threads, restores every ordinal.
void Reset();

// Answers for the next calls of an ordinal, in order; later calls answer 0.
void QueueStatus(int ordinal, std::vector<std::int32_t> statuses);
// What ReadPoint hands out. A buffer too small for it (with its zero) is
// answered with kLcaMoreData and the size needed.
void SetReply(const std::string& text);
void SetCompletion(Completion mode, std::uint8_t firstByte = 0, bool gated = false);
// Removes a function from the exported table.
void RemoveOrdinal(int ordinal);

// Calls the callback of the latest completion point now, on the caller's
// thread, with firstByte as the event's first data byte. Answers false when
// no completion point with a callback was opened.
bool Deliver(std::uint8_t firstByte);
// Lets a gated completion thread run.
void OpenGate();
// Waits for the fake's threads to finish.
void JoinThreads();

std::vector<Call> Calls();
std::vector<int> Ordinals();  // the ordinals called, in order
// The thread the latest callback ran on.
std::thread::id CallbackThread();
int CallbacksMade();

// The exported table (for a library that exports it through a function).
const LcaOrdinalTable* Table();

}  // namespace fake_lcadatsv
