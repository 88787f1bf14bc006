#pragma once
// fMain: the main window of the LonMark device family. It hosts the Object
// Server control (LcaOS) that the whole plug-in works through, and it owns the
// close procedure that ends the plug-in. It is opened on the device itself
// (ProcessDeviceCommand) or on one of its LonMark objects: a modem object or
// "Device Globals" (ProcessLonMarkObjectCommand). The open probes the device,
// shows its firmware, finds out whether the object's modem is ready and sets
// the menus and dial controls for what the device and the object allow; for a
// ready modem it starts the status display, which follows the modem's status
// variables through Timer1 and the Object Server's update event.

#include "host/lns/lns.h"
#include "windows/device_window.h"

class QCloseEvent;

class fMain : public DeviceWindow {
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
  // The close procedure; false when the operator kept a phonebook editor
  // open (its save did not go through), and nothing was closed.
  static bool Close();

  // PlugInWindow
  WindowId id() const override { return WindowId::fMain; }
  QWidget* widget() override { return this; }
  BorderStyle borderStyle() const override { return BorderStyle::FixedSingle; }
  void ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand& command) override;
  void ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand& command) override;
  // Hides the window while directors remain, else runs the close procedure.
  bool EndPlugIn() override;
  lns::ObjectServerPtr LcaOS() override { return LcaOS_; }

  // window_support::MainWindowLink
  lns::AppDevicePtr device() override { return TheDevice; }
  QString modemName() override { return strLonProgramName; }
  void refillPhoneList() override;
  void unload() override { UnloadForm(); }
  // The management mode of the system the window opened its device in: 1 off-net.
  qint32 ManagementMode() const;
  // The device's name; "" when it cannot be read.
  QString DeviceName() const;

  void RunCloseProcedure() override { CloseProcedure(); }
  QTimer* StatusTimer() override { return Timer1; }

  // Unloading the window: every other window of the plug-in goes, then the
  // close procedure ends the plug-in (what closing it from its frame does).
  // False when the operator kept a phonebook editor open.
  bool UnloadForm();

  // --- window state ---------------------------------------------------------
  lns::AppDevicePtr TheDevice;
  lns::LonMarkObjectPtr TheLMObject;
  QString strLonProgramName;
  lns::DeviceInterfacePtr DeviceInterface;
  std::shared_ptr<lns::LonMarkObjects> DeviceObjects;
  lns::LonMarkObjectPtr DeviceLevelObject;
  lns::ConfigPropertyPtr DialStringProperty;
  lns::ConfigPropertyPtr DialModeProperty;
  lns::ExtensionRecordPtr DescriptionRecord;
  lns::NetworkVariablePtr CurrentNv;
  lns::NetworkVariablePtr StatusNv;
  lns::NetworkVariablePtr StatusTextNv;
  QString StatusNvName;
  bool IntModemEnabled = false;
  // The last value read from StatusNv.
  QString LastStatusText;

  // --- controls of this window ------------------------------------------------
  QLabel* LabelModem = nullptr;  // "Object:" and the opened object
  QLabel*& LabelPhoneNumber = PhoneNumberLabel;
  CZEV_ActiveXCtrl*& ExplicitCOM = Control;
  QAction*& MenuModemOptions = ModemMenu;
  QAction*& SubMenuManual = ManualItem;
  QAction*& SubMenuLocalPerpetual = PerpetualItem;
  QAction*& SubMenuAbout = AboutItem;
  QAction*& Divider = RlxSeparator;
  QAction*& Separator = ModemSeparator;

  // --- the rows of the enabling table ------------------------------------------
  enum class Row {
    FirstModemReady,
    ExternalModemReady,
    FirstModemNotReady,
    ExternalModemNotReady,
    DeviceLevelGlobals,
    NoAnswerFirstModem,
    NoAnswerExternalModem,
    NoAnswerOtherObject,
    OffNetModem,
    OffNetGlobals,
  };
  // Applies the row's menus, dial controls and texts, and what else the row does.
  void ApplyRow(Row row);

  // --- the status display ----------------------------------------------------
  // Starts showing the opened modem object's state (called for a ready modem).
  void StartStatusDisplay();
  // One Timer1 tick: reads the status variable again and keeps the dial
  // controls in step with the line.
  void Timer1Tick();
  // The Object Server's update event.
  void OnUpdateEvent(qint32 code, const QString& value, const lns::ObjectPtr& object);
  // Shows in ComboPhone the dial string the modem holds.
  void DialStringDisplay();
  // Rebuilds ComboPhone's list from the phonebook (empty edit text afterwards).
  void FillPhoneList();

  // --- calls -----------------------------------------------------------------
  // CmdDial (and Enter in ComboPhone): a typed number is written to the
  // modem's dial variable as it stands; a phonebook line dials its entry's
  // number, trimmed, and records the entry in UCPT_DialMode ("MANUAL," + i).
  void Dial();
  // CmdCallCancel: writes "1 1" to the modem's call-cancel variable.
  void CallCancel();
  // The opened modem object's UCPT_DialMode (DialModeProperty, fetched when
  // not yet held); nullptr for other objects.
  lns::ConfigPropertyPtr DialModeOfModem();

 protected:
  // Closing the window from its frame unloads it.
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private slots:
  // The menu commands and the dial buttons.
  void onMenuPhoneBook();
  void onSubMenuPulse();
  void onSubMenuReboot();
  void onSubMenuRingMode();
  void onSubMenuAutoAnswer();
  void onSubMenuInputAudio();
  void onSubMenuManual();
  void onSubMenuLocalPerpetual();
  void onMenuDialOnDemand();
  void onSubMenuStatistics();
  void onCmdDial();
  void onCmdCallCancel();

 private:
  // Reads the firmware text (nvoProductName) into LabelProduct. A device that
  // does not answer is asked about (Retry, No, Cancel); a network database
  // that cannot be used is reported as such. On NotRead the texts say why.
  enum class FirmwareRead { Read, NotRead, Abandoned };
  FirmwareRead ReadFirmware();
  void ReleaseReferences();
  void ResetForOpen();
  // Step 2 of either open: interface, objects, the phonebook object, its dial
  // strings and the description record of entry 0.
  void FindDeviceObjects();
  void ShowOffNet(Row row);
  void ShowModemDetails(bool resetInputAudio);

  lns::ObjectServerPtr LcaOS_;
};
