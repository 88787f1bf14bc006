#include "object_server_binding.h"

namespace {
std::function<lns::ObjectServerPtr()>& factory() {
  static std::function<lns::ObjectServerPtr()> f;
  return f;
}
}  // namespace

void SetObjectServerFactory(std::function<lns::ObjectServerPtr()> f) { factory() = std::move(f); }

lns::ObjectServerPtr CreateObjectServer() {
  if (!factory())
    return nullptr;
  try {
    return factory()();
  } catch (const std::exception&) {
    // A server that cannot be made leaves the control empty; opening a
    // network then fails with the director's "Cannot open the network".
    return nullptr;
  }
}
