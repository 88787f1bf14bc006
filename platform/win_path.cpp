#include "win_path.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

QString matchEntry(const QString& folder, const QString& name) {
  QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
  if (QFileInfo::exists(dir.filePath(name)))
    return name;
  const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& e : entries)
    if (e.compare(name, Qt::CaseInsensitive) == 0)
      return e;
  return {};
}

}  // namespace

QString WinPath::resolve(const QString& path) {
  QString p = path;
  p.replace(u'\\', u'/');
  const bool absolute = p.startsWith(u'/');
  const QStringList parts = p.split(u'/', Qt::SkipEmptyParts);
  QString out = absolute ? QStringLiteral("") : QStringLiteral(".");
  bool searching = true;
  for (const QString& part : parts) {
    QString chosen = part;
    if (part == QLatin1String(".") || part == QLatin1String("..")) {
      chosen = part;
    } else if (searching) {
      const QString match = matchEntry(out.isEmpty() ? QStringLiteral("/") : out, part);
      if (match.isEmpty())
        searching = false;
      else
        chosen = match;
    }
    out += u'/' + chosen;
  }
  if (!absolute)
    out = out.mid(2);
  if (out.isEmpty())
    out = absolute ? QStringLiteral("/") : QStringLiteral(".");
  return out;
}

bool WinPath::makeDirs(const QString& path) {
  const QString local = resolve(path);
  QFileInfo fi(local);
  if (fi.isDir())
    return true;
  return QDir().mkpath(local);
}

bool WinPath::isDir(const QString& path) { return QFileInfo(resolve(path)).isDir(); }

bool WinPath::isFile(const QString& path) { return QFileInfo(resolve(path)).isFile(); }

QString WinPath::diskName(const QString& path) {
  const QString local = resolve(path);
  if (!QFileInfo::exists(local))
    return {};
  return QFileInfo(local).fileName();
}

bool WinPath::isAbsolute(const QString& path) {
  const QString local = resolve(path.trimmed());
  return !local.isEmpty() && QDir::isAbsolutePath(local);
}

QString WinPath::join(const QString& a, const QString& b) {
  if (a.endsWith(u'\\') || a.endsWith(u'/'))
    return a + b;
  return a + u'\\' + b;
}

}  // namespace platform
