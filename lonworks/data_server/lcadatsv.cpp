// The exported face of the data server library: the ordinal table the
// explicit message control resolves, and the endpoint registration.

#include "lcadatsv.h"

#include <mutex>

#include "explicit_control/lcadatsv_abi.h"
#include "lonworks/data_server/data_server.h"
#include "lonworks/data_server/device_endpoint.h"

namespace lcadatsv {

namespace {

struct EndpointSlot {
  std::mutex mutex;
  EndpointFactory factory;
  std::shared_ptr<DeviceEndpoint> installed;
  std::shared_ptr<DeviceEndpoint> made;  // what the factory answered
};

// Built on first use, so a registration object in another file of the library
// may use it during the library's initialisation; outlives the data server,
// which is built later.
EndpointSlot& slot() {
  static EndpointSlot s;
  return s;
}

std::shared_ptr<DeviceEndpoint> currentEndpoint() {
  EndpointSlot& s = slot();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.installed)
    return s.installed;
  if (!s.made && s.factory)
    s.made = s.factory();
  return s.made;
}

// The functions of the table. Nothing may escape them but a status.
template <typename Fn>
std::int32_t guarded(Fn fn) {
  try {
    return fn(ProcessDataServer());
  } catch (...) {
    return lca::kLcaFailed;
  }
}

std::int32_t ResetDataServerEntry(std::int32_t dataServer) {
  return guarded([&](DataServer& ds) { return ds.ResetDataServer(dataServer); });
}

std::int32_t OpenPointEntry(std::int32_t dataServer, std::int32_t kind, const char* deviceName, std::int32_t,
                            std::int32_t messageCode, std::int32_t* pointHandle, LcaPointCallback callback,
                            std::int32_t) {
  return guarded(
      [&](DataServer& ds) { return ds.OpenPoint(dataServer, kind, deviceName, messageCode, pointHandle, callback); });
}

std::int32_t ActivatePointEntry(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t active) {
  return guarded([&](DataServer& ds) { return ds.ActivatePoint(dataServer, pointHandle, active); });
}

std::int32_t SetPointAttributeEntry(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t attribute,
                                    const std::int32_t* value) {
  return guarded([&](DataServer& ds) { return ds.SetPointAttribute(dataServer, pointHandle, attribute, value); });
}

std::int32_t WritePointEntry(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t byteCount,
                             const char* text) {
  return guarded([&](DataServer& ds) { return ds.WritePoint(dataServer, pointHandle, byteCount, text); });
}

std::int32_t ReadPointEntry(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t* byteCount, char* buffer,
                            std::int32_t) {
  return guarded([&](DataServer& ds) { return ds.ReadPoint(dataServer, pointHandle, byteCount, buffer); });
}

// Typed as the calling convention names them, so a changed signature does
// not compile.
constexpr LcaResetDataServer kReset = &ResetDataServerEntry;
constexpr LcaOpenPoint kOpen = &OpenPointEntry;
constexpr LcaActivatePoint kActivate = &ActivatePointEntry;
constexpr LcaSetPointAttribute kSetAttribute = &SetPointAttributeEntry;
constexpr LcaWritePoint kWrite = &WritePointEntry;
constexpr LcaReadPoint kRead = &ReadPointEntry;

constexpr std::int32_t kTableSize = lca::kSetPointAttribute + 1;

void* const g_functions[kTableSize] = {
    nullptr,
    nullptr,
    reinterpret_cast<void*>(kReset),  // 0..2
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 3..9
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 10..16
    reinterpret_cast<void*>(kOpen),
    reinterpret_cast<void*>(kActivate),  // 17, 18
    nullptr,                             // 19
    reinterpret_cast<void*>(kWrite),
    reinterpret_cast<void*>(kRead),          // 20, 21
    nullptr,                                 // 22
    reinterpret_cast<void*>(kSetAttribute),  // 23
};

}  // namespace

void RegisterEndpointFactory(EndpointFactory factory) {
  EndpointSlot& s = slot();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.factory = std::move(factory);
  s.made.reset();
}

void InstallEndpoint(std::shared_ptr<DeviceEndpoint> endpoint) {
  EndpointSlot& s = slot();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.installed = std::move(endpoint);
}

DataServer& ProcessDataServer() {
  // The slot is built first so that it is destroyed last: the data server's
  // thread may ask it for the endpoint until the data server is gone.
  static DataServer server((slot(), &currentEndpoint));
  return server;
}

void WaitIdle() { ProcessDataServer().WaitIdle(); }

std::size_t PointCount() { return ProcessDataServer().pointCount(); }

}  // namespace lcadatsv

// The table the control resolves by dlsym: exported as data, entry n being
// the function with ordinal n.
extern "C" const LcaOrdinalTable LCADATSV_OrdinalTable = {lcadatsv::kTableSize, lcadatsv::g_functions};
