#pragma once
// Modem options of the main windows: auto answer, input audio, the service
// pin and the reboot. Here are the operations a window runs whenever it shows
// a modem and when it opens an explicit device for the first time; the menu
// commands build on the same pieces.

#include <QString>

#include "host/lns/lns.h"

class DeviceWindow;

namespace modem_options {

// The firmware version of the LonMark family: the number that the last five
// characters of the firmware line ("RLX Firmware: RLX-LonMark 3.20") read as.
double FirmwareVersion(const QString& labelProductText);

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

}  // namespace modem_options
