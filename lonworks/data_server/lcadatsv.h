#pragma once
// The library's own data server: the one behind the exported ordinal table
// (LCADATSV_OrdinalTable, the table itself; see lcadatsv_abi.h). It keeps the
// 64 most recently opened points of each device and the 1024 most recent of
// the process, and takes its devices from the installed endpoint or else the
// registered factory (device_endpoint.h).

#include <cstddef>

namespace lcadatsv {

class DataServer;

DataServer& ProcessDataServer();
// Blocks until the messages written so far have been delivered and their
// callbacks have returned. Never call it from a callback.
void WaitIdle();
std::size_t PointCount();

}  // namespace lcadatsv
