#pragma once
// Registry stand-in: two hives (machine-wide and per-user), each kept in one
// INI file under the folder named by RLX_REGISTRY_ROOT. Keys are backslash
// paths ("SOFTWARE\LonWorks"); key and value names match without regard to
// case, as the home platform's registry does, and keep the case they were
// created with. Values keep the order in which they were first written.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

enum class Hive { LocalMachine, CurrentUser };

enum class RegType { String, ExpandString, DWord, MultiString, Binary };

QString regTypeName(RegType type);  // "REG_SZ", "REG_DWORD", ...
std::optional<RegType> regTypeFromName(const QString& name);

struct RegValue {
  QString name;  // empty for the key's default value
  RegType type = RegType::String;
  QString data;
};

class Registry {
 public:
  // Folder that holds the hive files: $RLX_REGISTRY_ROOT, or a per-user
  // default under the XDG configuration folder.
  static QString rootFolder();
  static QString hiveFile(Hive hive);

  static bool keyExists(Hive hive, const QString& key);
  // Creates the key and its missing parents; false when the hive cannot be written.
  static bool createKey(Hive hive, const QString& key);
  // Missing key, missing value or unreadable hive: nullopt.
  static std::optional<RegValue> value(Hive hive, const QString& key, const QString& name);
  static QList<RegValue> values(Hive hive, const QString& key);
  // Names of the direct subkeys, in the hive's order (sorted without regard to case).
  static QStringList subKeys(Hive hive, const QString& key);
  // Creates the key when needed. The file is written before the call returns.
  static bool setValue(Hive hive, const QString& key, const QString& name, const QString& data,
                       RegType type = RegType::String);
  static bool deleteValue(Hive hive, const QString& key, const QString& name);
  // Deletes a key that has no subkeys (fails otherwise, like RegDeleteKey).
  static bool deleteKey(Hive hive, const QString& key);
  // Deletes a key and everything below it.
  static bool deleteTree(Hive hive, const QString& key);

  // Splits a backslash path into its components, dropping empty ones.
  static QStringList splitKey(const QString& key);
};

}  // namespace platform
