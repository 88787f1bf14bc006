// Opening a device-resource language file of any content: it opens or it
// does not, every lookup answers, and closing releases the handle.

#include <QFile>
#include <QTemporaryDir>

#include "fuzz/fuzz_check.h"
#include "lonworks/device_resources/ldrf_standin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  static lonworks::LdrfStandInFactory factory;
  const QString path = dir.path() + QStringLiteral("/Zev.enu");
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return 0;
    f.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  auto general = factory.createGeneral();
  auto lang = factory.createLangRsrc();
  qint32 handle = 0;
  if (general->OpenFile(path, 2, 0, 0, handle) != 0)
    return 0;
  for (qint16 index : {qint16(0), qint16(7), qint16(8), qint16(9), qint16(10), qint16(96), qint16(32767), qint16(-1)}) {
    QString text;
    const int rc = lang->GetResourceString(handle, index, text);
    if (index < 0)
      FUZZ_CHECK(rc != 0);
  }
  FUZZ_CHECK(general->CloseFile(handle) == 0);
  QString text;
  FUZZ_CHECK(lang->GetResourceString(handle, 9, text) != 0);
  return 0;
}
