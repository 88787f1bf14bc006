// SplitReplyText on any text, plus a round trip: the input's bytes rendered
// as a reply (decimal values joined by tabs) must split back into exactly
// those values and decode back into those characters.

#include <cstdint>

#include "device_protocol/reply_text.h"
#include "fuzz/fuzz_check.h"

using namespace device_protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = fuzzLatin1(data, size);
  const ReplyValues values = SplitReplyText(text);
  qsizetype taken = 0;
  for (const QString& v : values.list()) {
    FUZZ_CHECK(!v.isEmpty() && v.size() <= 3);
    FUZZ_CHECK(!v.contains(u'\t'));
    taken += v.size();
  }
  FUZZ_CHECK(taken <= text.size());
  FUZZ_CHECK(values.value(values.size()).isEmpty());
  FUZZ_CHECK(values.value(-1).isEmpty());
  // Values appear in the text in order.
  qsizetype from = 0;
  for (const QString& v : values.list()) {
    const qsizetype at = text.indexOf(v, from);
    FUZZ_CHECK(at >= from);
    from = at + v.size();
  }

  QStringList rendered;
  QString expectedChars;
  for (size_t i = 0; i < size; ++i) {
    rendered << QString::number(data[i]);
    expectedChars += data[i] == 0 ? QChar(u' ') : QChar(char16_t(data[i]));
  }
  const QString reply = rendered.join(u'\t');
  FUZZ_CHECK(SplitReplyText(reply).list() == rendered);
  FUZZ_CHECK(DecodeReplyText(reply) == expectedChars);
  // A trailing tab changes nothing.
  FUZZ_CHECK(SplitReplyText(reply + u'\t').list() == rendered);
  return 0;
}
