#include "phonebook/testing/fake_phonebook_device.h"

namespace phonebook_testing {

QString FakePhonebookDevice::ReadReply(int entry, const QString& number) {
  QStringList values = {QStringLiteral("1"), QStringLiteral("102"), QStringLiteral("0"), QStringLiteral("2"),
                        QString::number(entry)};
  for (QChar c : number)
    values << QString::number(c.unicode());
  values << QStringLiteral("0");
  return values.join(u'\t');
}

QString FakePhonebookDevice::Send(const QString& request) {
  const int n = static_cast<int>(requests.size());
  requests << request;
  if (failFromRequest >= 0 && n >= failFromRequest)
    return failureText;
  const QStringList v = request.split(u' ', Qt::SkipEmptyParts);
  auto num = [&](int i) { return i < v.size() ? v.at(i).toInt() : -1; };
  if (v.size() < 6 || num(0) != 0 || num(1) != 1 || num(2) != 66 || num(3) != 0) {
    ++unknownRequests;
    return QStringLiteral("1\t0\t255");
  }
  if (!hasPhonebook)
    return QStringLiteral("2");
  const int entry = num(5);
  if (entry < 0 || entry >= entries.size()) {
    ++unknownRequests;
    return QStringLiteral("1\t66\t255");
  }
  if (failFromEntry >= 0 && entry >= failFromEntry)
    return failureText;
  if (num(4) == 2)
    return ReadReply(entry, entries.at(entry));
  if (num(4) == 1) {
    QString number;
    for (int i = 6; i < v.size(); ++i) {
      const int code = v.at(i).toInt();
      if (code == 0)
        break;
      number.append(QChar(char16_t(code)));
    }
    entries[entry] = number;
    return QStringLiteral("1\t102\t0");
  }
  ++unknownRequests;
  return QStringLiteral("1\t66\t255");
}

}  // namespace phonebook_testing
