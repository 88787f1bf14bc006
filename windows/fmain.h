#pragma once
// fMain: the main window of the LonMark device family. It hosts the Object
// Server control (LcaOS) that the whole plug-in works through, and it owns the
// close procedure that ends the plug-in. The open operations record the object
// they were given; the operator's controls are added around them.

#include <QMainWindow>

#include "host/lns/lns.h"
#include "host/plugin_window.h"

class QLabel;
class QCloseEvent;

class fMain : public QMainWindow, public PlugInWindow {
  Q_OBJECT
 public:
  explicit fMain(QWidget* parent = nullptr);
  ~fMain() override;

  // Registers the window with the host and installs the close procedure as
  // the program's shutdown. Called once at start-up.
  static void Register();

  // The close procedure: errors ignored; releases the window's references,
  // closes the system, the network and the Object Server, clears the flags,
  // unloads the window and ends the program. Runs on the instance if there is
  // one; without one it still closes what the plug-in opened.
  static void CloseProcedure();

  // PlugInWindow
  WindowId id() const override { return WindowId::fMain; }
  QWidget* widget() override { return this; }
  BorderStyle borderStyle() const override { return BorderStyle::FixedSingle; }
  void ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand& command) override;
  void ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand& command) override;
  // Hides the window while directors remain, else runs the close procedure.
  bool EndPlugIn() override;
  lns::ObjectServerPtr LcaOS() override { return LcaOS_; }

  // Window state: the device and the LonMark object of the last open.
  lns::AppDevicePtr TheDevice;
  lns::LonMarkObjectPtr TheLMObject;

  QLabel* LabelModem = nullptr;

 protected:
  // Closing the window from its frame unloads it: every other window of the
  // plug-in goes, then the close procedure ends the plug-in.
  void closeEvent(QCloseEvent* event) override;

 private:
  void ReleaseReferences();
  void Unload();

  lns::ObjectServerPtr LcaOS_;
};
