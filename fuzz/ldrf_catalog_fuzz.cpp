// A resource catalog (ldrf.cat) of any content: it opens or is refused; an
// opened catalog lists its directories, takes one more and lists it.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz/fuzz_check.h"
#include "lonworks/device_resources/ldrf_standin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  static lonworks::LdrfStandInFactory factory;
  {
    QFile f(dir.path() + QStringLiteral("/ldrf.cat"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return 0;
    f.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  auto catalog = factory.createCatalog();
  qint32 value = 0, handle = 0;
  if (catalog->OpenCatalog(dir.path(), value, handle) != 0)
    return 0;
  qint32 v1 = 0, count = 0, v3 = 0, v4 = 0, v5 = 0, v6 = 0;
  FUZZ_CHECK(catalog->GetCatalogInfo(handle, v1, count, v3, v4, v5, v6) == 0);
  FUZZ_CHECK(count >= 0);
  for (qint16 i = 0; i < qMin<qint32>(count, 50); ++i) {
    QString path;
    FUZZ_CHECK(catalog->CatalogGetDir(handle, i, path) == 0);
  }
  const QString mine = QStringLiteral("C:\\LonWorks\\types\\user\\ZEV\\");
  if (catalog->CatalogAddDir(handle, mine) == 0) {
    FUZZ_CHECK(catalog->GetCatalogInfo(handle, v1, count, v3, v4, v5, v6) == 0);
    bool listed = false;
    for (qint16 i = 0; i < count && i < 32767; ++i) {
      QString path;
      if (catalog->CatalogGetDir(handle, i, path) == 0 && path.compare(mine, Qt::CaseInsensitive) == 0)
        listed = true;
    }
    FUZZ_CHECK(listed);
  }
  FUZZ_CHECK(catalog->CloseCatalog(handle) == 0);
  return 0;
}
