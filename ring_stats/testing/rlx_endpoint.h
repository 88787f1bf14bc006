#pragma once
// RLX devices on the channel, as the ring mode and statistics windows reach
// them through the data server: the ring mode parameters (command 72), the
// connection statistics of the three modems (command 61) and the ring status
// query (command 55) over a ring of several devices. Devices are known by
// data-server handle and device handle; the ring is described by the Neuron
// IDs and unit IDs of its members, so it may hold devices the database does
// not know and leave out devices it does.
//
// Every member may be called from any thread.

#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "lonworks/data_server/device_endpoint.h"

namespace ring_testing {

using NeuronId = std::array<std::uint8_t, 6>;
// "0A1B2C3D4E5F" <-> the six bytes; a text that is not 12 hexadecimal digits gives zeros.
NeuronId NeuronIdFromText(const QString& text);
QString NeuronIdToText(const NeuronId& id);

enum class Fault {
  None,
  Silent,   // no answer: "Message Timeout"
  Failure,  // the data server cannot deliver: "Message Failed"
};

struct RlxState {
  NeuronId neuronId{};
  Fault fault = Fault::None;
  bool hasRingMode = true;  // without it the ring mode read answers the single value 2
  bool ringEnabled = false;
  std::uint8_t unitId = 0;
  std::uint16_t propagationDelay = 0;
  std::uint16_t testInterval = 0;
  // Values 3 and on of the statistics reply, by modem selector (0, 2, 3):
  // cause, nine counters, successful connections, retrain attempts. A
  // shorter list gives a short reply.
  std::map<int, std::vector<std::uint8_t>> statistics;
};

struct RingMember {
  NeuronId neuronId{};
  std::uint8_t unitId = 0;
  bool inRingMode = true;
};

// A ring as its members report it. The queried device answers for itself
// first, then for the members that follow it in ring order, then with the
// end mark (unit ID 255).
struct RingLayout {
  std::vector<RingMember> members;  // in ring order
  int openAfter = -1;               // -1: closed; k: the link from member k to the next is broken
  bool counters = true;             // an open ring's members count the hops from the break
  std::uint8_t fallbackUnit = 0;
  int runningPolls = 0;  // polls answered "test running" after each start
};

class RlxEndpoint : public lcadatsv::DeviceEndpoint {
 public:
  void addDevice(std::int32_t dataServer, std::int32_t handle, RlxState state);
  void setState(std::int32_t dataServer, std::int32_t handle, RlxState state);
  RlxState state(std::int32_t dataServer, std::int32_t handle) const;
  void setFault(std::int32_t dataServer, std::int32_t handle, Fault fault);
  void setRing(std::int32_t dataServer, RingLayout ring);

  // The bodies a device received, in order ("01 55 00 04").
  std::vector<std::string> requests(std::int32_t dataServer, std::int32_t handle) const;
  int requestCount(std::int32_t dataServer, std::int32_t handle, const std::string& body) const;
  void clearRequests();

  lcadatsv::DeviceStatus checkDevice(std::int32_t dataServer, const std::string& deviceName,
                                     std::int32_t deviceHandle) override;
  lcadatsv::DeviceStatus reset(std::int32_t dataServer) override;
  lcadatsv::DeviceAnswer request(const lcadatsv::DeviceRequest& request) override;

 private:
  using Key = std::pair<std::int32_t, std::int32_t>;
  struct Device {
    RlxState state;
    std::vector<std::string> received;
    int pollsLeft = 0;  // "test running" answers left
    int next = 1;       // the ring member (after the device) the next "00 01 55 00 05" reports
  };
  std::vector<std::uint8_t> ringStatus(std::int32_t dataServer, Device& device, int step);

  mutable std::mutex mutex_;
  std::map<Key, Device> devices_;
  std::map<std::int32_t, RingLayout> rings_;
};

}  // namespace ring_testing
