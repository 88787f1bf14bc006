// The request builders that take outside text (dial strings, phonebook
// numbers, ring mode fields): whatever the text, a request is blank-separated
// decimal byte values, and the character codes read back as the text.

#include <cstdint>
#include <cstring>

#include <QStringList>

#include "device_protocol/requests.h"
#include "fuzz/fuzz_check.h"

using namespace device_protocol;

namespace {

// Every blank-separated token (runs of blanks count as one separator) is a
// decimal number of at most three digits and at most 255.
bool allBytes(const QString& request) {
  const QStringList tokens = request.split(u' ', Qt::SkipEmptyParts);
  if (tokens.isEmpty())
    return false;
  for (const QString& t : tokens) {
    if (t.isEmpty() || t.size() > 3)
      return false;
    for (QChar c : t)
      if (c < u'0' || c > u'9')
        return false;
    if (t.toInt() > 255)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

  const QString codes = DialStringCodes(text);
  FUZZ_CHECK(allBytes(codes));
  const QStringList tokens = codes.split(u' ');
  FUZZ_CHECK(tokens.size() == text.size() + 1);
  FUZZ_CHECK(tokens.last() == QLatin1StringView("0"));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    FUZZ_CHECK(tokens[i].toInt() == (c <= 255 ? int(c) : int('?')));
  }

  for (int entry : {0, 5, 63}) {
    FUZZ_CHECK(allBytes(StoreEntry(entry, text)));
    FUZZ_CHECK(allBytes(StoreEntryResync(entry, text)));
  }
  FUZZ_CHECK(allBytes(DialNumber(ModemSelector::External2, text)));

  int32_t delay = 0;
  int32_t interval = 0;
  if (size >= 8) {
    std::memcpy(&delay, data, 4);
    std::memcpy(&interval, data + 4, 4);
  }
  const bool timesFit = delay >= 0 && delay <= 65535 && interval >= 0 && interval <= 65535;
  for (const QString& unit : {text, text.left(3), QString::number(size % 300)}) {
    if (const auto apply = RingModeApply((size & 1) != 0, unit, delay, interval)) {
      FUZZ_CHECK(timesFit);
      FUZZ_CHECK(allBytes(*apply));
      FUZZ_CHECK(apply->split(u' ').size() == 11);
    }
  }
  return 0;
}
