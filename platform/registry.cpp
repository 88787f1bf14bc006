#include "registry.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <optional>

#include "platform/log_categories.h"

namespace platform {

namespace {

// Each registry key is a QSettings group; its values live in one entry holding
// name/type/data triples in write order. The entry also marks that the key
// exists, so empty keys survive.
const QString kValuesEntry = QStringLiteral("@values");

QString encodeComponent(const QString& c) {
  QString out;
  for (QChar ch : c) {
    if (ch == u'%')
      out += QStringLiteral("%25");
    else if (ch == u'/')
      out += QStringLiteral("%2F");
    else
      out += ch;
  }
  return out;
}

QString decodeComponent(const QString& c) {
  QString out = c;
  out.replace(QStringLiteral("%2F"), QStringLiteral("/"));
  out.replace(QStringLiteral("%25"), QStringLiteral("%"));
  return out;
}

class Hivefile {
 public:
  explicit Hivefile(Hive hive) {
    // A hive that is there but cannot be read (a folder in its place, no
    // read permission) is not handed to QSettings: a failed read empties
    // QSettings' process-wide copy of the file but keeps the file's size and
    // time, so when the same file comes back it would be taken for empty and
    // the next write would store the hive without its keys.
    const QString path = Registry::hiveFile(hive);
    const QFileInfo info(path);
    if (info.exists() && !(info.isFile() && info.isReadable()))
      return;
    settings_.emplace(path, QSettings::IniFormat);
    settings_->setAtomicSyncRequired(true);
  }
  bool readable() const { return settings_ && settings_->status() == QSettings::NoError; }

  // Resolves each component against the existing groups without regard to
  // case. Components that do not exist yet keep the caller's spelling.
  // Returns the QSettings group path and whether every component existed.
  std::pair<QString, bool> resolve(const QStringList& parts) {
    QString path;
    bool allFound = true;
    for (const QString& part : parts) {
      QString chosen = encodeComponent(part);
      if (allFound) {
        settings_->beginGroup(path);
        const QStringList children = settings_->childGroups();
        settings_->endGroup();
        QString match;
        for (const QString& child : children) {
          if (child == chosen) {
            match = child;
            break;
          }
          if (match.isEmpty() && decodeComponent(child).compare(part, Qt::CaseInsensitive) == 0)
            match = child;
        }
        if (match.isEmpty())
          allFound = false;
        else
          chosen = match;
      }
      path = path.isEmpty() ? chosen : path + u'/' + chosen;
    }
    return {path, allFound};
  }

  // The group of an existing key, or nullopt (missing key or unreadable hive).
  std::optional<QString> existing(const QString& key) {
    if (!readable())
      return std::nullopt;
    auto [group, found] = resolve(Registry::splitKey(key));
    if (!found || !exists(group))
      return std::nullopt;
    return group;
  }

  bool exists(const QString& group) {
    if (group.isEmpty())
      return true;  // the hive root
    return settings_->contains(group + u'/' + kValuesEntry);
  }

  QList<RegValue> readValues(const QString& group) {
    QList<RegValue> out;
    const QStringList flat = settings_->value(group + u'/' + kValuesEntry).toStringList();
    for (qsizetype i = 0; i + 2 < flat.size(); i += 3) {
      RegValue v;
      v.name = flat[i];
      v.type = regTypeFromName(flat[i + 1]).value_or(RegType::String);
      v.data = flat[i + 2];
      out.append(v);
    }
    return out;
  }

  void writeValues(const QString& group, const QList<RegValue>& values) {
    rememberBeforeChange();
    QStringList flat;
    for (const RegValue& v : values)
      flat << v.name << regTypeName(v.type) << v.data;
    settings_->setValue(group + u'/' + kValuesEntry, flat);
  }

  // Makes every component of the path exist as a key.
  void ensureKeys(const QString& group) {
    rememberBeforeChange();
    const QStringList parts = group.split(u'/', Qt::SkipEmptyParts);
    QString path;
    for (const QString& p : parts) {
      path = path.isEmpty() ? p : path + u'/' + p;
      if (!exists(path))
        settings_->setValue(path + u'/' + kValuesEntry, QStringList());
    }
  }

  QStringList children(const QString& group) {
    settings_->beginGroup(group);
    QStringList out = settings_->childGroups();
    settings_->endGroup();
    for (QString& c : out)
      c = decodeComponent(c);
    // A hand-edited file can hold a group with an empty part ("a//b"); no
    // key has an empty name, and listing one would send a walk round in it.
    out.removeAll(QString());
    std::sort(out.begin(), out.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return out;
  }

  void removeGroup(const QString& group) {
    rememberBeforeChange();
    settings_->remove(group);
  }

  bool commit() {
    if (!settings_ || !settings_->isWritable())
      return false;
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
      return true;
    undoChanges();
    return false;
  }

 private:
  void rememberBeforeChange() {
    if (before_)
      return;
    before_.emplace();
    for (const QString& k : settings_->allKeys())
      before_->insert(k, settings_->value(k));
  }

  // A change that did not reach the disk stays pending in QSettings' cache
  // of the file, shared by the whole process, and the next QSettings that
  // syncs the file would write it after all: a write reported as failed
  // would appear later. Putting every key back as it was leaves nothing but
  // what the file already holds to be written.
  void undoChanges() {
    if (!before_)
      return;
    for (const QString& k : settings_->allKeys())
      if (!before_->contains(k))
        settings_->remove(k);
    for (auto it = before_->cbegin(); it != before_->cend(); ++it)
      if (settings_->value(it.key()) != it.value())
        settings_->setValue(it.key(), it.value());
    before_.reset();
  }

  std::optional<QSettings> settings_;
  std::optional<QHash<QString, QVariant>> before_;
};

int findValue(const QList<RegValue>& values, const QString& name) {
  for (int i = 0; i < values.size(); ++i)
    if (values[i].name.compare(name, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

}  // namespace

QString regTypeName(RegType type) {
  switch (type) {
    case RegType::String: return QStringLiteral("REG_SZ");
    case RegType::ExpandString: return QStringLiteral("REG_EXPAND_SZ");
    case RegType::DWord: return QStringLiteral("REG_DWORD");
    case RegType::MultiString: return QStringLiteral("REG_MULTI_SZ");
    case RegType::Binary: return QStringLiteral("REG_BINARY");
  }
  return QStringLiteral("REG_SZ");
}

std::optional<RegType> regTypeFromName(const QString& name) {
  for (RegType t : {RegType::String, RegType::ExpandString, RegType::DWord, RegType::MultiString, RegType::Binary})
    if (name.compare(regTypeName(t), Qt::CaseInsensitive) == 0)
      return t;
  return std::nullopt;
}

QString Registry::rootFolder() {
  const QString env = qEnvironmentVariable("RLX_REGISTRY_ROOT");
  const QString root = !env.isEmpty() ? env
                                      : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                            QStringLiteral("/RLX_Plug/registry");
  if (lcRegistry().isDebugEnabled()) {
    // Once for each root used, not for every value read.
    static QMutex mutex;
    static QString told;
    const QMutexLocker lock(&mutex);
    if (told != root) {
      told = root;
      qCDebug(lcRegistry).noquote() << "registry root:" << root
                                    << (env.isEmpty() ? "(the default: RLX_REGISTRY_ROOT is not set)"
                                                      : "(RLX_REGISTRY_ROOT)");
    }
  }
  return root;
}

QString Registry::hiveFile(Hive hive) {
  return rootFolder() + (hive == Hive::LocalMachine ? QStringLiteral("/HKEY_LOCAL_MACHINE.ini")
                                                    : QStringLiteral("/HKEY_CURRENT_USER.ini"));
}

QStringList Registry::splitKey(const QString& key) { return key.split(u'\\', Qt::SkipEmptyParts); }

bool Registry::keyExists(Hive hive, const QString& key) {
  Hivefile f(hive);
  return f.existing(key).has_value();
}

bool Registry::createKey(Hive hive, const QString& key) {
  QDir().mkpath(rootFolder());
  Hivefile f(hive);
  if (!f.readable())
    return false;
  auto [group, found] = f.resolve(splitKey(key));
  if (found && f.exists(group))
    return true;
  f.ensureKeys(group);
  return f.commit();
}

std::optional<RegValue> Registry::value(Hive hive, const QString& key, const QString& name) {
  Hivefile f(hive);
  const auto group = f.existing(key);
  if (!group)
    return std::nullopt;
  const QList<RegValue> vals = f.readValues(*group);
  const int i = findValue(vals, name);
  if (i < 0)
    return std::nullopt;
  return vals[i];
}

QList<RegValue> Registry::values(Hive hive, const QString& key) {
  Hivefile f(hive);
  const auto group = f.existing(key);
  return group ? f.readValues(*group) : QList<RegValue>();
}

QStringList Registry::subKeys(Hive hive, const QString& key) {
  Hivefile f(hive);
  const auto group = f.existing(key);
  return group ? f.children(*group) : QStringList();
}

bool Registry::setValue(Hive hive, const QString& key, const QString& name, const QString& data, RegType type) {
  QDir().mkpath(rootFolder());
  Hivefile f(hive);
  if (!f.readable())
    return false;
  auto [group, found] = f.resolve(splitKey(key));
  if (group.isEmpty())
    return false;  // values cannot live at the hive root
  f.ensureKeys(group);
  QList<RegValue> vals = f.readValues(group);
  const int i = findValue(vals, name);
  if (i >= 0) {
    vals[i].type = type;
    vals[i].data = data;
  } else {
    vals.append(RegValue{name, type, data});
  }
  f.writeValues(group, vals);
  return f.commit();
}

bool Registry::deleteValue(Hive hive, const QString& key, const QString& name) {
  Hivefile f(hive);
  const auto group = f.existing(key);
  if (!group)
    return false;
  QList<RegValue> vals = f.readValues(*group);
  const int i = findValue(vals, name);
  if (i < 0)
    return false;
  vals.removeAt(i);
  f.writeValues(*group, vals);
  return f.commit();
}

bool Registry::deleteKey(Hive hive, const QString& key) {
  Hivefile f(hive);
  const auto group = f.existing(key);
  if (!group || group->isEmpty() || !f.children(*group).isEmpty())
    return false;
  f.removeGroup(*group);
  return f.commit();
}

bool Registry::deleteTree(Hive hive, const QString& key) {
  Hivefile f(hive);
  const auto group = f.existing(key);
  if (!group || group->isEmpty())
    return false;
  f.removeGroup(*group);
  return f.commit();
}

}  // namespace platform
