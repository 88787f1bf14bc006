// Parsing an external interface file of any content: it either yields an
// interface whose program identifier is 16 upper-case hexadecimal digits, or
// fails with an import error; and the compiled binary form reads back equal.

#include <QByteArray>
#include <QRegularExpression>

#include "fuzz/fuzz_check.h"
#include "host/lns/lns.h"
#include "lonworks/object_server/xif.h"
#include "lonworks/xif32bin/xfb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
  try {
    const lnssim::XifInterface xif = lnssim::parseXif(text, QStringLiteral("fuzz.xif"));
    static const QRegularExpression hex(QStringLiteral("^[0-9A-F]{16}$"));
    FUZZ_CHECK(hex.match(xif.programId).hasMatch());
    for (const auto& p : xif.properties)
      FUZZ_CHECK(p.elementCount >= 1 && p.elementCount <= lnssim::kMaxElementCount);
    const auto back = xif32bin::DecodeXfb(xif32bin::EncodeXfb(xif));
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(back->programId == xif.programId);
    FUZZ_CHECK(back->objects.size() == xif.objects.size());
    FUZZ_CHECK(back->variables.size() == xif.variables.size());
    FUZZ_CHECK(back->properties.size() == xif.properties.size());
  } catch (const lns::LnsError& e) {
    FUZZ_CHECK(e.number() == lns::kErrImport);
  }
  // Decoding arbitrary bytes as a binary form never crashes.
  (void)xif32bin::DecodeXfb(text);
  return 0;
}
