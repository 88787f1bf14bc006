#pragma once
// The text form of a device reply: decimal byte values separated by tab
// characters, or one of the two failure texts the explicit message control
// returns instead of a reply. Everything here is a pure function of its input.

#include <QString>
#include <QStringList>
#include <utility>

namespace device_protocol {

// The two texts that are reports, not replies.
inline constexpr char kMessageFailed[] = "Message Failed";
inline constexpr char kMessageTimeout[] = "Message Timeout";

// True exactly when the whole reply is "Message Failed" or "Message Timeout"
// (case-sensitive). Any other text, the empty one included, is a reply.
bool IsFailureReply(const QString& reply);

// A reply consisting of the single value "2": the device has no ring mode
// (answer to the ring mode read) or no phonebook (answer to the phonebook probe).
bool IsNotSupportedReply(const QString& reply);

// The modem status reply ends in "0" when the modem is ready. Neither failure
// text ends in "0", so a failure is never read as ready.
bool ModemIsReady(const QString& reply);

// The answer to "00 01 73 02" ends in "1" when the internal modem is fitted.
bool InternalModemFitted(const QString& reply);

// The values of a reply, numbered from 0, each a text of at most three
// characters. Reading past the end gives the empty text, so a short reply
// reads as empty fields rather than failing.
class ReplyValues {
 public:
  ReplyValues() = default;
  explicit ReplyValues(QStringList values) : values_(std::move(values)) {}

  QString value(qsizetype n) const { return n >= 0 && n < values_.size() ? values_.at(n) : QString(); }
  QString operator[](qsizetype n) const { return value(n); }
  qsizetype size() const { return values_.size(); }
  bool isEmpty() const { return values_.isEmpty(); }
  const QStringList& list() const { return values_; }

  friend bool operator==(const ReplyValues&, const ReplyValues&) = default;

 private:
  QStringList values_;
};

// Splits a reply into its values. Walking the text from the start: a tab is
// skipped; any other character starts a value that takes it and, while the
// next character is not a tab, up to two more (three at most). After a value
// of three characters the next character is skipped as well, so a four-digit
// run "1234" yields "123" and drops the "4". Tabs never produce empty values.
ReplyValues SplitReplyText(const QString& reply);

// Turns every value of the reply into the character with that code, in order.
// A value of 0 becomes a blank. A value that is not a byte (non-digits, or
// above 255) becomes "?", the same stand-in the platform's text conversion
// uses for a character it cannot represent.
QString DecodeReplyText(const QString& reply);

// Reads a text as a number the way the windows do: leading blanks are skipped,
// then digits with at most one decimal point are read up to the first other
// character. No digits give 0. " 3.10" gives 3.1, "0A" gives 0, "-5" gives 0.
// A run of digits too long for a double gives +infinity.
double NumericPrefix(const QString& text);

// NumericPrefix cut to a whole number and held within 0..INT_MAX, for the
// places that use the value as a count or an index.
int NumericPrefixInt(const QString& text);

// The stored number of a phonebook read reply: the decoded reply without its
// first five characters and its last one. Empty when nothing follows the first
// five; a reply that decodes to fewer characters is an empty entry too.
// Test the reply with IsFailureReply first.
QString PhonebookNumberFromReply(const QString& reply);

// The firmware text of the presence-probe reply ("00 01 48 00"): the decoded
// reply without its first three characters; empty when it has three or fewer.
QString FirmwareTextFromReply(const QString& reply);

}  // namespace device_protocol
