#include "request_text.h"

namespace rlxsim {

std::optional<Bytes> parseRequestText(QStringView text) {
  Bytes out;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    const QChar c = text[i];
    if (c == u' ' || c == u'\t') {
      ++i;
      continue;
    }
    if (c < u'0' || c > u'9')
      return std::nullopt;
    int value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
      value = value * 10 + (text[i].unicode() - u'0');
      if (value > 255)
        return std::nullopt;
    }
    if (i < n && text[i] != u' ' && text[i] != u'\t')
      return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(value));
  }
  if (out.empty())
    return std::nullopt;
  return out;
}

std::optional<Request> parseRequest(QStringView text) {
  const auto values = parseRequestText(text);
  if (!values || values->size() < 2)
    return std::nullopt;
  return Request{(*values)[0], Bytes(values->begin() + 1, values->end())};
}

QString requestText(const Request& request) {
  QString text = QStringLiteral("%1").arg(request.messageCode, 2, 10, QLatin1Char('0'));
  for (std::uint8_t b : request.body)
    text += u' ' + QStringLiteral("%1").arg(int(b), 2, 10, QLatin1Char('0'));
  return text;
}

}  // namespace rlxsim
