#pragma once
// RLX routers in the simulated network database: the two families' device
// templates (imported from their external interface files, with the LonMark
// object names of the installed language file), RLX devices made from them,
// and the demo network.

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

#include "lonworks/object_server/object_server.h"

namespace lnssim {

enum class RlxFamily { LonMark, Explicit };

inline constexpr char kLonMarkProgramId[] = "800060325B080932";
inline constexpr char kExplicitProgramId[] = "524C580000000000";

QString rlxProgramId(RlxFamily family);
// The template name the plug-in registers for the family ("Rlxtlc32", "rlxtlc20"),
// also the base name of its external interface file.
QString rlxTemplateName(RlxFamily family);

// Folders searched for the families' external interface files, in order:
// the LonWorks tree's Import folder, then the xif folder of the product's
// data folder (share/rlx-plug beside this program's folder).
QStringList xifSearchFolders();
// The file for a base name ("Rlxtlc32"), matched without regard to case; "" when none.
QString findXifFile(const QString& baseName);

// The LonMark object names of the installed language file
// (<LonWorks Path>\types\user\ZEV\Zev.enu), by object index; objects the file
// does not name (or all, without the file) are missing from the result.
QHash<qint32, QString> rlxObjectNames();

// A network opened with its first system.
struct OpenedSystem {
  lns::NetworkPtr network;
  lns::SystemPtr system;
  qint64 systemId = 0;
};
OpenedSystem openFirstSystem(SimObjectServer& server, const QString& networkName);

// The family's device template of the (open) system: the one with the
// family's program identifier, or a new one imported from the family's
// external interface file. Throws kErrImport when the file cannot be found.
qint64 ensureRlxTemplate(SimObjectServer& server, const OpenedSystem& system, RlxFamily family);

struct RlxDevice {
  qint64 subsystemId = 0;
  QString name;
  RlxFamily family = RlxFamily::LonMark;
  QString neuronId;                           // empty: chosen
  std::optional<qint32> handle;               // empty: the next free one
  QString firmware = QStringLiteral("3.20");  // LonMark family: "nvoProductName" is "RLX-LonMark " + this
};
// Adds the device with its family's whole interface; returns its row.
qint64 addRlxDevice(SimObjectServer& server, const OpenedSystem& system, const RlxDevice& device);

// The network "Demo" with the subsystem "Routers" holding "RLX-LonMark" and
// "RLX-Explicit". Adds what is missing and leaves what exists; returns one
// line per step taken or found done.
QStringList ensureDemoNetwork(SimObjectServer& server);

}  // namespace lnssim
