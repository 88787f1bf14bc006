#include "ldrf.h"

namespace ldrf {

namespace {
Factory* g_factory = nullptr;
}

void setFactory(Factory* f) { g_factory = f; }

Factory& factory() {
  if (!g_factory)
    throw ComponentError(QStringLiteral("ActiveX component can't create object"));
  return *g_factory;
}

}  // namespace ldrf
