#include "rlx_devices.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include "lonworks/device_resources/ldrf_standin.h"
#include "platform/data_folder.h"
#include "platform/registry.h"
#include "platform/win_path.h"
#include "sim_database.h"

namespace lnssim {

namespace {

QString lonWorksPath() {
  const auto v = platform::Registry::value(platform::Hive::LocalMachine, QStringLiteral("SOFTWARE\\LonWorks"),
                                           QStringLiteral("LonWorks Path"));
  // Only an absolute folder: a relative one would be read from the current folder.
  return v && platform::WinPath::isAbsolute(v->data) ? v->data.trimmed() : QString();
}

// Object index -> string index of the language file.
constexpr std::pair<qint32, qint16> kObjectStrings[] = {{0, 3}, {1, 9}, {2, 10}, {3, 7}, {4, 96}, {5, 12}, {6, 11}};

}  // namespace

QString rlxProgramId(RlxFamily family) {
  return QString::fromLatin1(family == RlxFamily::LonMark ? kLonMarkProgramId : kExplicitProgramId);
}

QString rlxTemplateName(RlxFamily family) {
  return family == RlxFamily::LonMark ? QStringLiteral("Rlxtlc32") : QStringLiteral("rlxtlc20");
}

QStringList xifSearchFolders() {
  QStringList folders;
  const QString lon = lonWorksPath();
  if (!lon.isEmpty())
    folders << platform::WinPath::resolve(platform::WinPath::join(lon, QStringLiteral("Import")));
  if (QCoreApplication::instance())
    folders << platform::ProductDataFolder(QCoreApplication::applicationDirPath()) + QStringLiteral("/xif");
  return folders;
}

QString findXifFile(const QString& baseName) {
  const QString wanted = baseName + QStringLiteral(".xif");
  for (const QString& folder : xifSearchFolders()) {
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& e : entries)
      if (e.compare(wanted, Qt::CaseInsensitive) == 0)
        return folder + u'/' + e;
  }
  return QString();
}

QHash<qint32, QString> rlxObjectNames() {
  QHash<qint32, QString> names;
  const QString lon = lonWorksPath();
  if (lon.isEmpty())
    return names;
  const QString file =
      platform::WinPath::resolve(platform::WinPath::join(lon, QStringLiteral("types\\user\\ZEV\\Zev.enu")));
  lonworks::LdrfStandInFactory factory;
  auto general = factory.createGeneral();
  auto lang = factory.createLangRsrc();
  qint32 handle = 0;
  if (general->OpenFile(file, 2, 0, 0, handle) != 0)
    return names;
  for (const auto& [object, index] : kObjectStrings) {
    QString text;
    if (lang->GetResourceString(handle, index, text) == 0 && !text.trimmed().isEmpty())
      names.insert(object, text.trimmed());
  }
  general->CloseFile(handle);
  return names;
}

OpenedSystem openFirstSystem(SimObjectServer& server, const QString& networkName) {
  OpenedSystem s;
  s.network = server.Networks()->Item(networkName);
  s.network->Open();
  s.system = s.network->Systems()->Item(1);
  s.system->Open();
  s.systemId = rowIdOf(s.system.get());
  return s;
}

qint64 ensureRlxTemplate(SimObjectServer& server, const OpenedSystem& system, RlxFamily family) {
  auto templates = system.system->DeviceTemplates();
  try {
    return rowIdOf(templates->ItemByProgramId(rlxProgramId(family)).get());
  } catch (const lns::LnsError& e) {
    if (e.number() != lns::kErrNotFound)
      throw;
  }
  const QString base = rlxTemplateName(family);
  const QString xif = findXifFile(base);
  if (xif.isEmpty())
    throw lns::LnsError(lns::kErrImport, QStringLiteral("Cannot find the external interface file %1.xif in %2")
                                             .arg(base, xifSearchFolders().join(QStringLiteral(" or "))));
  SimDatabase& db = server.database();
  SimDatabase::Transaction tx(db);
  // A free name: the template name, then "name (1)", "name (2)", ...
  QString name = base;
  for (int n = 1; templates->ItemByName(name); ++n)
    name = QStringLiteral("%1 (%2)").arg(base).arg(n);
  auto tpl = templates->Add(name, 1);
  tpl->ImportXif(xif);
  const qint64 id = rowIdOf(tpl.get());
  if (family == RlxFamily::LonMark) {
    // The object names of the installed language file, unless two would clash.
    const QHash<qint32, QString> names = rlxObjectNames();
    QSet<QString> seen;
    bool clash = false;
    for (const QString& n : names) {
      clash = clash || seen.contains(n);
      seen.insert(n);
    }
    if (!clash) {
      for (auto it = names.begin(); it != names.end(); ++it)
        db.query("UPDATE lm_objects SET name=?1, display_name=?1 WHERE template_id=?2 AND idx=?3")
            .bindAll(it.value(), id, qint64(it.key()))
            .run();
    }
  }
  tx.commit();
  return id;
}

qint64 addRlxDevice(SimObjectServer& server, const OpenedSystem& system, const RlxDevice& device) {
  static const QRegularExpression version(QStringLiteral("^[0-9]\\.[0-9]{2}$"));
  if (device.family == RlxFamily::LonMark && !version.match(device.firmware).hasMatch())
    throw lns::LnsError(lns::kErrInvalidValue,
                        QStringLiteral("\"%1\" is not a firmware version of the form 3.20").arg(device.firmware));
  SimDatabase& db = server.database();
  SimDatabase::Transaction tx(db);
  NewDevice d;
  d.subsystemId = device.subsystemId;
  d.name = device.name;
  d.neuronId = device.neuronId;
  d.handle = device.handle;
  d.templateId = ensureRlxTemplate(server, system, device.family);
  d.programId = rlxProgramId(device.family);
  const qint64 id = server.createDevice(d);
  if (device.family == RlxFamily::LonMark) {
    RuntimeContext& ctx = server.runtimeContext();
    ctx.storeNvValue(id, QStringLiteral("nvoProductName"), QStringLiteral("RLX-LonMark ") + device.firmware);
    for (const char* nv : {"nvoCnctStat1", "nvoCnctStat2", "nvoCnctStatEx2"})
      ctx.storeNvValue(id, QString::fromLatin1(nv), QStringLiteral("TEL_NOTINUSE"));
  }
  tx.commit();
  return id;
}

QStringList ensureDemoNetwork(SimObjectServer& server) {
  QStringList report;
  const QString network = QStringLiteral("Demo");
  const QString subsystem = QStringLiteral("Routers");
  try {
    server.Networks()->Item(network);
    report << QStringLiteral("network %1 exists").arg(network);
  } catch (const lns::LnsError& e) {
    if (e.number() != lns::kErrNotFound)
      throw;
    server.createNetwork(network);
    report << QStringLiteral("network %1 created").arg(network);
  }
  const OpenedSystem sys = openFirstSystem(server, network);
  qint64 subsystemId = 0;
  try {
    subsystemId = rowIdOf(sys.system->Subsystems()->Item(subsystem).get());
    report << QStringLiteral("subsystem %1 exists").arg(subsystem);
  } catch (const lns::LnsError& e) {
    if (e.number() != lns::kErrNotFound)
      throw;
    subsystemId = server.createSubsystem(sys.systemId, subsystem);
    report << QStringLiteral("subsystem %1 created").arg(subsystem);
  }
  const auto devices = sys.system->Subsystems()->Item(subsystem)->AppDevices();
  const std::pair<const char*, RlxFamily> wanted[] = {{"RLX-LonMark", RlxFamily::LonMark},
                                                      {"RLX-Explicit", RlxFamily::Explicit}};
  for (const auto& [name, family] : wanted) {
    const QString path = subsystem + u'/' + QString::fromLatin1(name);
    try {
      devices->Item(QString::fromLatin1(name));
      report << QStringLiteral("device %1 exists").arg(path);
    } catch (const lns::LnsError& e) {
      if (e.number() != lns::kErrNotFound)
        throw;
      RlxDevice d;
      d.subsystemId = subsystemId;
      d.name = QString::fromLatin1(name);
      d.family = family;
      addRlxDevice(server, sys, d);
      report << QStringLiteral("device %1 created").arg(path);
    }
  }
  return report;
}

}  // namespace lnssim
