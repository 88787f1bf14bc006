#pragma once
// The calling convention of the LCA data server library as the explicit
// message control uses it. The library exports its functions through an
// ordinal table (symbol LCADATSV_OrdinalTable): entry n of the table is the
// function with ordinal n, or null. The control loads the library with dlopen
// and calls by ordinal.
//
// Ordinals: 2 ResetDataServer, 17 OpenPoint, 18 ActivatePoint,
// 20 WritePoint, 21 ReadPoint, 23 SetPointAttribute.

#include <cstdint>

extern "C" {

// Called by the data server when a point's event completes, possibly on a
// thread of its own; data points to the event's bytes. Returns 1.
typedef int32_t (*LcaPointCallback)(int32_t pointHandle, int32_t eventCode, const uint8_t* data);

typedef int32_t (*LcaResetDataServer)(int32_t dataServer);
typedef int32_t (*LcaOpenPoint)(int32_t dataServer, int32_t kind, const char* deviceName, int32_t reserved,
                                int32_t messageCode, int32_t* pointHandle, LcaPointCallback callback,
                                int32_t reserved2);
typedef int32_t (*LcaActivatePoint)(int32_t dataServer, int32_t pointHandle, int32_t active);
typedef int32_t (*LcaSetPointAttribute)(int32_t dataServer, int32_t pointHandle, int32_t attribute,
                                        const int32_t* value);
typedef int32_t (*LcaWritePoint)(int32_t dataServer, int32_t pointHandle, int32_t byteCount, const char* text);
// byteCount holds the buffer size on entry. When the value does not fit, the
// call answers kLcaMoreData and sets byteCount to the size needed (with the
// terminating zero); nothing is written into the buffer then.
typedef int32_t (*LcaReadPoint)(int32_t dataServer, int32_t pointHandle, int32_t* byteCount, char* buffer,
                                int32_t reserved);

struct LcaOrdinalTable {
  int32_t count;           // number of entries in functions
  void* const* functions;  // indexed by ordinal
};

typedef const LcaOrdinalTable* (*LcaGetOrdinalTable)();

}  // extern "C"

namespace lca {

enum Ordinal : int32_t {
  kResetDataServer = 2,
  kOpenPoint = 17,
  kActivatePoint = 18,
  kWritePoint = 20,
  kReadPoint = 21,
  kSetPointAttribute = 23,
};

enum PointKind : int32_t { kReceivePoint = 0, kRequestPoint = 1, kResponsePoint = 3, kCompletionPoint = 4 };

enum Status : int32_t {
  kLcaOk = 0,
  kLcaFailed = 5,         // the data server cannot serve the point
  kLcaResetFirst = 6,     // the data server must be reset before points can be opened
  kLcaUnknownDevice = 7,  // no device of that name in the network
  kLcaBadHandle = 8,      // unknown data-server or point handle
  kLcaBadValue = 9,       // an argument out of range (kind, attribute, value, text, null pointer)
  kLcaNotActive = 10,     // the point has not been activated
  kLcaMoreData = 234,     // the buffer is too small; byteCount holds the size needed
};

constexpr int32_t kMessageAttribute = 60;

// Values of attribute 60 (the service a write on the point asks for).
enum MessageService : int32_t {
  kServiceNoResponse = 0,    // send; complete when sent; no response
  kServiceTransmit = 2,      // send; no completion, no response
  kServiceWithResponse = 3,  // send; the device's reply goes to the response points
};

// The event a callback reports (its second argument), and the first data byte
// of a completion: 0 when the message completed, 1 when it failed. 0xFF is
// never sent.
enum EventCode : int32_t { kEventCompletion = 1, kEventReceive = 2 };
constexpr uint8_t kCompletionSuccess = 0;
constexpr uint8_t kCompletionFailure = 1;
constexpr const char* kOrdinalTableSymbol = "LCADATSV_OrdinalTable";
constexpr const char* kLibraryName = "libLCADATSV.so";

}  // namespace lca
