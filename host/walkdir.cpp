#include "walkdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "platform/win_path.h"

namespace WalkDir {

namespace {

constexpr qint64 kMaxLine = 4096;

// Reads one line of at most kMaxLine bytes; a longer line is cut there (an
// identifier line is 23 characters, so nothing that matters is lost).
QByteArray readLine(QFile& f) {
  QByteArray line = f.readLine(kMaxLine);
  if (!line.endsWith('\n') && line.size() >= kMaxLine - 1) {
    // Skip the rest of an over-long line without loading it.
    char c = 0;
    while (f.getChar(&c) && c != '\n') {
    }
  }
  while (line.endsWith('\n') || line.endsWith('\r'))
    line.chop(1);
  return line;
}

int hexValue(const QByteArray& group) {
  bool ok = false;
  const int v = group.toInt(&ok, 16);
  return ok ? v : 0;
}

QString searchFolder(const QString& folder, const QString& programId, QSet<QString>& visited, int depth) {
  const QString canonical = QFileInfo(folder).canonicalFilePath();
  if (canonical.isEmpty() || visited.contains(canonical) || depth > 64)
    return {};
  visited.insert(canonical);
  QDir dir(folder);
  if (!dir.isReadable())
    return {};
  const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                  QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& e : entries) {
    if (!e.fileName().endsWith(QLatin1String(".xif"), Qt::CaseInsensitive) || e.isDir())
      continue;
    if (ReadXifProgramId(e.filePath()) == programId)
      return e.filePath();
  }
  for (const QFileInfo& e : entries) {
    if (e.fileName().startsWith(u'.') || !e.isDir())
      continue;
    const QString found = searchFolder(e.filePath(), programId, visited, depth + 1);
    if (!found.isEmpty())
      return found;
  }
  return {};
}

}  // namespace

QString ReadXifProgramId(const QString& path) {
  if (path.size() < 4 || path.right(4).compare(QLatin1String(".XIF"), Qt::CaseInsensitive) != 0)
    return {};
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  QByteArray line;
  for (int n = 1; n <= 4; ++n)
    line = f.atEnd() ? QByteArray() : readLine(f);
  if (line.trimmed().isEmpty())
    line = f.atEnd() ? QByteArray() : readLine(f);
  f.close();

  // Eight two-character groups at positions 1, 4, 7, ..., 22.
  auto group = [&](int k) { return line.mid(k * 3, 2); };
  QString result;
  if (line.isEmpty() || line.at(0) < '8') {
    // Text form: each group is a character code; "00" stands for a blank.
    for (int k = 0; k < 8; ++k) {
      const QByteArray g = group(k);
      result += g == "00" ? QChar(u' ') : QChar(hexValue(g));
    }
    result += QString(8, u' ');
  } else {
    for (int k = 0; k < 8; ++k)
      result += QString::fromLatin1(group(k));
  }
  if (result.startsWith(QLatin1String("RLX")))
    return QStringLiteral("524C580000000000");
  return result;
}

QString FindProgramIdFile(const QString& directory, QString& programId) {
  programId = programId.toUpper();
  QSet<QString> visited;
  return searchFolder(platform::WinPath::resolve(directory), programId, visited, 0);
}

}  // namespace WalkDir
