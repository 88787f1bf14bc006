#pragma once
// Modem options of the main windows: auto answer, input audio, the service
// pin and the reboot. Here are the operations a window runs whenever it shows
// a modem and when it opens an explicit device for the first time; the menu
// commands build on the same pieces.

#include <QString>
#include <optional>

#include "device_protocol/modem.h"
#include "host/lns/lns.h"

class DeviceWindow;
class QListWidget;

namespace modem_options {

// The firmware version of the LonMark family: the number that the last five
// characters of the firmware line ("RLX Firmware: RLX-LonMark 3.20") read as.
double FirmwareVersion(const QString& labelProductText);
// The same, but nothing while the window does not know the firmware (off-net,
// or the device did not answer: "RLX Firmware: <not available>"). Auto answer
// waits for a known version: the two families of firmware keep it in
// different properties, and writing the wrong one leaves the router as it was.
std::optional<double> KnownFirmwareVersion(const QString& labelProductText);

// The LonMark modem object's auto-answer property and its two values, chosen
// by firmware version: below 3.2 "UCPT_AAnswer" ("1.1 1" / "0.0 0"), from 3.2
// on "UCPT_AutoAnswer" ("True" / "False").
struct AutoAnswerProperty {
  QString name;
  QString onValue;
  QString offValue;
};
AutoAnswerProperty AutoAnswerPropertyFor(double firmwareVersion);

// Show auto answer (LonMark family): Auto Answer is checked unless the
// modem object's property reads the off value. A property that cannot be
// read leaves the check mark as it is.
void ShowAutoAnswer(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject);

// Reset input audio (both families): unchecks Mute Input Audio and sends the
// unmute message; a failure is reported.
void ResetInputAudio(DeviceWindow& window);

// Initialise auto answer (explicit family, at the window's open): when the
// device has no "ZevExplicitAutoAnswer" record yet, adds it with auto answer
// on for all three modems and switches it on in the device, modem by modem;
// each failure is reported and the next modem is still set.
void InitialiseAutoAnswer(DeviceWindow& window, const lns::AppDevicePtr& device);

// The explicit family's per-modem auto-answer record.
inline constexpr char kAutoAnswerRecord[] = "ZevExplicitAutoAnswer";

// The explicit window's modem: the one its ComboModem names (external modem 2
// for any other text, the empty one included).
device_protocol::Modem ExplicitModemOf(DeviceWindow& window);

// --- the menu commands ---------------------------------------------------------

// Auto Answer, LonMark family: writes the on value of the firmware's property
// when the entry is unchecked (and checks it), else the off value (and
// unchecks it). A failed write is shown once with its own text and the
// program's title; the mark stays.
void ToggleAutoAnswerLonMark(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject);

// Auto Answer, explicit family, for the modem chosen in the window: switches
// it on or off by message and, once the device has taken it, records it in
// "ZevExplicitAutoAnswer" and sets the mark. A failure is reported; the record
// and the mark stay.
void ToggleAutoAnswerExplicit(DeviceWindow& window, const lns::AppDevicePtr& device);

// Mute Input Audio (both families): mutes when unchecked, unmutes when
// checked; the mark follows on success. The failure text differs by family.
void ToggleInputAudio(DeviceWindow& window, bool explicitFamily);

// Pulse Router Service Pin (both families); nothing is shown on success.
void PulseServicePin(DeviceWindow& window);

// --- the reboot ------------------------------------------------------------------

// The loops that wait for a rebooted device. Each attempt comes after a
// pause of kRebootPauseMs through the event loop, so the window stays
// responsive and the attempts span a time a device restart fits in (LonMark:
// at least 1000 x 100 ms; explicit: each silent attempt also takes the
// control's 3000 ms time-out).
inline constexpr int kLonMarkRebootAttempts = 1000;
inline constexpr int kExplicitRebootAttempts = 500;
inline constexpr int kRebootPauseMs = 100;
// However the attempts go, the wait ends after this long (on the pacer's
// clock); the operator is then told that the router did not come back. The
// window's status poll rests meanwhile.
inline constexpr int kRebootLimitMs = 3 * 60 * 1000;

struct RebootOutcome {
  bool started = false;     // false when a reboot of this window was still running
  int attempts = 0;         // operations repeated while waiting
  bool deviceBack = false;  // the last attempt reached the device
};

// Soft Reboot, LonMark family: sends the reboot, then repeats the device's
// Test until it succeeds, at most 1 + kLonMarkRebootAttempts times and for at
// most kRebootLimitMs.
RebootOutcome SoftRebootLonMark(DeviceWindow& window);
// Soft Reboot, explicit family: sends the reboot, then sends the chosen
// modem's auto answer as the check mark shows it until the device answers,
// at most kExplicitRebootAttempts times and for at most kRebootLimitMs; this
// also puts auto answer back.
RebootOutcome SoftRebootExplicit(DeviceWindow& window);

// --- auto answer off ahead of a phonebook call (explicit family) -------------------

// The bounds of the wait for the modem to confirm that auto answer is off (it
// counts one more "User Call Cancel" hang-up, value 6 of the statistics
// reply). A modem does so within a second; the bounds leave it several.
inline constexpr int kAutoAnswerOffPolls = 25;
inline constexpr int kAutoAnswerOffLimitMs = 5000;
inline constexpr int kAutoAnswerOffPauseMs = 200;

struct AutoAnswerOffOutcome {
  bool switchedOff = false;  // the device took the auto-answer-off message
  QString failureReply;      // its failure text otherwise
  bool confirmed = false;    // the modem counted the hang-up within the bounds
  int polls = 0;             // statistics reads after the off message
};

// Reads the modem's user-cancel count, switches its auto answer off and,
// once the device has taken that, writes "0" into the modem's field of
// "ZevExplicitAutoAnswer" and unchecks Auto Answer. With awaitConfirmation it
// then reads the statistics until the count differs from the first one,
// within the bounds above; without it, it reads them once. Every reply is
// split into listData.
AutoAnswerOffOutcome SwitchAutoAnswerOff(DeviceWindow& window, QListWidget* listData, const lns::AppDevicePtr& device,
                                         device_protocol::Modem modem, bool awaitConfirmation);

}  // namespace modem_options
