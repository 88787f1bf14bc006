// Reading the program identifier of a file of any content: the answer is
// empty or 16 characters long, and the "RLX" family's answer is the fixed one.

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
  FUZZ_CHECK(id.isEmpty() || id.size() == 16);
  if (id.startsWith(QLatin1String("RLX")))
    FUZZ_CHECK(false);  // the family's text form always reads as its hexadecimal identifier
  return 0;
}
