#include "array_value.h"

namespace lnssim {

QString joinElements(const QStringList& elements) {
  QStringList quoted;
  for (QString e : elements) {
    e.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    quoted << u'"' + e + u'"';
  }
  return quoted.join(u',');
}

std::optional<QStringList> splitElements(const QString& text) {
  QStringList out;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skipBlanks = [&] {
    while (i < n && text[i] == u' ')
      ++i;
  };
  skipBlanks();
  if (i >= n)
    return std::nullopt;
  while (true) {
    skipBlanks();
    if (i >= n || text[i] != u'"')
      return std::nullopt;
    ++i;
    QString e;
    bool closed = false;
    while (i < n) {
      const QChar c = text[i++];
      if (c == u'\\' && i < n) {
        e += text[i++];
      } else if (c == u'"') {
        closed = true;
        break;
      } else {
        e += c;
      }
    }
    if (!closed)
      return std::nullopt;
    out << e;
    skipBlanks();
    if (i >= n)
      return out;
    if (text[i] != u',')
      return std::nullopt;
    ++i;
  }
}

}  // namespace lnssim
