#pragma once
// A property check inside a fuzz target: a violated property aborts, which
// libFuzzer reports as a crash with the input, and the corpus replay reports
// as a failed test.

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

// Each byte as one character (0 to 255), so positions match the input.
inline QString fuzzLatin1(const uint8_t* data, size_t size) {
  return QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
}

#include <QStringList>

// The input cut at every separator byte into texts (Latin-1, byte for byte):
// how a target turns one input into several arguments.
inline QStringList fuzzFields(const uint8_t* data, size_t size, char separator = '\n') {
  return fuzzLatin1(data, size).split(QLatin1Char(separator));
}
