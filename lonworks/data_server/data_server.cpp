#include "data_server.h"

#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "lonworks/data_server/message_text.h"

namespace lcadatsv {

namespace {

// Longer names are no device's name; reading further would only risk running
// off a buffer that lacks its terminating zero.
constexpr std::size_t kMaxDeviceName = 255;

std::int32_t statusOf(DeviceStatus status) {
  switch (status) {
    case DeviceStatus::Ok: return lca::kLcaOk;
    case DeviceStatus::ResetFirst: return lca::kLcaResetFirst;
    case DeviceStatus::UnknownDevice: return lca::kLcaUnknownDevice;
    case DeviceStatus::UnknownDataServer: return lca::kLcaBadHandle;
    case DeviceStatus::Failure: break;
  }
  return lca::kLcaFailed;
}

bool validKind(std::int32_t kind) {
  return kind == lca::kReceivePoint || kind == lca::kRequestPoint || kind == lca::kResponsePoint ||
         kind == lca::kCompletionPoint;
}

bool validService(std::int32_t value) {
  return value == lca::kServiceNoResponse || value == lca::kServiceTransmit || value == lca::kServiceWithResponse;
}

}  // namespace

DataServer::DataServer(EndpointSource endpoints, std::size_t pointLimit, std::size_t deviceLimit)
    : endpoints_(std::move(endpoints)),
      pointLimit_(pointLimit ? pointLimit : 1),
      deviceLimit_(deviceLimit ? deviceLimit : 1) {}

DataServer::~DataServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  workReady_.notify_all();
  idle_.notify_all();
  if (worker_.joinable())
    worker_.join();
}

std::shared_ptr<DeviceEndpoint> DataServer::endpoint() {
  if (!endpoints_)
    return nullptr;
  try {
    return endpoints_();
  } catch (...) {
    return nullptr;
  }
}

DeviceStatus DataServer::checkDevice(DeviceEndpoint& endpoint, std::int32_t dataServer, const std::string& name,
                                     std::int32_t handle) {
  std::lock_guard<std::mutex> lock(checkMutex_);
  try {
    return endpoint.checkDevice(dataServer, name, handle);
  } catch (...) {
    return DeviceStatus::Failure;
  }
}

std::int32_t DataServer::ResetDataServer(std::int32_t dataServer) {
  const std::shared_ptr<DeviceEndpoint> ep = endpoint();
  if (!ep)
    return lca::kLcaFailed;
  std::lock_guard<std::mutex> lock(checkMutex_);
  try {
    const DeviceStatus status = ep->reset(dataServer);
    // Only these two mean something for a reset.
    return status == DeviceStatus::Ok || status == DeviceStatus::UnknownDataServer ? statusOf(status) : lca::kLcaFailed;
  } catch (...) {
    return lca::kLcaFailed;
  }
}

std::int32_t DataServer::OpenPoint(std::int32_t dataServer, std::int32_t kind, const char* deviceName,
                                   std::int32_t messageCode, std::int32_t* pointHandle, LcaPointCallback callback) {
  if (!pointHandle || !validKind(kind) || messageCode < -1)
    return lca::kLcaBadValue;
  const std::shared_ptr<DeviceEndpoint> ep = endpoint();
  if (!ep)
    return lca::kLcaFailed;
  if (!deviceName)
    return lca::kLcaUnknownDevice;
  const std::size_t length = strnlen(deviceName, kMaxDeviceName + 1);
  if (length > kMaxDeviceName)
    return lca::kLcaUnknownDevice;
  std::string name(deviceName, length);
  const std::optional<std::int32_t> device = DeviceHandleOfName(name);
  if (!device)
    return lca::kLcaUnknownDevice;

  const std::int32_t status = statusOf(checkDevice(*ep, dataServer, name, *device));
  if (status != lca::kLcaOk)
    return status;

  std::lock_guard<std::mutex> lock(mutex_);
  const std::int32_t handle = nextHandleLocked();
  Point& point = points_[handle];
  point.dataServer = dataServer;
  point.kind = kind;
  point.deviceName = std::move(name);
  point.deviceHandle = *device;
  point.messageCode = messageCode;
  point.callback = callback;
  point.serial = ++lastSerial_;
  openOrder_.emplace(point.serial, handle);
  const DeviceKey key(dataServer, *device);
  devices_[key].push_back(handle);
  reclaimLocked(key);
  *pointHandle = handle;
  return lca::kLcaOk;
}

std::int32_t DataServer::nextHandleLocked() {
  // Handles count up from 1 and are not given out again while the point
  // lives; after the largest one they start over.
  do {
    lastHandle_ = lastHandle_ == std::numeric_limits<std::int32_t>::max() ? 1 : lastHandle_ + 1;
  } while (points_.count(lastHandle_));
  return lastHandle_;
}

void DataServer::reclaimLocked(const DeviceKey& device) {
  if (const auto it = devices_.find(device); it != devices_.end()) {
    while (it->second.size() > deviceLimit_)
      eraseLocked(it->second.front());
  }
  while (points_.size() > pointLimit_ && !openOrder_.empty())
    eraseLocked(openOrder_.begin()->second);
}

void DataServer::eraseLocked(std::int32_t handle) {
  const auto point = points_.find(handle);
  if (point == points_.end())
    return;
  openOrder_.erase(point->second.serial);
  const auto device = devices_.find({point->second.dataServer, point->second.deviceHandle});
  if (device != devices_.end()) {
    // The oldest point overall is also the oldest of its device: the handle
    // is at the front.
    std::deque<std::int32_t>& handles = device->second;
    for (auto it = handles.begin(); it != handles.end(); ++it) {
      if (*it == handle) {
        handles.erase(it);
        break;
      }
    }
    if (handles.empty())
      devices_.erase(device);
  }
  points_.erase(point);
}

template <typename Fn>
void DataServer::forEachPointLocked(const DeviceKey& device, Fn fn) {
  const auto it = devices_.find(device);
  if (it == devices_.end())
    return;
  for (std::int32_t handle : it->second)
    fn(handle, points_.at(handle));
}

DataServer::Point* DataServer::findLocked(std::int32_t dataServer, std::int32_t pointHandle) {
  const auto it = points_.find(pointHandle);
  if (it == points_.end() || it->second.dataServer != dataServer)
    return nullptr;
  return &it->second;
}

std::int32_t DataServer::ActivatePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t active) {
  std::lock_guard<std::mutex> lock(mutex_);
  Point* point = findLocked(dataServer, pointHandle);
  if (!point)
    return lca::kLcaBadHandle;
  point->active = active != 0;
  return lca::kLcaOk;
}

std::int32_t DataServer::SetPointAttribute(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t attribute,
                                           const std::int32_t* value) {
  std::lock_guard<std::mutex> lock(mutex_);
  Point* point = findLocked(dataServer, pointHandle);
  if (!point)
    return lca::kLcaBadHandle;
  if (attribute != lca::kMessageAttribute || !value || !validService(*value))
    return lca::kLcaBadValue;
  point->service = *value;
  return lca::kLcaOk;
}

std::int32_t DataServer::WritePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t byteCount,
                                    const char* text) {
  if (!text || byteCount <= 0 || byteCount > kMaxWriteBytes)
    return lca::kLcaBadValue;
  // The text ends at its zero byte, or after byteCount bytes without one.
  const std::string_view body(text, strnlen(text, static_cast<std::size_t>(byteCount)));
  std::optional<std::vector<std::uint8_t>> data = ParseRequestText(body);

  std::unique_lock<std::mutex> lock(mutex_);
  Point* point = findLocked(dataServer, pointHandle);
  if (!point)
    return lca::kLcaBadHandle;
  if (!point->active)
    return lca::kLcaNotActive;
  Service service;
  if (point->service == lca::kServiceTransmit &&
      (point->kind == lca::kRequestPoint || point->kind == lca::kCompletionPoint))
    service = Service::Transmit;
  else if (point->kind != lca::kRequestPoint)
    return lca::kLcaFailed;  // nothing to send from here
  else
    service = point->service == lca::kServiceWithResponse ? Service::WithResponse : Service::NoResponse;
  if (point->messageCode < 0 || !data)
    return lca::kLcaBadValue;

  Job job;
  job.request.dataServer = dataServer;
  job.request.deviceName = point->deviceName;
  job.request.deviceHandle = point->deviceHandle;
  job.request.messageCode = point->messageCode;
  job.request.service = service;
  job.request.text = std::string(body);
  job.request.data = std::move(*data);
  job.request.written = std::chrono::steady_clock::now();
  if (service == Service::WithResponse) {
    // The response points answer for this message from now on: reading one
    // before the reply is in reports the time-out.
    job.message = std::make_shared<Message>();
    forEachPointLocked({dataServer, job.request.deviceHandle}, [&](std::int32_t, Point& p) {
      if (p.kind == lca::kResponsePoint && p.active &&
          (p.messageCode == -1 || p.messageCode == job.request.messageCode))
        p.message = job.message;
    });
  }
  jobs_.push_back(std::move(job));
  if (!worker_.joinable())
    worker_ = std::thread([this] { run(); });
  lock.unlock();
  workReady_.notify_one();
  return lca::kLcaOk;
}

std::int32_t DataServer::ReadPoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t* byteCount,
                                   char* buffer) {
  if (!byteCount || !buffer)
    return lca::kLcaBadValue;
  std::lock_guard<std::mutex> lock(mutex_);
  Point* point = findLocked(dataServer, pointHandle);
  if (!point)
    return lca::kLcaBadHandle;
  std::string_view value;
  if (point->kind == lca::kResponsePoint) {
    if (Message* message = point->message.get()) {
      switch (message->state) {
        case Message::State::UnderWay:
          // Whoever reads now has stopped waiting: report the time-out and
          // drop the reply should it still come.
          message->state = Message::State::GivenUp;
          value = kMessageTimeout;
          break;
        case Message::State::Replied: value = message->reply; break;
        case Message::State::Silent:
        case Message::State::GivenUp: value = kMessageTimeout; break;
        case Message::State::Failed: return lca::kLcaFailed;
      }
    }
  } else if (point->kind != lca::kReceivePoint) {
    return lca::kLcaFailed;  // nothing to read here
  }
  // A receive point holds nothing: nothing is ever delivered to it.
  const std::int64_t needed = static_cast<std::int64_t>(value.size()) + 1;
  if (needed > std::numeric_limits<std::int32_t>::max())
    return lca::kLcaFailed;
  if (*byteCount < needed) {
    *byteCount = static_cast<std::int32_t>(needed);
    return lca::kLcaMoreData;
  }
  if (!value.empty())
    std::memcpy(buffer, value.data(), value.size());
  buffer[value.size()] = '\0';
  *byteCount = static_cast<std::int32_t>(needed);
  return lca::kLcaOk;
}

void DataServer::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return stopping_ || (jobs_.empty() && !busy_); });
}

std::size_t DataServer::pointCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return points_.size();
}

std::size_t DataServer::pointCount(std::int32_t dataServer, std::int32_t deviceHandle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = devices_.find({dataServer, deviceHandle});
  return it == devices_.end() ? 0 : it->second.size();
}

void DataServer::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    workReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (stopping_)
      break;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    deliver(job);
    lock.lock();
    busy_ = false;
    if (jobs_.empty())
      idle_.notify_all();
  }
  busy_ = false;
  idle_.notify_all();
}

void DataServer::deliver(Job& job) {
  DeviceAnswer answer = DeviceAnswer::failure();
  if (const std::shared_ptr<DeviceEndpoint> ep = endpoint()) {
    std::lock_guard<std::mutex> lock(deliveryMutex_);
    try {
      answer = ep->request(job.request);
    } catch (...) {
      answer = DeviceAnswer::failure();
    }
  }

  std::vector<Notice> notices;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_)
      return;
    std::optional<std::uint8_t> firstByte;
    switch (job.request.service) {
      case Service::WithResponse: {
        Message& message = *job.message;
        if (message.state != Message::State::UnderWay)
          return;  // given up by a reader; the reply is too late
        switch (answer.kind) {
          case DeviceAnswer::Kind::Reply:
            message.state = Message::State::Replied;
            message.reply = FormatReplyText(answer.data);
            firstByte = lca::kCompletionSuccess;
            break;
          case DeviceAnswer::Kind::NoAnswer:
            // No completion: the caller waits out its bound and then reads
            // the time-out, as with a real silent device.
            message.state = Message::State::Silent;
            break;
          case DeviceAnswer::Kind::Failure:
            message.state = Message::State::Failed;
            firstByte = lca::kCompletionFailure;
            break;
        }
        break;
      }
      case Service::NoResponse:
        // Complete once sent; a silent device was not asked for anything.
        firstByte = answer.kind == DeviceAnswer::Kind::Failure ? lca::kCompletionFailure : lca::kCompletionSuccess;
        break;
      case Service::Transmit: break;
    }
    if (!firstByte)
      return;
    // One call per callback function, on its newest matching point.
    std::unordered_map<LcaPointCallback, std::int32_t> newest;
    forEachPointLocked({job.request.dataServer, job.request.deviceHandle}, [&](std::int32_t handle, Point& p) {
      if (p.kind == lca::kCompletionPoint && p.active && p.callback &&
          (p.messageCode == -1 || p.messageCode == job.request.messageCode))
        newest[p.callback] = handle;  // oldest first: the last one wins
    });
    for (const auto& [callback, point] : newest)
      notices.push_back({callback, point, *firstByte});
  }
  // Outside the lock: a callback may call the data server again.
  for (const Notice& notice : notices) {
    const std::uint8_t data[1] = {notice.firstByte};
    try {
      notice.callback(notice.point, lca::kEventCompletion, data);
    } catch (...) {
    }
  }
}

}  // namespace lcadatsv
