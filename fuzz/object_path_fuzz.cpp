// A director's object name of any content: it is cut into path elements, no
// element holds a "/", and past the end of the path every element is empty.

#include "fuzz/fuzz_check.h"
#include "host/attach.h"
#include "host/mmain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString name = fuzzLatin1(data, size);
  attach::SplitPath(name);
  const int count = static_cast<int>(MMain.ObjectPath.size());
  FUZZ_CHECK(count <= name.count(u'/') + 1);
  for (int k = 0; k <= count + 1; ++k) {
    const QString element = attach::PathElement(k);
    FUZZ_CHECK(!element.contains(u'/'));
    if (k == 0 || k > count)
      FUZZ_CHECK(element.isEmpty());
  }
  return 0;
}
