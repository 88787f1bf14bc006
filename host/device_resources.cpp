#include "device_resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "host/cregistry.h"
#include "host/ldrf.h"
#include "host/mmain.h"
#include "host/registration.h"
#include "platform/data_folder.h"
#include "platform/log_categories.h"
#include "platform/registry.h"
#include "platform/safe_file.h"
#include "platform/ui_services.h"
#include "platform/win_path.h"

using platform::WinPath;

namespace device_resources {

namespace {

const QStringList kXifNames = {QStringLiteral("Rlxtlc32"), QStringLiteral("Rlxtlc20")};
const QStringList kResourceFiles = {QStringLiteral("Zev.enu"), QStringLiteral("Zev.fmt"), QStringLiteral("Zev.fpt"),
                                    QStringLiteral("Zev.typ")};
// Resource and interface files are a few KiB; anything this large is not one.
constexpr qint64 kMaxResourceFileBytes = 16 * 1024 * 1024;

void errorBox(const QString& description, QStringList* problems) {
  platform::ui().beep();
  platform::msgBox(description, platform::MsgButtons::Ok, QStringLiteral("Error"));
  if (problems)
    problems->append(description);
}

// Copies source over target; on failure beeps and names the source.
void copyAndReport(const QString& source, const QString& target, QStringList* problems) {
  const QString from = WinPath::resolve(source);
  const QString to = WinPath::resolve(target);
  bool ok = QFileInfo(from).isFile();
  if (ok) {
    // The target folder belongs to the LonWorks tree; make it if an
    // incomplete tree lacks it, so the copy does not fail for that alone.
    WinPath::makeDirs(QFileInfo(to).path());
    // A copy that cannot be written whole leaves the previous file in place.
    ok = platform::CopyFileAtomically(from, to, kMaxResourceFileBytes);
  }
  if (!ok) {
    platform::ui().beep();
    platform::msgBox(QStringLiteral("Unable to find file ") + source, platform::MsgButtons::Ok,
                     QStringLiteral("File Copy Error"));
    if (problems)
      problems->append(QStringLiteral("Unable to find file ") + source);
  }
}

}  // namespace

QString LonWorksPathProblem() {
  CRegistry reg;
  const QString path = reg.MachineSetting(registration::kLonWorksKey, registration::kLonWorksPathValue);
  const QString where = QStringLiteral("HKEY_LOCAL_MACHINE\\") + registration::kLonWorksKey +
                        QStringLiteral(", value \"") + registration::kLonWorksPathValue + QStringLiteral("\"");
  if (path.trimmed().isEmpty())
    return QStringLiteral("no LonWorks tree: ") + where + QStringLiteral(" is not set");
  if (!WinPath::isAbsolute(path))
    return QStringLiteral(
               "The LonWorks path \"%1\" (%2, registry %3) is not an absolute folder; set it to the "
               "LonWorks tree's full path")
        .arg(path, where, platform::Registry::rootFolder());
  return QString();
}

QString LonWorksPath() {
  CRegistry reg;
  QString path = reg.MachineSetting(registration::kLonWorksKey, registration::kLonWorksPathValue);
  // A path that is not absolute (a Windows installer's "C:\LonWorks") would
  // be taken relative to whatever the current folder is: it counts as unset.
  if (!path.trimmed().isEmpty() && !WinPath::isAbsolute(path))
    path.clear();
  qCDebug(platform::lcRegistry).noquote() << "LonWorks tree:" << (path.isEmpty() ? QStringLiteral("(not set)") : path)
                                          << "(HKEY_LOCAL_MACHINE\\SOFTWARE\\LonWorks, \"LonWorks Path\", registry"
                                          << platform::Registry::rootFolder() + u')';
  return path;
}

void LoadObjectNames() {
  MMain.InternalModemObjectName.clear();
  MMain.ExternalModem1ObjectName.clear();
  MMain.ExternalModem2ObjectName.clear();
  MMain.DirectoryObjectBaseName.clear();
  MMain.DeviceLevelObjectName.clear();
  MMain.ExternalModemBaseName.clear();

  const QString L = LonWorksPath();
  if (L.isEmpty()) {
    MMain.InternalModemObjectName = QStringLiteral("NoRegEntry");
    return;
  }
  std::unique_ptr<ldrf::LdrfLangRsrc> lang;
  std::unique_ptr<ldrf::LdrfGeneral> general;
  try {
    lang = ldrf::factory().createLangRsrc();
    general = ldrf::factory().createGeneral();
  } catch (const ldrf::ComponentError&) {
    return;  // without the components the names stay empty
  }
  qint32 file = 0;
  if (general->OpenFile(L + QStringLiteral("\\types\\user\\ZEV\\Zev.enu"), 2, 0, 0, file) == 0) {
    auto read = [&](qint16 index, QString& into) {
      QString text;
      if (lang->GetResourceString(file, index, text) == 0)
        into = text;
    };
    read(9, MMain.InternalModemObjectName);
    read(10, MMain.ExternalModem1ObjectName);
    read(7, MMain.ExternalModem2ObjectName);
    read(8, MMain.DirectoryObjectBaseName);
    read(96, MMain.DeviceLevelObjectName);
    general->CloseFile(file);
  }
  // The base name drops the " #1" of external modem 1; a name shorter than
  // that has no base name.
  const QString& ext1 = MMain.ExternalModem1ObjectName;
  MMain.ExternalModemBaseName = ext1.size() > 3 ? ext1.left(ext1.size() - 3) : QString();
}

bool InstallDeviceResources(QStringList* problems) {
  const QString L = LonWorksPath();
  if (L.isEmpty()) {
    const QString problem = LonWorksPathProblem();
    // A path that is set but unusable is the installer's to mend: say so.
    if (problem.startsWith(QLatin1String("The LonWorks path")))
      errorBox(problem, problems);
    else if (problems)
      problems->append(problem);
    return false;
  }
  // The plug-in's own files: the data folder that goes with the program's
  // folder (share/rlx-plug beside bin/).
  const QString A = QDir::toNativeSeparators(platform::ProductDataFolder(registration::ProgramFolder()));
  const QString R = L + QStringLiteral("\\types\\user\\ZEV\\");

  // Resource directories, reusing folders that differ only in case.
  if (WinPath::diskName(L + QStringLiteral("\\types\\user")).toUpper() != QLatin1String("USER") &&
      !WinPath::makeDirs(L + QStringLiteral("\\types\\User")))
    errorBox(QStringLiteral("Path not found: ") + L + QStringLiteral("\\types\\User"), problems);
  if (WinPath::diskName(L + QStringLiteral("\\types\\User\\Zev")).toUpper() != QLatin1String("ZEV") &&
      !WinPath::makeDirs(L + QStringLiteral("\\types\\User\\Zev")))
    errorBox(QStringLiteral("Path not found: ") + L + QStringLiteral("\\types\\User\\Zev"), problems);

  for (const QString& name : kXifNames)
    copyAndReport(A + QStringLiteral("\\xif\\") + name + QStringLiteral(".xif"),
                  L + QStringLiteral("\\Import\\") + name + QStringLiteral(".xif"), problems);

  // Stale compiled forms of the interface files; every error is ignored.
  for (const QString& name : kXifNames)
    for (const QString& ext : {QStringLiteral(".xfo"), QStringLiteral(".xfb")}) {
      const QString stale = WinPath::resolve(L + QStringLiteral("\\Import\\") + name + ext);
      if (QFileInfo(stale).isFile())
        QFile::remove(stale);
    }

  for (const QString& file : kResourceFiles)
    copyAndReport(A + QStringLiteral("\\Resource\\") + file, R + QStringLiteral("\\") + file, problems);

  std::unique_ptr<ldrf::LdrfCatalog> catalog;
  try {
    catalog = ldrf::factory().createCatalog();
  } catch (const ldrf::ComponentError& e) {
    errorBox(e.description(), problems);
    return false;
  }
  qint32 value = 0, handle = 0;
  qint32 v1 = 0, dirCount = 0, v3 = 0, v4 = 0, v5 = 0, v6 = 0;
  const int opened = catalog->OpenCatalog(L + QStringLiteral("\\Types"), value, handle);
  const int info = opened == 0 ? catalog->GetCatalogInfo(handle, v1, dirCount, v3, v4, v5, v6) : -1;
  if (opened != 0 || info != 0) {
    platform::ui().beep();
    platform::msgBox(QStringLiteral("Device Resource file error"), platform::MsgButtons::Ok, QStringLiteral("Error"));
    if (problems)
      problems->append(QStringLiteral("Device Resource file error (the catalog in ") + L +
                       QStringLiteral("\\Types cannot be read)"));
    if (opened == 0)
      catalog->CloseCatalog(handle);
    return false;
  }

  const QString obsolete = L + QStringLiteral("\\types\\User\\Zev\\Rlxim");
  bool registered = false;
  for (qint32 i = 0; i <= dirCount; ++i) {
    QString dir;
    if (catalog->CatalogGetDir(handle, static_cast<qint16>(i), dir) != 0)
      continue;
    if (dir.compare(R, Qt::CaseInsensitive) == 0) {
      registered = true;
    } else if (dir.compare(obsolete + u'\\', Qt::CaseInsensitive) == 0) {
      catalog->CatalogRmvDir(handle, obsolete);
      catalog->CatalogRefresh(handle);
      if (WinPath::diskName(obsolete).toUpper() == QLatin1String("RLXIM") && WinPath::isDir(obsolete)) {
        QDir old(WinPath::resolve(obsolete));
        for (const QString& f : old.entryList(QDir::Files | QDir::Hidden | QDir::System))
          old.remove(f);
        QDir().rmdir(old.absolutePath());
      }
    }
  }
  if (registered) {
    catalog->CatalogRmvDir(handle, R);
    catalog->CatalogRefresh(handle);
  }
  catalog->CatalogAddDir(handle, R);
  catalog->CatalogRefresh(handle);
  catalog->CloseCatalog(handle);
  return true;
}

}  // namespace device_resources
