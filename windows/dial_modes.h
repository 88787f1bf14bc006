#pragma once
// Dial modes as the main windows show them: one check mark on the mode in
// force and, in perpetual mode, the entry being dialled in place of the phone
// number. Here are the operations a window runs whenever it shows a modem; the
// menu commands and the perpetual and dial-on-demand dialogs build on them.

#include <QString>

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
bool ShowDialMode(DeviceWindow& window, const lns::ConfigPropertyPtr& dialModeProperty,
                  const lns::AppDevicePtr& device, const lns::ConfigPropertyPtr& dialStringProperty);

// Read the dial mode (explicit family), for the modem of the selector: when
// the device has a phonebook, rebuilds ComboPhone from it, reads the mode and
// sets the marks; in perpetual mode ComboPhone shows the entry and it and
// CmdDial are disabled; then the Phonebook menu and the Dial Mode submenu are
// enabled. A failed read keeps the marks.
void ReadDialMode(DeviceWindow& window, const lns::AppDevicePtr& device, device_protocol::ModemSelector selector,
                  bool phonebookSupported);

}  // namespace dial_modes
