#pragma once
// What the host needs of the plug-in's windows (fMain, fMainExplicit,
// fPhoneBook) without depending on them: the windows register a factory for
// themselves at start-up; attach and the automation properties reach them
// through this interface only.

#include <QList>
#include <QString>
#include <functional>

#include "host/lns/lns.h"

class QWidget;
struct PlugInCommand;

enum class WindowId { fMain, fMainExplicit, fPhoneBook };

// Border styles of the classic window model; the automation object refuses to
// size windows whose border is fixed.
enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog, FixedToolWindow, SizableToolWindow };

class PlugInWindow {
 public:
  virtual ~PlugInWindow() = default;
  virtual WindowId id() const = 0;
  virtual QWidget* widget() = 0;
  virtual BorderStyle borderStyle() const = 0;

  // Open operations; the command row is passed by reference.
  virtual void ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand& command) = 0;
  virtual void ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand& command) = 0;

  // Called when the last director lets go while the window is hidden. Windows
  // without such an operation return false.
  virtual bool EndPlugIn() = 0;

  // The Object Server control the window hosts (fMain's LcaOS); windows
  // without one answer nullptr.
  virtual lns::ObjectServerPtr LcaOS() { return nullptr; }
};

// Registers the factory of a window; the first Window(id) call creates it and
// every later call returns the same instance (one per process).
void RegisterWindow(WindowId id, std::function<PlugInWindow*()> factory);
PlugInWindow* Window(WindowId id);
// The instance if it has been created, else nullptr.
PlugInWindow* ExistingWindow(WindowId id);
// Forgets an instance (the window was destroyed).
void ForgetWindow(WindowId id);

// Every plug-in window that exists now: the registered instances, and windows
// opened beside them (a phonebook editor shown modally from a main window).
QList<PlugInWindow*> PlugInWindows();
// True while the operator can see any plug-in window; the plug-in does not
// end under a visible window.
bool AnyPlugInWindowVisible();
// Closes every plug-in window of that kind through its own closing path (what
// its close box does), so that a window with unsaved work asks first; a
// registered instance is then forgotten and deleted. False when one stayed
// open (the operator kept it); nothing more is closed then.
bool ClosePlugInWindows(WindowId id);
