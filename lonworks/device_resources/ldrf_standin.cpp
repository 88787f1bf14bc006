#include "ldrf_standin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QTextStream>
#include <mutex>

#include "platform/safe_file.h"
#include "platform/win_path.h"

namespace lonworks {

namespace {

constexpr qint64 kMaxResourceFile = 16 * 1024 * 1024;

// Open language files and catalogs, shared by every component instance of the
// process (the general component opens a file that the language component reads).
struct Tables {
  std::mutex lock;
  qint32 next = 1;
  QHash<qint32, QMap<int, QString>> files;
  struct Catalog {
    QString file;
    QStringList dirs;
  };
  QHash<qint32, Catalog> catalogs;
};

Tables& tables() {
  static Tables t;
  return t;
}

bool parseLanguage(const QByteArray& bytes, QMap<int, QString>& out) {
  const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
  QStringList content;
  for (QString line : lines) {
    if (line.endsWith(u'\r'))
      line.chop(1);
    content << line;
  }
  while (!content.isEmpty() && content.back().trimmed().isEmpty())
    content.removeLast();
  if (content.size() < 2 || content.front().trimmed() != QLatin1String("LDRF-LANGUAGE 1") ||
      content.back().trimmed() != QLatin1String("END"))
    return false;
  for (int i = 1; i + 1 < content.size(); ++i) {
    const QString& line = content[i];
    if (line.trimmed().isEmpty() || line.startsWith(u';'))
      continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0)
      return false;
    bool ok = false;
    const int index = line.left(eq).trimmed().toInt(&ok);
    if (!ok || index < 0 || index > 32767)
      return false;
    out.insert(index, line.mid(eq + 1));
  }
  return true;
}

QString normDir(QString s) {
  s.replace(u'/', u'\\');
  while (s.endsWith(u'\\'))
    s.chop(1);
  return s;
}

// The catalog is shared with other makers' resources: a failed write leaves
// the previous catalog as it was.
bool writeCatalog(const Tables::Catalog& c) {
  QByteArray text = "LDRF-CATALOG 1\n";
  for (const QString& d : c.dirs)
    text += d.toUtf8() + '\n';
  return platform::WriteFileAtomically(c.file, text);
}

class General : public ldrf::LdrfGeneral {
 public:
  int OpenFile(const QString& path, int, int, int, qint32& fileHandle) override {
    // Only a regular file of bounded size is read: a FIFO would block the
    // caller and a link to a device would read without end.
    const QFileInfo info(platform::WinPath::resolve(path));
    if (!info.exists())
      return kLdrfFileNotFound;
    const std::optional<QByteArray> data = platform::ReadRegularFile(info.filePath(), kMaxResourceFile);
    QMap<int, QString> strings;
    if (!data || !parseLanguage(*data, strings))
      return kLdrfBadFormat;
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    fileHandle = t.next++;
    t.files.insert(fileHandle, strings);
    return kLdrfOk;
  }
  int CloseFile(qint32 fileHandle) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    return t.files.remove(fileHandle) ? kLdrfOk : kLdrfBadHandle;
  }
};

class LangRsrc : public ldrf::LdrfLangRsrc {
 public:
  int GetResourceString(qint32 fileHandle, qint16 index, QString& text) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.files.find(fileHandle);
    if (it == t.files.end())
      return kLdrfBadHandle;
    auto s = it->find(index);
    if (s == it->end())
      return kLdrfNotFound;
    text = *s;
    return kLdrfOk;
  }
};

class Catalog : public ldrf::LdrfCatalog {
 public:
  int OpenCatalog(const QString& rootPath, qint32& value, qint32& catalogHandle) override {
    const QString root = platform::WinPath::resolve(rootPath);
    if (!QFileInfo(root).isDir())
      return kLdrfFileNotFound;
    Tables::Catalog c;
    c.file = root + QStringLiteral("/ldrf.cat");
    if (QFileInfo::exists(c.file) || QFileInfo(c.file).isSymLink()) {
      const std::optional<QByteArray> data = platform::ReadRegularFile(c.file, kMaxResourceFile);
      if (!data)
        return kLdrfBadFormat;
      const QStringList lines = QString::fromUtf8(*data).split(u'\n');
      if (lines.isEmpty() || lines.front().trimmed() != QLatin1String("LDRF-CATALOG 1"))
        return kLdrfBadFormat;
      for (int i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
          line.chop(1);
        if (!line.trimmed().isEmpty())
          c.dirs << line;
      }
    } else if (!writeCatalog(c)) {
      return kLdrfWriteFailed;
    }
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    catalogHandle = t.next++;
    value = 1;
    t.catalogs.insert(catalogHandle, c);
    return kLdrfOk;
  }
  int GetCatalogInfo(qint32 h, qint32& v1, qint32& dirCount, qint32& v3, qint32& v4, qint32& v5, qint32& v6) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.catalogs.find(h);
    if (it == t.catalogs.end())
      return kLdrfBadHandle;
    v1 = 1;
    dirCount = static_cast<qint32>(it->dirs.size());
    v3 = v4 = v5 = v6 = 0;
    return kLdrfOk;
  }
  int CatalogGetDir(qint32 h, qint16 index, QString& dirPath) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.catalogs.find(h);
    if (it == t.catalogs.end())
      return kLdrfBadHandle;
    if (index < 0 || index >= it->dirs.size())
      return kLdrfNotFound;
    dirPath = it->dirs[index];
    return kLdrfOk;
  }
  int CatalogRmvDir(qint32 h, const QString& dirPath) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.catalogs.find(h);
    if (it == t.catalogs.end())
      return kLdrfBadHandle;
    for (int i = 0; i < it->dirs.size(); ++i)
      if (normDir(it->dirs[i]).compare(normDir(dirPath), Qt::CaseInsensitive) == 0) {
        it->dirs.removeAt(i);
        return kLdrfOk;
      }
    return kLdrfNotFound;
  }
  int CatalogAddDir(qint32 h, const QString& dirPath) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.catalogs.find(h);
    if (it == t.catalogs.end())
      return kLdrfBadHandle;
    for (const QString& d : it->dirs)
      if (normDir(d).compare(normDir(dirPath), Qt::CaseInsensitive) == 0)
        return kLdrfExists;
    it->dirs << dirPath;
    return kLdrfOk;
  }
  int CatalogRefresh(qint32 h) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.catalogs.find(h);
    if (it == t.catalogs.end())
      return kLdrfBadHandle;
    return writeCatalog(*it) ? kLdrfOk : kLdrfWriteFailed;
  }
  int CloseCatalog(qint32 h) override {
    Tables& t = tables();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.catalogs.find(h);
    if (it == t.catalogs.end())
      return kLdrfBadHandle;
    const bool ok = writeCatalog(*it);
    t.catalogs.erase(it);
    return ok ? kLdrfOk : kLdrfWriteFailed;
  }
};

}  // namespace

std::unique_ptr<ldrf::LdrfCatalog> LdrfStandInFactory::createCatalog() { return std::make_unique<Catalog>(); }
std::unique_ptr<ldrf::LdrfGeneral> LdrfStandInFactory::createGeneral() { return std::make_unique<General>(); }
std::unique_ptr<ldrf::LdrfLangRsrc> LdrfStandInFactory::createLangRsrc() { return std::make_unique<LangRsrc>(); }

}  // namespace lonworks
