#include "fake_lcadatsv.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "explicit_control/lcadatsv_abi.h"

namespace fake_lcadatsv {

namespace {

struct State {
  std::mutex mutex;
  std::condition_variable gateOpened;
  std::vector<Call> calls;
  std::map<int, std::deque<std::int32_t>> statuses;
  std::string reply;
  Completion completion = Completion::None;
  std::uint8_t firstByte = 0;
  bool gated = false;
  bool gateOpen = false;
  std::int32_t nextPoint = 100;
  std::int32_t completionPoint = 0;
  LcaPointCallback completionCallback = nullptr;
  std::vector<std::thread> threads;
  std::thread::id callbackThread;
  int callbacks = 0;
};

State& state() {
  static State s;
  return s;
}

std::int32_t answer(std::unique_lock<std::mutex>&, int ordinal) {
  auto& queue = state().statuses[ordinal];
  if (queue.empty())
    return lca::kLcaOk;
  const std::int32_t status = queue.front();
  queue.pop_front();
  return status;
}

// Runs a callback outside the lock, as a data server's own thread would.
void callBack(LcaPointCallback callback, std::int32_t point, std::uint8_t firstByte) {
  const std::uint8_t data[4] = {firstByte, 0, 0, 0};
  callback(point, 1, data);
  std::lock_guard<std::mutex> lock(state().mutex);
  state().callbackThread = std::this_thread::get_id();
  ++state().callbacks;
}

std::int32_t ResetDataServer(std::int32_t dataServer) {
  std::unique_lock<std::mutex> lock(state().mutex);
  Call c;
  c.ordinal = lca::kResetDataServer;
  c.dataServer = dataServer;
  c.status = answer(lock, c.ordinal);
  state().calls.push_back(c);
  return c.status;
}

std::int32_t OpenPoint(std::int32_t dataServer, std::int32_t kind, const char* deviceName, std::int32_t,
                       std::int32_t messageCode, std::int32_t* pointHandle, LcaPointCallback callback, std::int32_t) {
  std::unique_lock<std::mutex> lock(state().mutex);
  Call c;
  c.ordinal = lca::kOpenPoint;
  c.dataServer = dataServer;
  c.kind = kind;
  c.device = deviceName ? deviceName : "";
  c.code = messageCode;
  c.callback = callback != nullptr;
  c.status = answer(lock, c.ordinal);
  if (c.status == lca::kLcaOk) {
    c.point = state().nextPoint++;
    *pointHandle = c.point;
    if (kind == lca::kCompletionPoint && callback) {
      state().completionPoint = c.point;
      state().completionCallback = callback;
    }
  }
  state().calls.push_back(c);
  return c.status;
}

std::int32_t ActivatePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t active) {
  std::unique_lock<std::mutex> lock(state().mutex);
  Call c;
  c.ordinal = lca::kActivatePoint;
  c.dataServer = dataServer;
  c.point = pointHandle;
  c.value = active;
  c.status = answer(lock, c.ordinal);
  state().calls.push_back(c);
  return c.status;
}

std::int32_t SetPointAttribute(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t attribute,
                               const std::int32_t* value) {
  std::unique_lock<std::mutex> lock(state().mutex);
  Call c;
  c.ordinal = lca::kSetPointAttribute;
  c.dataServer = dataServer;
  c.point = pointHandle;
  c.attribute = attribute;
  c.value = value ? *value : -1;
  c.status = answer(lock, c.ordinal);
  state().calls.push_back(c);
  return c.status;
}

std::int32_t WritePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t byteCount, const char* text) {
  std::unique_lock<std::mutex> lock(state().mutex);
  State& s = state();
  Call c;
  c.ordinal = lca::kWritePoint;
  c.dataServer = dataServer;
  c.point = pointHandle;
  c.value = byteCount;
  c.text = text ? std::string(text, strnlen(text, byteCount > 0 ? byteCount : 0)) : std::string();
  c.status = answer(lock, c.ordinal);
  s.calls.push_back(c);
  if (c.status != lca::kLcaOk || !s.completionCallback)
    return c.status;
  const LcaPointCallback callback = s.completionCallback;
  const std::int32_t point = s.completionPoint;
  const std::uint8_t firstByte = s.firstByte;
  switch (s.completion) {
    case Completion::None: break;
    case Completion::DuringWrite:
      lock.unlock();
      callBack(callback, point, firstByte);
      break;
    case Completion::FromThread:
      s.threads.emplace_back([callback, point, firstByte, gated = s.gated] {
        if (gated) {
          std::unique_lock<std::mutex> wait(state().mutex);
          state().gateOpened.wait(wait, [] { return state().gateOpen; });
        }
        callBack(callback, point, firstByte);
      });
      break;
  }
  return c.status;
}

std::int32_t ReadPoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t* byteCount, char* buffer,
                       std::int32_t) {
  std::unique_lock<std::mutex> lock(state().mutex);
  Call c;
  c.ordinal = lca::kReadPoint;
  c.dataServer = dataServer;
  c.point = pointHandle;
  c.value = *byteCount;
  c.status = answer(lock, c.ordinal);
  if (c.status == lca::kLcaOk) {
    const std::string& reply = state().reply;
    const std::int32_t needed = static_cast<std::int32_t>(reply.size()) + 1;
    if (needed > *byteCount) {
      c.status = lca::kLcaMoreData;
      *byteCount = needed;
    } else {
      std::memcpy(buffer, reply.c_str(), needed);
      *byteCount = needed;
    }
  }
  state().calls.push_back(c);
  return c.status;
}

constexpr int kTableSize = 24;
void* g_functions[kTableSize] = {};

void fillTable() {
  for (void*& f : g_functions)
    f = nullptr;
  g_functions[lca::kResetDataServer] = reinterpret_cast<void*>(&ResetDataServer);
  g_functions[lca::kOpenPoint] = reinterpret_cast<void*>(&OpenPoint);
  g_functions[lca::kActivatePoint] = reinterpret_cast<void*>(&ActivatePoint);
  g_functions[lca::kWritePoint] = reinterpret_cast<void*>(&WritePoint);
  g_functions[lca::kReadPoint] = reinterpret_cast<void*>(&ReadPoint);
  g_functions[lca::kSetPointAttribute] = reinterpret_cast<void*>(&SetPointAttribute);
}

const bool g_filled = (fillTable(), true);

}  // namespace

void JoinThreads() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(state().mutex);
    threads.swap(state().threads);
  }
  for (std::thread& t : threads)
    t.join();
}

void Reset() {
  OpenGate();
  JoinThreads();
  std::lock_guard<std::mutex> lock(state().mutex);
  State& s = state();
  s.calls.clear();
  s.statuses.clear();
  s.reply.clear();
  s.completion = Completion::None;
  s.firstByte = 0;
  s.gated = false;
  s.gateOpen = false;
  s.nextPoint = 100;
  s.completionPoint = 0;
  s.completionCallback = nullptr;
  s.callbackThread = std::thread::id();
  s.callbacks = 0;
  fillTable();
}

void QueueStatus(int ordinal, std::vector<std::int32_t> statuses) {
  std::lock_guard<std::mutex> lock(state().mutex);
  auto& queue = state().statuses[ordinal];
  queue.insert(queue.end(), statuses.begin(), statuses.end());
}

void SetReply(const std::string& text) {
  std::lock_guard<std::mutex> lock(state().mutex);
  state().reply = text;
}

void SetCompletion(Completion mode, std::uint8_t firstByte, bool gated) {
  std::lock_guard<std::mutex> lock(state().mutex);
  state().completion = mode;
  state().firstByte = firstByte;
  state().gated = gated;
}

void RemoveOrdinal(int ordinal) {
  std::lock_guard<std::mutex> lock(state().mutex);
  if (ordinal >= 0 && ordinal < kTableSize)
    g_functions[ordinal] = nullptr;
}

bool Deliver(std::uint8_t firstByte) {
  LcaPointCallback callback;
  std::int32_t point;
  {
    std::lock_guard<std::mutex> lock(state().mutex);
    callback = state().completionCallback;
    point = state().completionPoint;
  }
  if (!callback)
    return false;
  callBack(callback, point, firstByte);
  return true;
}

void OpenGate() {
  {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().gateOpen = true;
  }
  state().gateOpened.notify_all();
}

std::vector<Call> Calls() {
  std::lock_guard<std::mutex> lock(state().mutex);
  return state().calls;
}

std::vector<int> Ordinals() {
  std::vector<int> out;
  for (const Call& c : Calls())
    out.push_back(c.ordinal);
  return out;
}

std::thread::id CallbackThread() {
  std::lock_guard<std::mutex> lock(state().mutex);
  return state().callbackThread;
}

int CallbacksMade() {
  std::lock_guard<std::mutex> lock(state().mutex);
  return state().callbacks;
}

}  // namespace fake_lcadatsv

// This library exports the table itself.
extern "C" const LcaOrdinalTable LCADATSV_OrdinalTable = {fake_lcadatsv::kTableSize, fake_lcadatsv::g_functions};

const LcaOrdinalTable* fake_lcadatsv::Table() { return &LCADATSV_OrdinalTable; }
