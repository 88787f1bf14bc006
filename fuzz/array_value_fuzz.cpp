// The text of an array property as the database holds it: what splits joins
// back to an equal text's elements, and any elements (input lines) survive a
// join and a split unchanged.

#include "fuzz/fuzz_check.h"
#include "lonworks/object_server/array_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = fuzzLatin1(data, size);
  if (const auto elements = lnssim::splitElements(text)) {
    const auto again = lnssim::splitElements(lnssim::joinElements(*elements));
    FUZZ_CHECK(again.has_value() && *again == *elements);
  }
  const QStringList elements = fuzzFields(data, size);
  const auto back = lnssim::splitElements(lnssim::joinElements(elements));
  FUZZ_CHECK(back.has_value() && *back == elements);
  return 0;
}
