#pragma once
// Dial modes: the "UCPT_DialMode" property texts of the LonMark family and
// the dial-mode reply of the explicit family. The explicit requests are in
// requests.h.

#include <QString>
#include <array>
#include <optional>

#include "device_protocol/reply_text.h"

namespace device_protocol {

enum class DialMode { Manual, Perpetual, DialOnDemand };

// "MANUAL,0,0,0,0,0,0,0,0,0,0"
QString DialModeManualText();
// "MANUAL," + entry + ",0,0,0,0,0,0,0,0,0": written when the operator dials
// phonebook entry `entry` (0-based) by hand.
QString DialModeManualEntryText(int entry);
// "PERPETUAL," + entry + ",0,0,0,0,0,0,0,0,0"
QString DialModePerpetualText(int entry);
// "DOD," + first + "," + last + "," + hang time + "," + retries +
// ",0,0,0,0,0,0", the four texts as the dialog shows them.
QString DialModeDodText(const QString& firstEntry, const QString& lastEntry, const QString& hangTime,
                        const QString& retries);

// A "UCPT_DialMode" text as read: first six characters "MANUAL" is manual,
// else first three "DOD" is dial on demand, else perpetual.
struct DialModeSetting {
  DialMode mode = DialMode::Manual;
  // The numeric value of the text between the first and the second comma
  // (0 when there is no comma); the entry of perpetual mode.
  int entry = 0;
  // The second to fifth fields (first entry, last entry, hang time, retries),
  // as texts; empty where the text has fewer fields. Used for dial on demand.
  std::array<QString, 4> dodFields;

  friend bool operator==(const DialModeSetting&, const DialModeSetting&) = default;
};
DialModeSetting ParseDialModeText(const QString& text);

// The reply to ReadDialMode (explicit family): value 4 is the mode ("0"
// manual, anything else perpetual) and value 5 the perpetual entry, kept as
// text (it names the entry's record). No value for a reply without value 4,
// so that the window keeps the marks it shows.
struct ExplicitDialMode {
  bool perpetual = false;
  QString entry;

  friend bool operator==(const ExplicitDialMode&, const ExplicitDialMode&) = default;
};
std::optional<ExplicitDialMode> ExplicitDialModeFromReply(const QString& reply);

}  // namespace device_protocol
