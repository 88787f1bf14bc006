#include "device_protocol/reply_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace device_protocol {

namespace {

constexpr QChar kTab = u'\t';

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// A value of a reply as a byte: one to three ASCII digits, at most 255.
// Anything else gives -1.
int byteValue(QStringView value) {
  if (value.isEmpty() || value.size() > 3)
    return -1;
  int n = 0;
  for (QChar c : value) {
    if (!isAsciiDigit(c))
      return -1;
    n = n * 10 + (c.unicode() - u'0');
  }
  return n <= 255 ? n : -1;
}

}  // namespace

bool IsFailureReply(const QString& reply) {
  return reply == QLatin1StringView(kMessageFailed) || reply == QLatin1StringView(kMessageTimeout);
}

bool IsNotSupportedReply(const QString& reply) { return reply == QLatin1StringView("2"); }

bool ModemIsReady(const QString& reply) { return reply.endsWith(u'0'); }

bool InternalModemFitted(const QString& reply) { return reply.endsWith(u'1'); }

ReplyValues SplitReplyText(const QString& reply) {
  QStringList values;
  const QChar* p = reply.constData();
  const qsizetype n = reply.size();
  values.reserve(n / 2 + 1);
  qsizetype i = 0;
  while (i < n) {
    if (p[i] == kTab) {
      ++i;
      continue;
    }
    qsizetype len = 1;
    while (len < 3 && i + len < n && p[i + len] != kTab)
      ++len;
    values.append(QString(p + i, len));
    i += len;
    if (len == 3)
      ++i;  // the character after a three-character value is dropped
  }
  return ReplyValues(std::move(values));
}

QString DecodeReplyText(const QString& reply) {
  const ReplyValues values = SplitReplyText(reply);
  QString text;
  text.reserve(values.size());
  for (const QString& v : values.list()) {
    const int code = byteValue(v);
    if (code == 0)
      text.append(u' ');
    else if (code > 0)
      text.append(QChar(char16_t(code)));
    else
      text.append(u'?');
  }
  return text;
}

double NumericPrefix(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ')
    ++i;
  // Collect the digits and at most one decimal point as plain ASCII.
  std::string number;
  bool point = false;
  bool digits = false;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (isAsciiDigit(c)) {
      digits = true;
      number.push_back(char(c.unicode()));
    } else if (c == u'.' && !point) {
      point = true;
      number.push_back('.');
    } else {
      break;
    }
  }
  if (!digits)
    return 0.0;
  if (number.back() == '.')
    number.pop_back();
  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Only an overlong integer part overflows; tiny fractions underflow to 0.
    const auto dot = number.find('.');
    const std::string whole = number.substr(0, dot);
    const bool allZero = whole.find_first_not_of('0') == std::string::npos;
    return allZero ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return value;
}

int NumericPrefixInt(const QString& text) {
  const double v = NumericPrefix(text);
  if (!(v < double(INT_MAX)))
    return INT_MAX;
  return int(v);
}

QString PhonebookNumberFromReply(const QString& reply) {
  const QString decoded = DecodeReplyText(reply);
  if (decoded.size() <= 6)
    return QString();
  return decoded.mid(5, decoded.size() - 6);
}

QString FirmwareTextFromReply(const QString& reply) {
  const QString decoded = DecodeReplyText(reply);
  return decoded.size() > 3 ? decoded.mid(3) : QString();
}

}  // namespace device_protocol
