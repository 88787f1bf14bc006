// NumericPrefix on any text: never negative or NaN, unaffected by leading
// blanks or by what follows the number, and exact for plain integers.

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "device_protocol/reply_text.h"
#include "fuzz/fuzz_check.h"

using namespace device_protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = fuzzLatin1(data, size);
  const double value = NumericPrefix(text);
  FUZZ_CHECK(!std::isnan(value));
  FUZZ_CHECK(value >= 0.0);
  FUZZ_CHECK(NumericPrefix(QStringLiteral("  ") + text) == value);
  FUZZ_CHECK(NumericPrefix(text + u'x') == value);

  const int whole = NumericPrefixInt(text);
  FUZZ_CHECK(whole >= 0);
  FUZZ_CHECK(double(whole) <= value);
  FUZZ_CHECK(whole == INT_MAX || value - double(whole) < 1.0);

  // A text whose first non-blank character cannot start a number reads as 0.
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ')
    ++i;
  if (i < text.size() && !(text[i] >= u'0' && text[i] <= u'9') && text[i] != u'.')
    FUZZ_CHECK(value == 0.0);

  // Plain integers read back exactly, whatever follows a non-digit.
  if (size >= 4) {
    uint32_t n = 0;
    std::memcpy(&n, data, 4);
    const QString written = QString::number(n);
    FUZZ_CHECK(NumericPrefix(written) == double(n));
    FUZZ_CHECK(NumericPrefix(written + u'x' + text) == double(n));
    FUZZ_CHECK(NumericPrefixInt(written) == (n > uint32_t(INT_MAX) ? INT_MAX : int(n)));
  }
  return 0;
}
