#pragma once
// The data server: points on the devices of LonWorks systems, and the thread
// that delivers messages to the devices and reports their completion.
//
// Points. OpenPoint makes a point of one of four kinds on a device ("#" +
// device handle) for a message code (-1 for any): receive, request, response,
// completion. A point serves only after ActivatePoint. Attribute 60 of a
// point chooses what a write on it does:
//   3  on a request point: the body goes to the device; its reply is left in
//      every active response point of the same data-server handle, device and
//      code as tab-separated decimal byte values, or "Message Timeout" when
//      the device stays silent; then the callbacks of the device's active
//      completion points for that code are called with first byte 0 (1 when
//      the data server could not deliver the message, and none at all for a
//      silent device, whose caller waits out its own bound).
//   0  on a request point (also when never set): sent, then completed like 3
//      but without a reply.
//   2  on a request or completion point: sent; no completion, no reply.
// The text written is the message body: decimal byte values separated by
// blanks ("01 61 02 01"); any other text is refused with kLcaBadValue before
// anything is sent. Writes return at once; the device is asked, and
// callbacks are called, on the data server's own thread.
//
// A completion calls each callback function once, on the most recently opened
// of the matching points that were handed it. A user that never closes its
// points (and opens a fresh completion point for every message) would
// otherwise hear one completion as a burst of calls, the last of which could
// arrive after it has started its next message and end that wait too early.
//
// A response point read while its message is still under way reports
// "Message Timeout" and the message is given up: a reply that comes later is
// dropped and calls no callback, so it cannot end the wait of a later message.
// A response point whose message failed answers kLcaFailed on reading.
//
// Points are never closed by their users. The data server keeps the most
// recently opened points of each device (deviceLimit per data-server handle
// and device) and of the whole process (pointLimit), and reclaims the oldest
// beyond either bound; a reclaimed handle answers kLcaBadHandle. The bound
// per device keeps a busy device from pushing out the points that another
// device's user is about to use.
//
// Receive points are kept but nothing is ever delivered to them: the devices
// send nothing unasked.
//
// Every member may be called from any thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

#include "explicit_control/lcadatsv_abi.h"
#include "lonworks/data_server/device_endpoint.h"

namespace lcadatsv {

class DataServer {
 public:
  // Answers the endpoint to use now; null when there is none.
  using EndpointSource = std::function<std::shared_ptr<DeviceEndpoint>()>;

  static constexpr std::size_t kDefaultPointLimit = 1024;
  static constexpr std::size_t kDefaultDeviceLimit = 64;
  // Longest body text a write accepts (with its terminating zero).
  static constexpr std::int32_t kMaxWriteBytes = 64 * 1024;

  explicit DataServer(EndpointSource endpoints, std::size_t pointLimit = kDefaultPointLimit,
                      std::size_t deviceLimit = kDefaultDeviceLimit);
  // Drops messages not yet delivered and waits for the one under way; calls
  // no callback after it has begun.
  ~DataServer();
  DataServer(const DataServer&) = delete;
  DataServer& operator=(const DataServer&) = delete;

  // The functions of the ordinal table, with their statuses (lca::Status).
  std::int32_t ResetDataServer(std::int32_t dataServer);
  std::int32_t OpenPoint(std::int32_t dataServer, std::int32_t kind, const char* deviceName, std::int32_t messageCode,
                         std::int32_t* pointHandle, LcaPointCallback callback);
  std::int32_t ActivatePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t active);
  std::int32_t SetPointAttribute(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t attribute,
                                 const std::int32_t* value);
  std::int32_t WritePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t byteCount, const char* text);
  std::int32_t ReadPoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t* byteCount, char* buffer);

  // Blocks until every message written so far has been delivered and its
  // callbacks have returned.
  void WaitIdle();
  std::size_t pointCount() const;
  // The points kept on one device.
  std::size_t pointCount(std::int32_t dataServer, std::int32_t deviceHandle) const;

 private:
  // One message written with a response wanted, shared by the response
  // points it answers.
  struct Message {
    enum class State { UnderWay, Replied, Silent, Failed, GivenUp };
    State state = State::UnderWay;
    std::string reply;  // Replied: the reply text
  };
  struct Point {
    std::int32_t dataServer = 0;
    std::int32_t kind = 0;
    std::string deviceName;
    std::int32_t deviceHandle = 0;
    std::int32_t messageCode = 0;  // -1: any
    LcaPointCallback callback = nullptr;
    bool active = false;
    std::int32_t service = lca::kServiceNoResponse;  // attribute 60
    std::shared_ptr<Message> message;                // response points: the latest message
    std::uint64_t serial = 0;                        // order of opening
  };
  struct Job {
    DeviceRequest request;
    std::shared_ptr<Message> message;  // WithResponse only
  };
  using DeviceKey = std::pair<std::int32_t, std::int32_t>;  // data-server handle, device handle
  struct Notice {
    LcaPointCallback callback;
    std::int32_t point;
    std::uint8_t firstByte;
  };

  std::shared_ptr<DeviceEndpoint> endpoint();
  DeviceStatus checkDevice(DeviceEndpoint& endpoint, std::int32_t dataServer, const std::string& name,
                           std::int32_t handle);
  // The point of that handle when it belongs to dataServer; null otherwise.
  Point* findLocked(std::int32_t dataServer, std::int32_t pointHandle);
  std::int32_t nextHandleLocked();
  void reclaimLocked(const DeviceKey& device);
  void eraseLocked(std::int32_t handle);
  // Calls fn(handle, point) for the device's points, oldest first.
  template <typename Fn>
  void forEachPointLocked(const DeviceKey& device, Fn fn);
  void run();
  void deliver(Job& job);

  EndpointSource endpoints_;
  const std::size_t pointLimit_;
  const std::size_t deviceLimit_;

  // Calls into the endpoint: checks and resets one at a time, deliveries one
  // at a time, a check never waiting for a delivery (device_endpoint.h).
  std::mutex checkMutex_;
  std::mutex deliveryMutex_;

  mutable std::mutex mutex_;  // everything below
  std::unordered_map<std::int32_t, Point> points_;
  std::map<std::uint64_t, std::int32_t> openOrder_;        // serial -> handle, oldest first
  std::map<DeviceKey, std::deque<std::int32_t>> devices_;  // each device's handles, oldest first
  std::int32_t lastHandle_ = 0;
  std::uint64_t lastSerial_ = 0;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stopping_ = false;
  std::condition_variable workReady_;
  std::condition_variable idle_;
  std::thread worker_;  // started with the first message
};

}  // namespace lcadatsv
