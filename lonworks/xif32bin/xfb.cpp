#include "xfb.h"

#include <QDataStream>
#include <QFile>

#include "host/lns/lns.h"
#include "platform/safe_file.h"

namespace xif32bin {

namespace {
const QByteArray kMagic = QByteArrayLiteral("XFB1");
constexpr qint32 kMaxItems = 100000;
}  // namespace

QByteArray EncodeXfb(const lnssim::XifInterface& xif) {
  QByteArray out;
  QDataStream s(&out, QIODevice::WriteOnly);
  s.setVersion(QDataStream::Qt_6_0);
  s.writeRawData(kMagic.constData(), kMagic.size());
  s << xif.programId;
  s << qint32(xif.objects.size());
  for (const auto& o : xif.objects)
    s << o.index << o.name << o.profile;
  s << qint32(xif.variables.size());
  for (const auto& v : xif.variables)
    s << v.name << v.nvIndex << v.objectIndex << v.input << v.type;
  s << qint32(xif.properties.size());
  for (const auto& p : xif.properties)
    s << p.name << p.objectIndex << p.elementCount << p.defaultValue;
  return out;
}

std::optional<lnssim::XifInterface> DecodeXfb(const QByteArray& bytes) {
  if (!bytes.startsWith(kMagic))
    return std::nullopt;
  QDataStream s(bytes.mid(kMagic.size()));
  s.setVersion(QDataStream::Qt_6_0);
  lnssim::XifInterface xif;
  qint32 n = 0;
  s >> xif.programId >> n;
  if (n < 0 || n > kMaxItems)
    return std::nullopt;
  for (qint32 i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
    lnssim::XifObject o;
    s >> o.index >> o.name >> o.profile;
    xif.objects << o;
  }
  s >> n;
  if (n < 0 || n > kMaxItems)
    return std::nullopt;
  for (qint32 i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
    lnssim::XifVariable v;
    s >> v.name >> v.nvIndex >> v.objectIndex >> v.input >> v.type;
    xif.variables << v;
  }
  s >> n;
  if (n < 0 || n > kMaxItems)
    return std::nullopt;
  for (qint32 i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
    lnssim::XifProperty p;
    s >> p.name >> p.objectIndex >> p.elementCount >> p.defaultValue;
    xif.properties << p;
  }
  if (s.status() != QDataStream::Ok || !s.atEnd())
    return std::nullopt;
  return xif;
}

int Compile(const QString& inPath, const QString& outPath, QString* why) {
  lnssim::XifInterface xif;
  try {
    xif = lnssim::readXifFile(inPath);
  } catch (const lns::LnsError& e) {
    *why = e.description();
    return 1;
  }
  // A failed write leaves no output file (or the previous one): registration
  // takes an existing .XFB as compiled.
  QString reason;
  if (platform::WriteFileAtomically(outPath, EncodeXfb(xif), &reason))
    return 0;
  *why = QStringLiteral("cannot write %1: %2").arg(outPath, reason);
  return 3;
}

}  // namespace xif32bin
