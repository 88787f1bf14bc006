// Links the RLX routers into the data server library: its own data server
// asks this factory for its devices. The library links this file in whole.
#include "lonworks/rlx_device/rlx_endpoint.h"

namespace {

const lcadatsv::EndpointRegistration registration([] { return std::make_shared<rlxsim::RlxEndpoint>(); });

}  // namespace
