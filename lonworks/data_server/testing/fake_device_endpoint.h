#pragma once
// A scriptable set of devices for the data server's tests and benchmarks.
// Data-server handles and devices exist once added; every device answers its
// reply unless a fault says otherwise. Every request is recorded with the
// thread it arrived on.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "lonworks/data_server/device_endpoint.h"

namespace lcadatsv_testing {

class FakeDeviceEndpoint : public lcadatsv::DeviceEndpoint {
 public:
  enum class Fault {
    None,
    Silent,       // requests get no answer
    Failure,      // requests fail to be delivered
    OpenFailure,  // points cannot be opened on the device
  };

  struct Received {
    lcadatsv::DeviceRequest request;
    std::thread::id thread;
  };

  void addDataServer(std::int32_t dataServer);
  // Adds the data-server handle too.
  void addDevice(std::int32_t dataServer, std::int32_t device, std::vector<std::uint8_t> reply = {0, 1, 2});
  void setReply(std::int32_t dataServer, std::int32_t device, std::vector<std::uint8_t> reply);
  void setFault(std::int32_t dataServer, std::int32_t device, Fault fault);
  // Opening a point on the device answers ResetFirst until the handle is reset.
  void requireReset(std::int32_t dataServer, std::int32_t device);
  // Whether a reset of the handle answers Failure.
  void setResetFails(std::int32_t dataServer, bool fails);

  // Requests wait inside the endpoint until release().
  void hold();
  void release();
  // Blocks until at least n requests have arrived (held ones included).
  void waitForRequests(std::size_t n);

  std::vector<Received> requests() const;
  int resets(std::int32_t dataServer) const;
  int checks() const;

  lcadatsv::DeviceStatus checkDevice(std::int32_t dataServer, const std::string& deviceName,
                                     std::int32_t deviceHandle) override;
  lcadatsv::DeviceStatus reset(std::int32_t dataServer) override;
  lcadatsv::DeviceAnswer request(const lcadatsv::DeviceRequest& request) override;

 private:
  struct Device {
    std::vector<std::uint8_t> reply;
    Fault fault = Fault::None;
    bool resetPending = false;
  };
  using Key = std::pair<std::int32_t, std::int32_t>;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::int32_t> dataServers_;
  std::set<std::int32_t> failingResets_;
  std::map<Key, Device> devices_;
  std::map<std::int32_t, int> resets_;
  std::vector<Received> requests_;
  int checks_ = 0;
  bool held_ = false;
};

}  // namespace lcadatsv_testing
