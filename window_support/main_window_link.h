#pragma once
// What the phonebook, ring mode and statistics windows need of the main
// window of the attached device's family (fMain for the LonMark family,
// fMainExplicit for the explicit one), without depending on it. The main
// windows register themselves here when they are created.

#include <QString>

#include "host/lns/lns.h"

class QWidget;

namespace window_support {

class DeviceLink;

class MainWindowLink {
 public:
  virtual ~MainWindowLink() = default;
  virtual QWidget* window() = 0;
  // The window's explicit message control.
  virtual DeviceLink& link() = 0;
  // The device the window was opened on (TheDevice).
  virtual lns::AppDevicePtr device() = 0;
  // The modem the window works on: the explicit window's ComboModem text, the
  // LonMark window's opened object name (strLonProgramName).
  virtual QString modemName() = 0;
  // Rebuilds the window's phone list from the phonebook, keeping the text its
  // edit field shows.
  virtual void refillPhoneList() = 0;
  // Unloads the window (what closing it from its frame does).
  virtual void unload() = 0;
};

// The registered main window of a family (explicitFamily true: fMainExplicit),
// or nullptr when that window has not been created.
MainWindowLink* MainWindowOf(bool explicitFamily);
// The main window of the family of the attached device (MMain.ExplicitFamily).
MainWindowLink* AttachedMainWindow();
void SetMainWindowLink(bool explicitFamily, MainWindowLink* link);

}  // namespace window_support
