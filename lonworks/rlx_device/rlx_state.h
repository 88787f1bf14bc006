#pragma once
// The state of one simulated RLX router: its settings, its three modems with
// their calls and statistics, its phonebook, its ring mode, the faults it
// shows and what a tool has written over its output variables. The state is
// plain data: rlx_model.h changes it, rlx_store.h keeps it in the network
// database as one JSON document per device, so every process that opens the
// database sees the same device.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <array>
#include <optional>

namespace rlxsim {

enum class Family { LonMark, Explicit };

// Whether a modem is there and can take calls.
enum class Presence { Ready, NotReady, Absent };

// Faults on demand.
enum class Fault {
  None,
  NoAnswer,   // the device stays silent: explicit messages time out, variable and property access fails
  Failure,    // the data server cannot open points on the device ("Message Failed")
  ResetOnce,  // the data server asks to be reset before the next point opens, once
};

// Telephone state codes, as the modem status reply carries them.
namespace tel {
inline constexpr int kNotInUse = 0;
inline constexpr int kOffHook = 1;
inline constexpr int kDialing = 2;
inline constexpr int kDialComplete = 3;
inline constexpr int kRinging = 6;
inline constexpr int kAnswered = 7;
inline constexpr int kTalking = 9;
inline constexpr int kHangingUp = 10;
inline constexpr int kHold = 12;
inline constexpr int kError = 20;
inline constexpr int kNull = 255;
}  // namespace tel

// The name the status variables carry for a state code ("TEL_TALKING");
// "TEL_ERROR" for a code without a name.
QString telephoneStateName(int code);

// Hang-up causes 1 to 9.
namespace cause {
inline constexpr int kCarrierLost = 1;
inline constexpr int kHeartbeatLost = 2;
inline constexpr int kUserCallCancel = 3;
inline constexpr int kTrainingTimeout = 4;
inline constexpr int kLinkTrainingTimeout = 5;
inline constexpr int kNoInitialDialtone = 6;
inline constexpr int kNoMidStringDialtone = 7;
inline constexpr int kInvalidDialstringCharacter = 8;
inline constexpr int kDsrLost = 9;
}  // namespace cause
QString hangupCauseText(int cause);  // "User Call Cancel"; "" outside 1..9
// Command-line names of the causes ("carrier-lost", ..., "dsr-lost").
QString hangupCauseName(int cause);
std::optional<int> hangupCauseFromName(const QString& name);

// The three modems, by index: 0 internal, 1 external modem 1, 2 external modem 2.
inline constexpr int kModemCount = 3;
inline constexpr int kSelectors[kModemCount] = {0, 2, 3};
std::optional<int> modemOfSelector(int selector);
QString modemName(int modem);                           // "internal", "ext1", "ext2"
std::optional<int> modemFromName(const QString& name);  // also "0", "2", "3"

inline constexpr int kPhonebookEntries = 64;
inline constexpr int kMaxNumberLength = 30;
inline constexpr int kTrafficLogLimit = 2000;  // requests kept per device

struct Statistics {
  int lastCause = 0;
  std::array<int, 9> hangups{};  // by cause 1..9
  int successes = 0;
  int retrains = 0;
  friend bool operator==(const Statistics&, const Statistics&) = default;
};

struct Modem {
  Presence presence = Presence::Ready;
  int state = tel::kNotInUse;
  qint64 phaseEnd = 0;   // network time the current call phase ends; 0 when none is running
  qint64 callStart = 0;  // when the current call was dialled
  QString number;        // the number of the current call
  int outcome = 0;       // how the current call ends its dialling: 0 connects, 1..9 hangs up with that cause
  qint64 redialAt = 0;   // perpetual mode: when the modem dials its entry again; 0 when not due
  bool autoAnswer = true;
  QString dialMode = QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0");  // as UCPT_DialMode carries it
  Statistics stats;
  friend bool operator==(const Modem&, const Modem&) = default;
};

// How calls go.
struct CallSettings {
  qint64 connectDelayMs = 4000;  // from dialling to talking
  int outcome = 0;               // 0 connect; 1..9 every call hangs up with that cause instead
  int speed = 9;                 // connect speed code (9600)
  int modulation = 1;            // V.32
  int errorCorrection = 3;       // V.42/V.42bis
  qint64 hangupMs = 1000;        // how long TEL_HANGINGUP lasts
  qint64 redialMs = 3000;        // perpetual mode: pause between a hang-up and the next call
  friend bool operator==(const CallSettings&, const CallSettings&) = default;
};

// The channel to the router as routers in the field have it: every message
// (explicit message, variable or property access, Test) takes latencyMs plus
// a random share of up to jitterMs, and lossPercent of them are lost. The
// random draws follow a fixed sequence per device that starts again whenever
// the channel is set, so a run repeats exactly.
struct Channel {
  qint64 latencyMs = 0;
  qint64 jitterMs = 0;
  int lossPercent = 0;  // 0 to 100
  qint64 messages = 0;  // messages that crossed the channel since it was set
  friend bool operator==(const Channel&, const Channel&) = default;
};

struct RingMode {
  bool enabled = false;
  int unit = 0;
  int delayMs = 2000;
  int intervalMs = 10000;
  friend bool operator==(const RingMode&, const RingMode&) = default;
};

// A value a tool wrote over an output variable. It stands until the device
// changes the variable itself (its own value is no longer `base`) or restarts.
struct Override {
  QString value;
  QString base;
  friend bool operator==(const Override&, const Override&) = default;
};

struct DeviceState {
  Family family = Family::Explicit;
  QString firmware;  // version "2.10", "3.20"
  Fault fault = Fault::None;
  qint64 awayUntil = 0;  // restarting until then (network time); 0 when up
  qint64 rebootMs = 5000;
  bool phonebookSupported = true;
  bool ringModeSupported = true;
  bool inputMuted = false;
  int servicePinPulses = 0;
  int reboots = 0;
  CallSettings call;
  Channel channel;
  RingMode ring;
  int ringPolls = -1;  // entry polls since the last ring test start; -1: no test started
  int ringSteps = 0;   // ring members walked since the last entry poll
  std::array<QString, kPhonebookEntries> phonebook;
  std::array<Modem, kModemCount> modems;
  QMap<QString, Override> overrides;  // by variable name
  friend bool operator==(const DeviceState&, const DeviceState&) = default;
};

// A new device of the family with the factory settings.
DeviceState defaultState(Family family);
// "RLX Explicit 2.10" / "RLX-LonMark 3.20".
QString firmwareText(const DeviceState& state);
// "3.20" -> 3.2; 0 for a text without a leading number.
double firmwareNumber(const QString& version);
// Whether a text is a version of the form D.DD.
bool isFirmwareVersion(const QString& text);

// The state as a compact JSON document and back. fromJson starts from the
// family's defaults and takes what the document holds, so a document of an
// older layout still loads; values out of range are held within their range.
QByteArray toJson(const DeviceState& state);
std::optional<DeviceState> fromJson(const QByteArray& json);

QString faultName(Fault fault);  // "none", "no-answer", "failure", "reset-once"
std::optional<Fault> faultFromName(const QString& name);
QString presenceName(Presence presence);  // "ready", "not-ready", "absent"
std::optional<Presence> presenceFromName(const QString& name);

}  // namespace rlxsim
