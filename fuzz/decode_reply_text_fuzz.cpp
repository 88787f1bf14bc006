// DecodeReplyText and the two decoders built on it, on any UTF-8 text.

#include <cstdint>

#include "device_protocol/reply_text.h"
#include "fuzz/fuzz_check.h"

using namespace device_protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString decoded = DecodeReplyText(text);
  FUZZ_CHECK(decoded.size() == SplitReplyText(text).size());
  for (QChar c : decoded) {
    FUZZ_CHECK(c.unicode() >= 1 && c.unicode() <= 255);  // a 0 value is a blank, never NUL
  }

  const QString number = PhonebookNumberFromReply(text);
  FUZZ_CHECK(number.size() == std::max<qsizetype>(0, decoded.size() - 6));
  FUZZ_CHECK(number == decoded.mid(5, number.size()));

  const QString firmware = FirmwareTextFromReply(text);
  FUZZ_CHECK(firmware.size() == std::max<qsizetype>(0, decoded.size() - 3));
  FUZZ_CHECK(decoded.endsWith(firmware));

  // The failure test and the other predicates never disagree with each other.
  if (IsFailureReply(text)) {
    FUZZ_CHECK(!ModemIsReady(text));
    FUZZ_CHECK(!IsNotSupportedReply(text));
  }
  return 0;
}
