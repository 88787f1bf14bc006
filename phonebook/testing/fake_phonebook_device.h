#pragma once
// A device with a phonebook, for the tests: it understands the phonebook's
// store and read messages the way the RLX does (any run of blanks separates
// values, leading zeros carry no meaning), keeps 64 entries, records every
// request and fails on demand.

#include <QString>
#include <QStringList>
#include <functional>

namespace phonebook_testing {

class FakePhonebookDevice {
 public:
  FakePhonebookDevice() : entries(64) {}

  // The device's answer to one request (what the control returns).
  QString Send(const QString& request);
  std::function<QString(const QString&)> sender() {
    return [this](const QString& r) { return Send(r); };
  }

  // The read reply of an entry: five leading values, the number's codes, a terminator.
  static QString ReadReply(int entry, const QString& number);

  QStringList entries;
  QStringList requests;
  bool hasPhonebook = true;
  // From this request on (counted from 0 over all requests), every request
  // fails with failureText; -1 never.
  int failFromRequest = -1;
  // Requests addressing an entry from this one on fail; -1 never.
  int failFromEntry = -1;
  QString failureText = QStringLiteral("Message Timeout");
  // Requests the device did not understand.
  int unknownRequests = 0;
};

}  // namespace phonebook_testing
