#pragma once
// The devices behind the data server. The data server keeps points and moves
// messages; what a device is and what it answers comes from a DeviceEndpoint.
//
// Where the endpoint comes from: a test installs one directly
// (InstallEndpoint); otherwise the data server asks the factory that a device
// simulator linked into the library registered at load time, e.g.
//
//   static const lcadatsv::EndpointRegistration registration(
//       [] { return std::make_shared<MyEndpoint>(); });
//
// (the object file holding that line must be linked in whole: see
// CMakeLists.txt). Without any endpoint every OpenPoint and ResetDataServer
// answers kLcaFailed.
//
// Threads: checkDevice and reset are called on the caller of OpenPoint /
// ResetDataServer, one at a time; request on the data server's own thread,
// one at a time. A check may run while a request is under way: a message
// that takes long to deliver (a slow channel, a database held by another
// program) must not hold up the points of the next one.
// Exceptions thrown by an endpoint are taken as a data-server failure.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lcadatsv {

// What OpenPoint answers for a device, and ResetDataServer for a handle.
enum class DeviceStatus {
  Ok,
  ResetFirst,         // a fault asks for ResetDataServer before points open
  UnknownDevice,      // no device of that name under the data-server handle
  UnknownDataServer,  // the data-server handle names no system
  Failure,            // the data server cannot reach the network
};

// What a write on a point asks of the device (attribute 60 of the point).
enum class Service {
  WithResponse,  // the reply goes to the response points
  NoResponse,    // sent; completes without a reply
  Transmit,      // sent; neither a reply nor a completion
};

struct DeviceRequest {
  std::int32_t dataServer = 0;
  std::string deviceName;         // as the point was opened: "# 17"
  std::int32_t deviceHandle = 0;  // the handle the name carries: 17
  std::int32_t messageCode = 0;
  Service service = Service::WithResponse;
  std::string text;                // the body as written: "01 61 02 01"
  std::vector<std::uint8_t> data;  // the body's byte values: 1, 61, 2, 1
  // When the message was written: the time it spends on its way counts from here.
  std::chrono::steady_clock::time_point written{};
};

struct DeviceAnswer {
  enum class Kind {
    Reply,     // the device answered with data
    NoAnswer,  // the device stayed silent ("Message Timeout")
    Failure,   // the data server could not deliver the message
  };
  Kind kind = Kind::Failure;
  std::vector<std::uint8_t> data;

  static DeviceAnswer reply(std::vector<std::uint8_t> bytes) { return {Kind::Reply, std::move(bytes)}; }
  static DeviceAnswer noAnswer() { return {Kind::NoAnswer, {}}; }
  static DeviceAnswer failure() { return {Kind::Failure, {}}; }
};

class DeviceEndpoint {
 public:
  virtual ~DeviceEndpoint() = default;
  // Whether points may be opened on the device deviceHandle ("#" + handle as
  // deviceName) of the system behind dataServer.
  virtual DeviceStatus checkDevice(std::int32_t dataServer, const std::string& deviceName,
                                   std::int32_t deviceHandle) = 0;
  // ResetDataServer: clears the reset-first faults of the handle. Ok when
  // done, UnknownDataServer or Failure otherwise.
  virtual DeviceStatus reset(std::int32_t dataServer) = 0;
  // Delivers a message and answers what came back. Called for every service;
  // the reply of a NoResponse or Transmit message is dropped.
  virtual DeviceAnswer request(const DeviceRequest& request) = 0;
};

using EndpointFactory = std::function<std::shared_ptr<DeviceEndpoint>()>;

// Registers the factory the library's own data server uses when no endpoint
// is installed. The factory is called when an endpoint is first needed; if it
// answers null it is asked again the next time. A later registration replaces
// an earlier one.
void RegisterEndpointFactory(EndpointFactory factory);

struct EndpointRegistration {
  explicit EndpointRegistration(EndpointFactory factory) { RegisterEndpointFactory(std::move(factory)); }
};

// Puts an endpoint in place of the factory's (null goes back to the factory).
// For tests; calls already on their way may still reach the previous one.
void InstallEndpoint(std::shared_ptr<DeviceEndpoint> endpoint);

// The device handle in a data-server device name: "#" then the handle in
// decimal, non-negative ones after one blank ("# 17", "#-5"); "#17" is taken
// too. Nothing else before, between or after.
std::optional<std::int32_t> DeviceHandleOfName(std::string_view name);

}  // namespace lcadatsv
