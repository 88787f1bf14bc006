#pragma once
// The code tables of the device's replies: telephone states, connection
// details and hang-up causes, and the decoding of the statistics reply.
// Codes are compared as text, exactly as they stand in the reply, so a code
// written with a leading zero or blank ("09", " 9") matches nothing.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "device_protocol/reply_text.h"

namespace device_protocol {

inline constexpr char kTelNotInUse[] = "TEL_NOTINUSE";
inline constexpr char kTelTalking[] = "TEL_TALKING";

// The name of a telephone state code ("0" -> "TEL_NOTINUSE", "9" ->
// "TEL_TALKING", ...); no value for a code outside the table, which leaves
// what a window shows unchanged.
std::optional<QString> TelephoneState(const QString& code);

// Connect speed (value 3 of the connection reply): "9" -> "9600"; "" for a
// code without a text.
QString ConnectSpeedTable(const QString& code);
// Modulation (value 4): "1" -> "V.32"; "" for a code without a text.
QString ModulationText(const QString& code);
// Error correction (value 5): "3" -> "V.42/V.42bis"; "1" and unknown codes "".
QString ErrorCorrectionText(const QString& code);

// "Connect" followed by a blank and the text of each code that has one:
// "9", "1", "3" gives "Connect 9600 V.32 V.42/V.42bis"; "14", "3", "1" gives
// "Connect".
QString ConnectionLine(const QString& speed, const QString& modulation, const QString& errorCorrection);
// The same from a connection reply's values 3, 4 and 5. A failure text splits
// into values that match no code, so it yields "Connect".
QString ConnectionLine(const ReplyValues& values);

// The text of a hang-up cause code "1" to "9"; "" for anything else.
QString HangupCauseText(const QString& code);

// The statistics reply of a modem ("00 01 61 " + S + " 00"), by value.
struct ConnectionStatistics {
  QString lastCause;               // value 3 through HangupCauseText
  std::array<QString, 9> hangups;  // values 4 to 12: hang-ups of causes 1 to 9
  QString successfulConnections;   // value 13
  QString retrainAttempts;         // value 14
};
ConnectionStatistics StatisticsFromReply(const ReplyValues& values);

}  // namespace device_protocol
