#pragma once
// Ring mode: the parameters as the device (explicit family) and the
// "UCPT_RingMode" property (LonMark family) hold them, and the entries of a
// ring status query. The request texts are in requests.h.

#include <QString>
#include <array>

#include "device_protocol/reply_text.h"

namespace device_protocol {

// The four fields of the ring mode window, as texts.
struct RingModeParameters {
  bool enabled = false;
  QString unitId;
  QString propagationDelay;  // milliseconds; "2000" when the device holds 0
  QString testInterval;      // milliseconds; "10000" when the device holds 0

  friend bool operator==(const RingModeParameters&, const RingModeParameters&) = default;
};

// The reply to the ring mode read of the explicit family (test it with
// IsFailureReply and IsNotSupportedReply first). Every value of one character
// is padded to two ("5" -> "05"); value 4 "01" means enabled; value 5 is the
// unit ID as padded; delay = value 6 * 256 + value 7 and interval = value 8 *
// 256 + value 9, shown as "2000" / "10000" when zero. Values missing from a
// short reply read as empty (unit) or 0 (times).
RingModeParameters RingModeFromReply(const QString& reply);

// The "UCPT_RingMode" text split at commas: the first three commas each end a
// value, everything after the third comma is the fourth value. Missing values
// are empty; values are not trimmed here.
std::array<QString, 4> SplitRingModeProperty(const QString& text);

// The parameters of a "UCPT_RingMode" text: trimmed values; value 0
// "Disable" means disabled, anything else enabled; a delay or interval of "0"
// shows the default "2000" / "10000".
RingModeParameters RingModeFromProperty(const QString& text);

// The text written to "UCPT_RingMode": "Enable," or "Disable," + unit + "," +
// delay + "," + interval, e.g. "Enable,5,2000,10000".
QString RingModePropertyText(bool enabled, const QString& unitId, const QString& propagationDelay,
                             const QString& testInterval);

// One reply of a ring status query, from the values of SplitReplyText (values
// 4 to 16, each trimmed). Numbers are the value's leading digits (0 when it
// has none, so a short reply gives zeros and false).
struct RingStatusEntry {
  int UnitId = 0;            // value 4; 255 marks the end of the list
  QString NeuronIdText;      // values 5 to 10, see NeuronIdText()
  int FallbackEndUnit = 0;   // value 11
  bool InRingMode = false;   // value 12, nonzero = true
  bool TestRunning = false;  // value 13
  bool RingClosed = false;   // value 14
  int OpenEndCountA = 0;     // value 15
  int OpenEndCountB = 0;     // value 16

  friend bool operator==(const RingStatusEntry&, const RingStatusEntry&) = default;
};
RingStatusEntry RingStatusEntryFromReply(const ReplyValues& values);

// True when value 4 of a ring status reply is "255": the last device of the
// ring has answered.
bool IsLastRingStatusReply(const ReplyValues& values);

// The Neuron ID of values 5 to 10: two upper-case hexadecimal digits per byte,
// the high four bits first ("0", "161", "15" ... -> "00A10F..."), the form the
// network database stores. A value that is not a number counts as 0; only the
// low eight bits of a larger one are used.
QString NeuronIdText(const ReplyValues& values);

}  // namespace device_protocol
