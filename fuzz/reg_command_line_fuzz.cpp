// The `reg` command with any arguments (one per input line) against a private
// registry: it answers with an exit code of 0 or 1 and never crashes.

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "fuzz/fuzz_check.h"
#include "platform/reg/reg_command.h"
#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir root;
  static const bool rooted = qputenv("RLX_REGISTRY_ROOT", QFile::encodeName(root.path()));
  (void)rooted;
  // What earlier inputs added stays, within bounds.
  for (platform::Hive h : {platform::Hive::LocalMachine, platform::Hive::CurrentUser})
    if (QFileInfo(platform::Registry::hiveFile(h)).size() > 64 * 1024)
      QFile::remove(platform::Registry::hiveFile(h));
  QStringList args = fuzzFields(data, size);
  QString outText, errText, inText = QStringLiteral("y\nn\n");
  QTextStream out(&outText), err(&errText), in(&inText);
  const int rc = platform::runRegCommand(args, platform::RegIo{out, err, in});
  FUZZ_CHECK(rc == 0 || rc == 1);
  return 0;
}
