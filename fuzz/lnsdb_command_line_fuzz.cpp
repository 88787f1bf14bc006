// rlx-lnsdb's command line, one argument per input line, against a network
// database of its own (the demo network, made again when a command removed
// it): every command line ends with an exit code of 0, 1 or 2, and the
// database can still be listed afterwards.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "fuzz/fuzz_check.h"
#include "lonworks/object_server/lnsdb_cli.h"
#include "platform/registry.h"

namespace {

int Run(const QStringList& args) {
  QString outText, errText;
  QTextStream out(&outText), err(&errText);
  return lnsdb::allCommands().run(args, out, err);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir root;
  static const QString tree = root.path() + QStringLiteral("/LonWorks");
  static const bool ready = [] {
    qputenv("RLX_REGISTRY_ROOT", QFile::encodeName(root.path() + QStringLiteral("/registry")));
    QDir().mkpath(tree + QStringLiteral("/Database"));
    // The routers' interface files, where the demo network looks for them.
    QDir().mkpath(tree + QStringLiteral("/Import"));
    for (const char* xif : {"Rlxtlc32.xif", "Rlxtlc20.xif"})
      QFile::copy(QStringLiteral(RLX_FUZZ_SOURCE_DIR "/resources/xif/") + QLatin1String(xif),
                  tree + QStringLiteral("/Import/") + QLatin1String(xif));
    return platform::Registry::setValue(platform::Hive::LocalMachine, QStringLiteral("SOFTWARE\\LonWorks"),
                                        QStringLiteral("LonWorks Path"), tree);
  }();
  FUZZ_CHECK(ready);
  if (Run({QStringLiteral("list"), QStringLiteral("networks")}) != 0) {
    QFile::remove(tree + QStringLiteral("/Database/lns.db"));
    FUZZ_CHECK(Run({QStringLiteral("demo")}) == 0);
  }
  const int rc = Run(fuzzFields(data, size));
  FUZZ_CHECK(rc >= 0 && rc <= 2);
  return 0;
}
