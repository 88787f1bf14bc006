#include "registration.h"

#include <QCoreApplication>
#include <QDir>
#include <limits>

#include "host/cregistry.h"
#include "platform/ui_services.h"

namespace registration {

namespace {
void inform(const QString& text) {
  platform::msgBox(text, platform::MsgButtons::Ok, kPlugInName, platform::MsgIcon::Information);
}
}  // namespace

int LeadingNumber(const QString& text) {
  qint64 value = 0;
  for (QChar c : text) {
    if (!c.isDigit() || c.unicode() > 127)
      break;
    value = value * 10 + (c.unicode() - u'0');
    // A version number this long is garbage: it is read as the largest
    // number, never as one that wrapped round to a negative one.
    if (value > std::numeric_limits<int>::max())
      return std::numeric_limits<int>::max();
  }
  return static_cast<int>(value);
}

std::pair<int, int> ParseVersion(const QString& version) {
  const qsizetype dot = version.indexOf(u'.');
  const int major = LeadingNumber(dot < 0 ? version : version.left(dot));
  QString rest = dot < 0 ? QString() : version.mid(dot + 1);
  const qsizetype blank = rest.indexOf(u' ');
  if (blank >= 0)
    rest = rest.left(blank);
  const qsizetype dot2 = rest.indexOf(u'.');
  if (dot2 >= 0)
    rest = rest.left(dot2);
  if (rest.size() == 1)
    rest += u'0';
  return {major, LeadingNumber(rest)};
}

namespace {
QString& programFolderOverride() {
  static QString folder;
  return folder;
}
}  // namespace

void SetProgramFolder(const QString& folder) { programFolderOverride() = folder; }

QString ProgramFolder() {
  QString dir = programFolderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : programFolderOverride();
  while (dir.size() > 1 && (dir.endsWith(u'/') || dir.endsWith(u'\\')))
    dir.chop(1);
  return QDir::toNativeSeparators(dir);
}

bool RegisterPlugIn(bool report) {
  CRegistry reg;
  bool update = false;
  const QString registered = reg.MachineSetting(kPlugInKey, QString());
  if (!registered.isEmpty()) {
    const auto have = ParseVersion(reg.MachineSetting(kPlugInKey, QStringLiteral("Version")));
    const auto mine = ParseVersion(kVersion);
    if (have > mine) {
      if (report)
        inform(QStringLiteral("A newer version of this plug-in is already registered"));
      return true;
    }
    if (have == mine) {
      if (report)
        inform(QStringLiteral("This plug-in is already registered"));
      return true;
    }
    update = true;
  }
  // The entry is written in this order.
  reg.setMachineSetting(kPlugInKey, QString(), kProgId);
  reg.setMachineSetting(kPlugInKey, QStringLiteral("Name"), kPlugInName);
  reg.setMachineSetting(kPlugInKey, QStringLiteral("Description"), QStringLiteral("RLX_Plug UTILITY"));
  reg.setMachineSetting(kPlugInKey, QStringLiteral("Scope"), QStringLiteral(" 2"));
  reg.setMachineSetting(kPlugInKey, QStringLiteral("ManufacturerName"), kManufacturerName);
  reg.setMachineSetting(kPlugInKey, QStringLiteral("Version"), kVersion);
  reg.setMachineSetting(kPlugInKey, QStringLiteral("LcaVersion"), kLcaVersion);
  reg.setMachineSetting(kPlugInKey, QStringLiteral("DirPath"), ProgramFolder());
  if (reg.errorNumber() != 0) {
    // A registry that cannot be written is a failed registration: saying
    // "registered" would leave directors without the plug-in and the operator
    // none the wiser.
    if (report)
      platform::msgBox(QStringLiteral("Plug-in ") + kPlugInName +
                           QStringLiteral(" could not be registered: the registry cannot be written."),
                       platform::MsgButtons::Ok, kPlugInName, platform::MsgIcon::Critical);
    return false;
  }
  if (report)
    inform((update ? QStringLiteral("Updated version of plug-in registered as ")
                   : QStringLiteral("Plug-in registered as ")) +
           kProgId);
  return true;
}

void DeregisterPlugIn(bool report) {
  CRegistry reg;
  const bool gone = reg.DeleteMachineKey(kPlugInKey);
  if (report)
    inform(QStringLiteral("Plug-in ") + kPlugInName +
           (gone ? QStringLiteral(" deregistered") : QStringLiteral(" does not exisit in the Windows registery")));
}

}  // namespace registration
