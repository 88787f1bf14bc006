#pragma once
// Network and device attach: opening the network a director names, the table
// of commands the plug-in serves, and turning the director's object path into
// an LNS object that is handed to the window of its family.

#include <QString>

#include "host/lns/lns.h"

struct PlugInCommand;

namespace attach {

// Loads the LonMark object names from the language file and builds the seven
// rows of MMain.PlugInCommandTable.
void BuildPlugInCommandTable();

// The networkName let: opens the Object Server (remote when the instance's
// network interface name is set) and the named network, once. Any failure is
// an AutomationError 20006 "Cannot open the network " + name; the state of the
// network already open is kept unless the new one opens completely.
void OpenNetwork(const QString& name, const QString& networkInterfaceName);

// Cuts the director's object name at "/" into MMain.ObjectPath, stopping at the
// first empty element.
void SplitPath(const QString& objectName);

// Element k (1-based) of MMain.ObjectPath as it is looked up: "" outside the
// path; for "prefix: name" the name, unless nothing follows the colon.
QString PathElement(int k);

// The LNS object the path names: an application device for type 7, a LonMark
// object for type 28; nullptr when anything on the way is missing.
lns::ObjectPtr FindObject(qint32 objectType);

// Decides the family and the window, sets CurrentMainWindow and
// ExplicitFamily, clears AttachAbandoned, and calls the window's open
// operation with the row. Throws AutomationError 20005 when there is no
// object, 20004 (naming it) for a LonMark object that is no modem, directory
// (an object with UCPT_DialString) or "Device Globals", and for a device that
// is no RLX router.
void Attach(PlugInCommand& row, const lns::ObjectPtr& object);

// A LonMark object with a UCPT_DialString property.
bool IsDirectoryObject(lns::LonMarkObject& object);
// The program identifier of an RLX router of either family (any model).
bool IsRlxProgramId(const QString& programId);

}  // namespace attach
