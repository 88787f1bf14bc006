// Registers a fake endpoint the way a device simulator linked into the data
// server library does: a static registration object, linked in whole. Its
// devices: data-server handle 1, device 17 answering 0 1 2.

#include "lonworks/data_server/testing/fake_device_endpoint.h"

namespace {

const lcadatsv::EndpointRegistration registration([] {
  auto endpoint = std::make_shared<lcadatsv_testing::FakeDeviceEndpoint>();
  endpoint->addDevice(1, 17, {0, 1, 2});
  return endpoint;
});

}  // namespace
