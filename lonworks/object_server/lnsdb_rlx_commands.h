#pragma once
// lnsdb's commands for the simulated RLX routers: faults, settings, the
// traffic log, ring set-ups, the network clock, and the demo's phonebooks
// and ring.

#include <QStringList>

#include "lonworks/object_server/lnsdb_cli.h"

namespace lnsdb {

void registerRlxDeviceCommands(CommandRegistry& registry);

// What "demo" adds beyond the two demo devices: phonebook entries on both
// (with the extension records the plug-in keeps for them), and four more
// explicit routers that close a ring with the two in "Routers". Adds what is
// missing; one report line per step, ending "created" or "exists".
QStringList ensureRlxDemo(lnssim::SimObjectServer& server);

}  // namespace lnsdb
