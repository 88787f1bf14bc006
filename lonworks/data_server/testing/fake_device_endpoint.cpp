#include "fake_device_endpoint.h"

namespace lcadatsv_testing {

using lcadatsv::DeviceAnswer;
using lcadatsv::DeviceStatus;

void FakeDeviceEndpoint::addDataServer(std::int32_t dataServer) {
  std::lock_guard<std::mutex> lock(mutex_);
  dataServers_.insert(dataServer);
}

void FakeDeviceEndpoint::addDevice(std::int32_t dataServer, std::int32_t device, std::vector<std::uint8_t> reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  dataServers_.insert(dataServer);
  devices_[{dataServer, device}].reply = std::move(reply);
}

void FakeDeviceEndpoint::setReply(std::int32_t dataServer, std::int32_t device, std::vector<std::uint8_t> reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_[{dataServer, device}].reply = std::move(reply);
}

void FakeDeviceEndpoint::setFault(std::int32_t dataServer, std::int32_t device, Fault fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_[{dataServer, device}].fault = fault;
}

void FakeDeviceEndpoint::requireReset(std::int32_t dataServer, std::int32_t device) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_[{dataServer, device}].resetPending = true;
}

void FakeDeviceEndpoint::setResetFails(std::int32_t dataServer, bool fails) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fails)
    failingResets_.insert(dataServer);
  else
    failingResets_.erase(dataServer);
}

void FakeDeviceEndpoint::hold() {
  std::lock_guard<std::mutex> lock(mutex_);
  held_ = true;
}

void FakeDeviceEndpoint::release() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
  }
  changed_.notify_all();
}

void FakeDeviceEndpoint::waitForRequests(std::size_t n) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return requests_.size() >= n; });
}

std::vector<FakeDeviceEndpoint::Received> FakeDeviceEndpoint::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int FakeDeviceEndpoint::resets(std::int32_t dataServer) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = resets_.find(dataServer);
  return it == resets_.end() ? 0 : it->second;
}

int FakeDeviceEndpoint::checks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return checks_;
}

DeviceStatus FakeDeviceEndpoint::checkDevice(std::int32_t dataServer, const std::string&, std::int32_t deviceHandle) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++checks_;
  if (!dataServers_.count(dataServer))
    return DeviceStatus::UnknownDataServer;
  const auto it = devices_.find({dataServer, deviceHandle});
  if (it == devices_.end())
    return DeviceStatus::UnknownDevice;
  if (it->second.resetPending)
    return DeviceStatus::ResetFirst;
  if (it->second.fault == Fault::OpenFailure)
    return DeviceStatus::Failure;
  return DeviceStatus::Ok;
}

DeviceStatus FakeDeviceEndpoint::reset(std::int32_t dataServer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!dataServers_.count(dataServer))
    return DeviceStatus::UnknownDataServer;
  ++resets_[dataServer];
  if (failingResets_.count(dataServer))
    return DeviceStatus::Failure;
  for (auto& [key, device] : devices_) {
    if (key.first == dataServer)
      device.resetPending = false;
  }
  return DeviceStatus::Ok;
}

DeviceAnswer FakeDeviceEndpoint::request(const lcadatsv::DeviceRequest& request) {
  std::unique_lock<std::mutex> lock(mutex_);
  requests_.push_back({request, std::this_thread::get_id()});
  changed_.notify_all();
  changed_.wait(lock, [&] { return !held_; });
  const auto it = devices_.find({request.dataServer, request.deviceHandle});
  if (it == devices_.end())
    return DeviceAnswer::failure();
  switch (it->second.fault) {
    case Fault::Silent: return DeviceAnswer::noAnswer();
    case Fault::Failure:
    case Fault::OpenFailure: return DeviceAnswer::failure();
    case Fault::None: break;
  }
  return DeviceAnswer::reply(it->second.reply);
}

}  // namespace lcadatsv_testing
