#pragma once
// Dial modes as the main windows show them: one check mark on the mode in
// force and, in perpetual mode, the entry being dialled in place of the phone
// number. Here are the operations a window runs whenever it shows a modem; the
// menu commands and the perpetual and dial-on-demand dialogs build on them.

#include <QString>
#include <optional>

#include "device_protocol/dial_mode.h"
#include "device_protocol/modem.h"
#include "host/lns/lns.h"

class DeviceWindow;

namespace dial_modes {

// Checks the one entry of the window's Dial Mode menu that names the mode.
void SetMarks(DeviceWindow& window, device_protocol::DialMode mode);

// "Dialing " + entry + " in Perpetual Mode."
QString PerpetualText(const QString& entry);

// Show the dial mode (LonMark family): reads the modem's "UCPT_DialMode"
// and sets the marks; in perpetual mode ComboPhone shows the entry (its
// description, else its dial string) and is disabled. A property that cannot
// be read leaves the marks as they are. Answers whether the mode was read.
bool ShowDialMode(DeviceWindow& window, const lns::ConfigPropertyPtr& dialModeProperty, const lns::AppDevicePtr& device,
                  const lns::ConfigPropertyPtr& dialStringProperty);

// Read the dial mode (explicit family), for the modem of the selector: when
// the device has a phonebook, rebuilds ComboPhone from it, reads the mode and
// sets the marks; in perpetual mode ComboPhone shows the entry and it and
// CmdDial are disabled; then the Phonebook menu and the Dial Mode submenu are
// enabled. A failed read keeps the marks.
void ReadDialMode(DeviceWindow& window, const lns::AppDevicePtr& device, device_protocol::ModemSelector selector,
                  bool phonebookSupported);

// --- the phonebook entry a list line names ------------------------------------

struct PhonebookEntry {
  int index = 0;
  QString number;  // as stored (untrimmed)
};

// LonMark family: the first entry whose description (record "ZevPhoneBook" + i)
// or whose dial string (element i, as stored) equals the text. Entries without
// a dial string are passed over: there is nothing to dial. Database errors
// are raised (lns::LnsError).
std::optional<PhonebookEntry> LonMarkEntryNamed(const lns::AppDevicePtr& device,
                                                const lns::ConfigPropertyPtr& dialStrings, const QString& text);
// Explicit family: the first record "ZevExplicitPhonebook" + i (0 to 63) whose
// description, or whose number when it has no description, equals the text.
// Records without a number are passed over.
std::optional<PhonebookEntry> ExplicitEntryNamed(const lns::AppDevicePtr& device, const QString& text);

// The notice when a line names no entry (the list is older than the phonebook,
// or its text was edited).
QString NoSuchEntryText(const QString& text);

// --- the menu commands ----------------------------------------------------------

// Manual, LonMark family: writes "MANUAL,0,0,0,0,0,0,0,0,0,0" into the modem's
// UCPT_DialMode; once written, marks Manual, empties ComboPhone and, when the
// system is on-net and the window has not disabled the dial controls, enables
// CmdDial, ComboPhone, SubMenuReboot and SubMenuPulse. A failed write is shown
// with its own text and changes nothing.
void SetManualLonMark(DeviceWindow& window, const lns::ConfigPropertyPtr& dialModeProperty);

// Manual, explicit family: sends SetManualMode for the window's modem; on
// success marks Manual, on failure reports it and keeps the marks; in both
// cases the dial controls are enabled and ComboPhone emptied (the window
// enables its modem list too).
void SetManualExplicit(DeviceWindow& window);

// Perpetual: fills the dialog's list from the phonebook, hands it its objects
// and shows it modally over the window. The dialog is the window's own,
// made on first use.
void OpenPerpetualLonMark(DeviceWindow& window, const lns::AppDevicePtr& device,
                          const lns::LonMarkObjectPtr& modemObject, const lns::ConfigPropertyPtr& dialStrings);
void OpenPerpetualExplicit(DeviceWindow& window, const lns::AppDevicePtr& device);

// Dial On Demand (LonMark family): loads the window's settings dialog with
// the modem's object and shows it without blocking the window.
void OpenDialOnDemand(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject);

// Closes the window's dial-mode dialogs (Perpetual, Dial On Demand) and has
// them let go of the object they were opened for: the window is being opened
// for another object.
void CloseDialogs(DeviceWindow& window);

}  // namespace dial_modes
