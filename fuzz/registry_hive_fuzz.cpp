// A registry hive file of any content (a damaged or hand-edited INI file):
// every key and value can be listed and read, and a value written then reads
// back as written.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz/fuzz_check.h"
#include "platform/registry.h"

using platform::Hive;
using platform::Registry;

namespace {

void Walk(const QString& key, int depth, int* budget) {
  if (depth > 6 || --*budget < 0)
    return;
  for (const platform::RegValue& v : Registry::values(Hive::LocalMachine, key)) {
    const auto again = Registry::value(Hive::LocalMachine, key, v.name);
    FUZZ_CHECK(again.has_value());
  }
  for (const QString& child : Registry::subKeys(Hive::LocalMachine, key)) {
    FUZZ_CHECK(!child.isEmpty());
    Walk(key.isEmpty() ? child : key + u'\\' + child, depth + 1, budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir root;
  static const bool rooted = qputenv("RLX_REGISTRY_ROOT", QFile::encodeName(root.path()));
  (void)rooted;
  const QString hive = Registry::hiveFile(Hive::LocalMachine);
  QFile::remove(hive);
  {
    QFile f(hive);
    if (!f.open(QIODevice::WriteOnly))
      return 0;
    f.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  int budget = 200;
  Walk(QString(), 0, &budget);
  const QString key = QStringLiteral("SOFTWARE\\Zev Products Inc\\RLX_PLUG");
  const QString text = QStringLiteral("a, \"b\"\\c=%1;").arg(size);
  if (Registry::setValue(Hive::LocalMachine, key, QStringLiteral("Path"), text)) {
    const auto back = Registry::value(Hive::LocalMachine, key, QStringLiteral("Path"));
    FUZZ_CHECK(back.has_value() && back->data == text);
  }
  return 0;
}
