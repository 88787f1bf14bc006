#pragma once
// The device's three modems, the one-byte selector that names a modem in a
// request, and the rules that turn a modem name shown in a window into a
// selector. The rules differ by caller (which selector an unknown or empty
// name yields, and whether the internal modem is fitted), so each caller has
// its own function. Modem names come from the device resource file at run
// time and are passed in.

#include <QString>
#include <optional>

namespace device_protocol {

// The selector byte of a request: 0 internal modem, 2 external modem 1,
// 3 external modem 2. The value 1 is never used.
enum class ModemSelector : quint8 { Internal = 0, External1 = 2, External2 = 3 };

// "00", "02" or "03".
QString SelectorText(ModemSelector s);

// Which of the three modems a window shows (by name, not by selector).
enum class Modem { Internal, External1, External2 };

// The selector that addresses a modem when the selector follows the name
// directly (the explicit family and the statistics window).
ModemSelector SelectorOf(Modem m);

// The name that failure texts give a modem: "Internal Modem",
// "External Modem 1", "External Modem 2".
QString ModemDisplayName(Modem m);

// The modem names of the device resource file.
struct ModemNames {
  QString internal;   // InternalModemObjectName
  QString external1;  // ExternalModem1ObjectName
  QString external2;  // ExternalModem2ObjectName
};

// Explicit window (status poll, modem choice, dialling, auto answer, dial
// modes): the internal modem's name gives Internal, external modem 1's name
// gives External1, anything else, the empty text included, External2.
Modem ExplicitWindowModem(const QString& name, const ModemNames& names);

// The explicit window's auto-answer record field of a modem: 1, 2 or 3.
int AutoAnswerField(Modem m);

// Statistics window: external modem 1's name gives External1, otherwise
// external modem 2's name gives External2, anything else (empty included)
// Internal.
Modem StatisticsModem(const QString& name, const ModemNames& names);

// LonMark window, object open: which modem object the opened LonMark object
// is, by its name; none for any other object (e.g. "Device Globals").
std::optional<Modem> ModemObjectByName(const QString& name, const ModemNames& names);

// LonMark window, object open: the selector for a modem object. Without the
// internal modem fitted the device numbers its modems from selector 02, so
// the internal-modem object maps to 02 and external modem 1 to 03; external
// modem 2 stays at 03.
ModemSelector ObjectOpenSelector(Modem object, bool intModemEnabled);

}  // namespace device_protocol
