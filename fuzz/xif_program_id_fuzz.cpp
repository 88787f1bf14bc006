// Reading the program identifier of a file of any content: the answer is
// never longer than 16 characters (shorter only when the identifier line is
// malformed, so it matches no identifier), and the "RLX" family's answer is
// the fixed hexadecimal one.

#include <QFile>
#include <QTemporaryDir>

#include "fuzz/fuzz_check.h"
#include "host/walkdir.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/fuzz.XIF");
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return 0;
    f.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  const QString id = WalkDir::ReadXifProgramId(path);
  FUZZ_CHECK(id.size() <= 16);
  FUZZ_CHECK(!id.startsWith(QLatin1String("RLX")));
  return 0;
}
