#pragma once
// Builders for every request text the plug-in sends to the device. A request
// is decimal byte values separated by blanks, starting "00 01 " + command.
// The texts are the device's exact forms, including the places where two
// blanks meet or an entry number is written with or without a leading zero;
// the device treats any run of blanks as one separator and ignores leading
// zeros, but the forms are kept as they are so the traffic stays the same.

#include <QString>
#include <optional>

#include "device_protocol/modem.h"

namespace device_protocol {

// --- Character codes -------------------------------------------------------

// The decimal code of every character, each followed by one blank, with the
// last blank replaced by " 0": "123" gives "49 50 51 0". The empty text gives
// "0", the terminator alone. A character that is not a byte (above 255) is
// sent as 63 ("?"), the platform's stand-in for an unrepresentable character,
// so the device never gets a value it cannot hold.
QString DialStringCodes(const QString& dialString);

// --- Device -----------------------------------------------------------------

QString PresenceProbe();     // "00 01 48 00": answers with the firmware text
QString SoftReboot();        // "00 01 14 00"
QString PulseServicePin();   // "00 01 19 00"
QString ReadModemSetting();  // "00 01 73 02": internal modem fitted?

// --- Modem status, dialling ------------------------------------------------

QString ModemStatus(ModemSelector s);        // "00 01 53 " + S
QString ConnectionDetails(ModemSelector s);  // "00 01 57 " + S
QString HangUp(ModemSelector s);             // "00 01 08 " + S (sent without waiting for a reply)
// "00 01 32 " + S + " " + DialStringCodes(dialString)
QString DialNumber(ModemSelector s, const QString& dialString);

// --- Modem options ------------------------------------------------------------

QString AutoAnswerOn(ModemSelector s);   // "00 01 65 " + S + " 01"
QString AutoAnswerOff(ModemSelector s);  // "00 01 65 " + S + " 00"
QString MuteInputAudio();                // "00 01 34 00 01" (always the internal modem)
QString UnmuteInputAudio();              // "00 01 34 00 00"

// --- Dial modes (explicit family) -------------------------------------------

QString SetManualMode(ModemSelector s);  // "00 01 69 " + S + " 01 00"
// "00 01 69 " + S + " 01 01 " + entry in two digits ("05", "12")
QString SetPerpetualMode(ModemSelector s, int entry);
QString ReadDialMode(ModemSelector s);  // "00 01 69 " + S + " 02"

// --- Statistics ----------------------------------------------------------------

QString ReadModemStatistics(ModemSelector s);   // "00 01 61 " + S + " 00"
QString ClearModemStatistics(ModemSelector s);  // "00 01 61 " + S + " 01"

// --- Phonebook (entries 0 to 63) ----------------------------------------------

// "00 01 66 00 01 " + II + " " + each code followed by a blank + "00";
// an empty number of entry 5 gives "00 01 66 00 01 05 00".
QString StoreEntry(int entry, const QString& number);
// As StoreEntry, but ending with a blank after the last code and then " 0"
// (two blanks): "00 01 66 00 01 05 53  0", empty number "00 01 66 00 01 05  0".
QString StoreEntryResync(int entry, const QString& number);
QString EraseEntry(int entry);  // "00 01 66 00 01 " + entry without leading zero + " 0"
QString ReadEntry(int entry);   // "00 01 66 00 02 " + entry without leading zero
QString PhonebookProbe();       // "00 01 66 00 02 00"

// --- Ring mode and ring status --------------------------------------------------

QString ReadRingMode();     // "00 01 72 00 02"
QString RingStatusStart();  // "00 01 55 00 03"
QString RingStatusPoll();   // "00 01 55 00 04"
QString RingStatusNext();   // "00 01 55 00 05"

// "00 01 72 00 01 " + enable ("01"/"00") + " " + unit + " " + the delay and
// the interval, each high byte then low byte: enabled, unit 5, 2000, 10000
// gives "00 01 72 00 01 01 5 7 208 39 16". The unit is the field's text,
// sent as written (a read value "05" stays "05") after trimming. Refused
// (no value) when the unit is not one to three digits of at most 255 or a
// time lies outside 0..65535: such values have no byte encoding, and sending
// a wrapped or garbled value would silently configure the ring wrongly.
std::optional<QString> RingModeApply(bool enable, const QString& unitText, int delayMs, int intervalMs);

}  // namespace device_protocol
