#pragma once
// Opening the phonebook editor from a main window. (Opening it directly on a
// directory object goes through the host's window registry: fPhoneBook
// registers itself for WindowId::fPhoneBook.)

#include "host/lns/lns.h"

class QWidget;

namespace phonebook {

// From fMain's Phonebook menu: the device, the opened modem object, the
// phonebook object (DeviceLevelObject) and its UCPT_DialString property.
void OpenEditorLonMark(QWidget* owner, const lns::AppDevicePtr& device, const lns::LonMarkObjectPtr& modemObject,
                       const lns::LonMarkObjectPtr& phonebookObject, const lns::ConfigPropertyPtr& dialString);

// From fMainExplicit's Phonebook menu.
void OpenEditorExplicit(QWidget* owner, const lns::AppDevicePtr& device);

// Registers fPhoneBook with the host (for the direct opening). Called once at start-up.
void RegisterPhoneBookWindow();

}  // namespace phonebook
