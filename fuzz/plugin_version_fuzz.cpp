// The registered Version value, as any installer may have left it: its
// leading number and its (major, minor) read without crashing, never
// negative, and a version written as "<major>.<minor two digits>" reads back.

#include "fuzz/fuzz_check.h"
#include "host/registration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = fuzzLatin1(data, size);
  FUZZ_CHECK(registration::LeadingNumber(text) >= 0);
  const auto [major, minor] = registration::ParseVersion(text);
  FUZZ_CHECK(major >= 0 && minor >= 0);
  if (size >= 2) {
    const int a = data[0] % 100, b = data[1] % 100;
    const auto [ma, mi] = registration::ParseVersion(QStringLiteral("%1.%2").arg(a).arg(b, 2, 10, QLatin1Char('0')));
    FUZZ_CHECK(ma == a && mi == b);
  }
  return 0;
}
