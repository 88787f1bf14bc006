#include "rlx_endpoint.h"

namespace ring_testing {

using lcadatsv::DeviceAnswer;
using lcadatsv::DeviceStatus;
using Bytes = std::vector<std::uint8_t>;

NeuronId NeuronIdFromText(const QString& text) {
  NeuronId id{};
  if (text.size() != 12)
    return id;
  for (std::size_t k = 0; k < id.size(); ++k) {
    bool ok = false;
    const uint byte = text.mid(qsizetype(2 * k), 2).toUInt(&ok, 16);
    if (!ok)
      return NeuronId{};
    id[k] = std::uint8_t(byte);
  }
  return id;
}

QString NeuronIdToText(const NeuronId& id) {
  QString text;
  for (std::uint8_t byte : id)
    text += QStringLiteral("%1").arg(uint(byte), 2, 16, QChar(u'0')).toUpper();
  return text;
}

namespace {

// A ring status reply: three values of no meaning, value 3 unused, the unit
// ID, the Neuron ID, then fall-back unit, in ring mode, test running, ring
// closed and the two counters.
Bytes statusReply(std::uint8_t unitId, const NeuronId& id, std::array<std::uint8_t, 6> rest) {
  Bytes reply;
  reply.reserve(17);
  for (std::uint8_t v : {std::uint8_t(1), std::uint8_t(55), std::uint8_t(0), std::uint8_t(0), unitId})
    reply.push_back(v);
  for (std::uint8_t v : id)
    reply.push_back(v);
  for (std::uint8_t v : rest)
    reply.push_back(v);
  return reply;
}

}  // namespace

void RlxEndpoint::addDevice(std::int32_t dataServer, std::int32_t handle, RlxState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_[{dataServer, handle}] = Device{std::move(state), {}, 0, 1};
}

void RlxEndpoint::setState(std::int32_t dataServer, std::int32_t handle, RlxState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_[{dataServer, handle}].state = std::move(state);
}

RlxState RlxEndpoint::state(std::int32_t dataServer, std::int32_t handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = devices_.find({dataServer, handle});
  return it == devices_.end() ? RlxState{} : it->second.state;
}

void RlxEndpoint::setFault(std::int32_t dataServer, std::int32_t handle, Fault fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_[{dataServer, handle}].state.fault = fault;
}

void RlxEndpoint::setRing(std::int32_t dataServer, RingLayout ring) {
  std::lock_guard<std::mutex> lock(mutex_);
  rings_[dataServer] = std::move(ring);
}

std::vector<std::string> RlxEndpoint::requests(std::int32_t dataServer, std::int32_t handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = devices_.find({dataServer, handle});
  return it == devices_.end() ? std::vector<std::string>{} : it->second.received;
}

int RlxEndpoint::requestCount(std::int32_t dataServer, std::int32_t handle, const std::string& body) const {
  int n = 0;
  for (const std::string& r : requests(dataServer, handle))
    n += r == body ? 1 : 0;
  return n;
}

void RlxEndpoint::clearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [key, device] : devices_)
    device.received.clear();
}

DeviceStatus RlxEndpoint::checkDevice(std::int32_t dataServer, const std::string&, std::int32_t deviceHandle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (devices_.count({dataServer, deviceHandle}))
    return DeviceStatus::Ok;
  for (const auto& [key, device] : devices_)
    if (key.first == dataServer)
      return DeviceStatus::UnknownDevice;
  return DeviceStatus::UnknownDataServer;
}

DeviceStatus RlxEndpoint::reset(std::int32_t) { return DeviceStatus::Ok; }

std::vector<std::uint8_t> RlxEndpoint::ringStatus(std::int32_t dataServer, Device& device, int step) {
  const RingLayout& ring = rings_[dataServer];
  const int n = int(ring.members.size());
  int self = -1;
  for (int j = 0; j < n && self < 0; ++j)
    if (ring.members[std::size_t(j)].neuronId == device.state.neuronId)
      self = j;

  auto entry = [&](int j, bool running) {
    const RingMember& m = ring.members[std::size_t(j)];
    std::uint8_t countA = 0;
    std::uint8_t countB = 0;
    if (ring.openAfter >= 0 && ring.counters) {
      const int b = ring.openAfter;
      countA = std::uint8_t((((j - (b + 1)) % n) + n) % n + 1);
      countB = std::uint8_t((((b - j) % n) + n) % n + 1);
    }
    return statusReply(m.unitId, m.neuronId,
                       {ring.fallbackUnit, std::uint8_t(m.inRingMode), std::uint8_t(running),
                        std::uint8_t(ring.openAfter < 0), countA, countB});
  };

  switch (step) {
    case 3:
      device.pollsLeft = ring.runningPolls;
      device.next = 1;
      return {1, 55, 0};
    case 4: {
      device.next = 1;
      if (self < 0) {
        // Not a member: the device reports itself out of ring mode.
        return statusReply(device.state.unitId, device.state.neuronId, {0, 0, 0, 0, 0, 0});
      }
      const bool running = device.pollsLeft > 0;
      if (running)
        --device.pollsLeft;
      return entry(self, running);
    }
    case 5:
      if (self >= 0 && device.next < n)
        return entry((self + device.next++) % n, false);
      return {1, 55, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    default: return {1, 55, 0};
  }
}

DeviceAnswer RlxEndpoint::request(const lcadatsv::DeviceRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = devices_.find({request.dataServer, request.deviceHandle});
  if (it == devices_.end())
    return DeviceAnswer::failure();
  Device& device = it->second;
  device.received.push_back(request.text);
  if (device.state.fault == Fault::Silent)
    return DeviceAnswer::noAnswer();
  if (device.state.fault == Fault::Failure)
    return DeviceAnswer::failure();

  const Bytes& d = request.data;
  auto at = [&d](std::size_t k) -> std::uint8_t { return k < d.size() ? d[k] : 0; };
  const std::uint8_t command = at(1);
  RlxState& s = device.state;
  switch (command) {
    case 55: return DeviceAnswer::reply(ringStatus(request.dataServer, device, at(3)));
    case 72:
      if (!s.hasRingMode)
        return DeviceAnswer::reply({2});
      if (at(3) == 1 && d.size() >= 10) {
        s.ringEnabled = at(4) == 1;
        s.unitId = at(5);
        s.propagationDelay = std::uint16_t(at(6) * 256 + at(7));
        s.testInterval = std::uint16_t(at(8) * 256 + at(9));
        return DeviceAnswer::reply({1, 72, 0});
      }
      return DeviceAnswer::reply({1, 72, 0, 0, std::uint8_t(s.ringEnabled ? 1 : 0), s.unitId,
                                  std::uint8_t(s.propagationDelay >> 8), std::uint8_t(s.propagationDelay & 0xFF),
                                  std::uint8_t(s.testInterval >> 8), std::uint8_t(s.testInterval & 0xFF)});
    case 61: {
      std::vector<std::uint8_t>& stats = s.statistics[at(2)];
      if (at(3) == 1) {
        std::fill(stats.begin(), stats.end(), std::uint8_t(0));
        return DeviceAnswer::reply({1, 61, at(2)});
      }
      Bytes reply;
      reply.reserve(3 + stats.size());
      for (std::uint8_t v : {std::uint8_t(1), std::uint8_t(61), at(2)})
        reply.push_back(v);
      for (std::uint8_t v : stats)
        reply.push_back(v);
      return DeviceAnswer::reply(reply);
    }
    default: return DeviceAnswer::reply({1, command, 0});
  }
}

}  // namespace ring_testing
