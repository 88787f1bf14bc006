#pragma once
// What an RLX router does: the explicit messages it answers, the network
// variables and configuration properties of the LonMark family, calls that
// progress in time, hang-ups counted by cause, perpetual dialling, reboot,
// ring mode and the ring status walk. Everything here works on a
// DeviceState and a time in network milliseconds handed in by the caller; it
// neither reads a clock nor touches the database, so it runs the same in
// every process and in tests with a manual clock.
//
// Time moves lazily: advance(state, now) applies every change that fell due
// up to now (a call phase ending, a perpetual redial, the end of a reboot),
// in time order. Callers advance before they look at or change the state.
//
// Explicit messages. A request body is the byte values after the message
// code: 1, the command, then the selector or first data value and the data
// ("01 61 02 00" -> 1, 61, 2, 0). Every reply starts with the body's first
// three values; data begins at value 3:
//   53 S        -> 1 53 S state ready   (ready: 0 when the modem can take calls, else 1)
//   57 S        -> 1 57 S speed modulation errorCorrection  (0 0 0 unless talking)
//   61 S 0      -> 1 61 S lastCause hangups(1..9) successes retrains
//   69 S 2      -> 1 69 S 2 mode entry  (mode 0 manual, 1 perpetual, 2 dial on demand)
//   66 0 2 i    -> 1 66 0 2 i codes... 0
//   72 0 2      -> 1 72 0 2 enable unit delayHi delayLo intervalHi intervalLo
//   48 0        -> 1 48 0 firmware text codes
//   73 2        -> 1 73 2 fitted  (1 when the internal modem is fitted)
//   55 0 3|4|5  -> 1 55 0 step unit neuronId(6) fallbackEnd inRing testRunning closed openEndA openEndB
// A device without phonebook answers every command 66, and one without ring
// mode every command 72, with the single value 2. Commands that change
// something answer their first three values and 0. A request the device does
// not know, or one it cannot act on (a malformed body, a selector that names
// no modem, an entry outside the phonebook, a number it cannot store),
// answers the single value 255 and changes nothing.

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>
#include "lonworks/object_server/array_value.h"

#include "lonworks/rlx_device/rlx_state.h"

namespace rlxsim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kUnknownCommandReply = 255;
inline constexpr std::uint8_t kNotSupportedReply = 2;
inline constexpr std::uint8_t kRingListEnd = 255;

// --- time -------------------------------------------------------------------

void advance(DeviceState& state, qint64 now);
// The earliest network time at which the state changes by itself; nullopt when nothing is pending.
std::optional<qint64> nextDue(const DeviceState& state);
// Whether the device answers at all now (not restarting, not silenced by a fault).
bool answers(const DeviceState& state, qint64 now);
bool restarting(const DeviceState& state, qint64 now);

// --- operations (the state must be advanced to `now`) -----------------------

// Starts a call on the modem. Ignored (false) when the modem is not ready or
// not idle, or the number is empty. A number holding a character a modem
// cannot dial ends the call with cause 8 instead of connecting.
bool dial(DeviceState& state, int modem, const QString& number, qint64 now);
// Drops the modem's line with a cause. A call under way goes to TEL_HANGINGUP
// and counts the cause; an idle line counts it only when countIdle is set.
void hangUp(DeviceState& state, int modem, int cause, qint64 now, bool countIdle = false);
void setAutoAnswer(DeviceState& state, int modem, bool on, qint64 now);
void setPresence(DeviceState& state, int modem, Presence presence, qint64 now);
// Sets the dial mode from a UCPT_DialMode text; false when the text is not one.
bool setDialMode(DeviceState& state, int modem, const QString& text, qint64 now);
void reboot(DeviceState& state, qint64 now);
// A dial string a modem accepts: digits, "P" or "p" only as the first
// character, and * # , W w ! blank - ( ).
bool isDialable(const QString& number);

// --- the channel ----------------------------------------------------------------

// What the channel does to one message to the device.
struct ChannelPass {
  bool lost = false;
  qint64 delayMs = 0;  // the time the message takes (latency and jitter)
};
// The channel's verdict on the next message to the device (deviceId seeds
// the device's random sequence) and counts the message. A device whose
// channel is not set passes every message at once and keeps no count.
ChannelPass passChannel(DeviceState& state, qint64 deviceId);

// --- explicit messages --------------------------------------------------------

// A member of a ring as the ring status walk reports it.
struct RingMember {
  int unit = 0;
  QString neuronId;     // 12 hexadecimal digits
  qint64 deviceId = 0;  // 0 for a member the network database does not know
};

// The ring around a device: every member that answers and is in ring mode,
// in walk order (by unit ID), and the ring's shape.
struct RingView {
  QList<RingMember> members;
  bool closed = true;
  std::optional<int> endA, endB;  // units at the ends of an open ring
};

struct DeviceContext {
  qint64 deviceId = 0;
  QString neuronId;
  std::function<RingView()> ring;  // asked only by the ring status steps
};

struct ExplicitAnswer {
  bool silent = false;  // the device did not answer
  Bytes reply;
};

// Answers one request body. A device that does not answer changes nothing.
ExplicitAnswer handleExplicit(DeviceState& state, const DeviceContext& device, const Bytes& body, qint64 now);

// The ring status entry of a member, as values 4 to 16 of the reply.
Bytes ringEntry(const RingView& view, const RingMember& member, bool inRing, bool testRunning);

// --- LonMark network variables and configuration properties ---------------

// The modem behind a LonMark modem object (object index 1 to 3), or behind a
// modem variable name ("nviDialStr2", "nvoCnctStatEx2"); nullopt for others.
// Without the internal modem the objects move up: object 1 is external
// modem 1, objects 2 and 3 external modem 2.
std::optional<int> modemOfObject(const DeviceState& state, int objectIndex);
std::optional<int> modemObjectOfVariable(const QString& nvName);

// What the device reports for a variable or property it keeps; nullopt for
// the ones it does not (their stored value stands).
std::optional<QString> readVariable(const DeviceState& state, const QString& nvName);
std::optional<QString> readProperty(const DeviceState& state, const QString& cpName, int objectIndex, int element,
                                    int elementCount);
// A write reaching the device. Throws lns::LnsError(kErrInvalidValue) for a
// value the device refuses; leaves variables and properties it does not use alone.
void writeVariable(DeviceState& state, const QString& nvName, const QString& value, qint64 now);
void writeProperty(DeviceState& state, const QString& cpName, int objectIndex, int element, const QString& value,
                   qint64 now);

// The output variables of the LonMark family and their values now (after overrides).
QList<std::pair<QString, QString>> outputVariables(const DeviceState& state);
// Drops overrides whose variable the device has changed since.
void settleOverrides(DeviceState& state);

// "Connect 9600 V.32 V.42/V.42bis": the connection text of a talking modem.
QString connectionText(const DeviceState& state);

// UCPT_RingMode as text ("Enable,5,2000,10000"), and parsed.
QString ringModeText(const RingMode& ring);
std::optional<RingMode> parseRingMode(const QString& text);

// The element list of an array property's whole value: "a","b",... (with \" and \\).
using lnssim::joinElements;
using lnssim::splitElements;

}  // namespace rlxsim
