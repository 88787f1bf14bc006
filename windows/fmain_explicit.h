#pragma once
// fMainExplicit: the main window of the explicit device family. It talks to
// the device through explicit messages only. Its open probes the device,
// shows the firmware, sets auto answer up the first time, finds out whether
// the device has ring mode and a phonebook, and picks the first ready modem in
// ComboModem; the status poll (Timer2) then follows that modem's telephone
// state. Timer1 serves Wait, the busy wait with the window's controls locked.

#include "host/lns/lns.h"
#include "windows/device_window.h"

class QCloseEvent;
class QComboBox;

class fMainExplicit : public DeviceWindow {
  Q_OBJECT
 public:
  explicit fMainExplicit(QWidget* parent = nullptr);
  ~fMainExplicit() override;

  // Registers the window with the host. Called once at start-up.
  static void Register();

  // PlugInWindow
  WindowId id() const override { return WindowId::fMainExplicit; }
  QWidget* widget() override { return this; }
  BorderStyle borderStyle() const override { return BorderStyle::FixedSingle; }
  void ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand& command) override;
  // The explicit family is opened on the device only.
  void ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr, PlugInCommand&) override {}
  // Hides the window while directors remain, else runs the close procedure.
  bool EndPlugIn() override;

  // window_support::MainWindowLink
  lns::AppDevicePtr device() override { return TheDevice; }
  QString modemName() override;
  void refillPhoneList() override;
  void unload() override { UnloadForm(); }
  // The management mode of the system the window opened its device in: 1 off-net.
  qint32 ManagementMode() const;

  // The close procedure: the window's references go, then the plug-in's
  // shutdown closes the system, the network and the Object Server and ends
  // the program.
  void RunCloseProcedure() override;
  QTimer* StatusTimer() override { return Timer2; }
  // Unloading the window unloads every other window of the plug-in (fMain's
  // own unloading then ends the plug-in).
  // False when the operator kept a phonebook editor open.
  bool UnloadForm();

  // Busy-waits ms milliseconds: window events run meanwhile, the window's
  // controls stay locked and the pointer is the hourglass.
  void Wait(int ms);
  // Timer1's tick: ends the wait.
  void Timer1Tick();

  // --- the status poll and the modem choice ---------------------------------
  // One Timer2 tick: the chosen modem's telephone state and, during a call,
  // its connection details.
  void Timer2Tick();
  // Runs when ComboModem's choice changes (the operator's or the open's).
  void ModemSelection();

  // --- calls -----------------------------------------------------------------
  // CmdDial: a typed number is sent as it stands; a phonebook line dials its
  // entry's number, trimmed, after the modem's auto answer is switched off.
  void Dial();
  // CmdCallCancel: the hang-up message, without waiting for a reply.
  void CallCancel();

  // --- the explicit states ---------------------------------------------------
  void ShowOffNet();
  void ShowNoAnswer();
  void ShowNotReady();

  // --- window state -----------------------------------------------------------
  lns::AppDevicePtr TheDevice;
  std::shared_ptr<lns::ExtensionRecords> DeviceRecords;
  lns::ExtensionRecordPtr CurrentRecord;
  bool PhonebookSupported = false;
  QString ModemStateCode;
  quint8 WaitDone = 1;

  // --- controls of this window ------------------------------------------------
  QLabel* Label1 = nullptr;  // "Modem:"
  QComboBox* ComboModem = nullptr;
  QTimer* Timer2 = nullptr;
  QLabel*& LabePhoneNumber = PhoneNumberLabel;
  CZEV_ActiveXCtrl*& ExplicitCom = Control;
  QAction*& MenuModem = ModemMenu;
  QAction*& MenuManual = ManualItem;
  QAction*& MenuPerpetual = PerpetualItem;
  QAction*& MenuAbout = AboutItem;
  QAction*& Spacer0 = RlxSeparator;
  QAction*& Spacer1 = ModemSeparator;

 signals:
  void waitFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  // The menu commands and the dial buttons.
  void onMenuPhoneBook();
  void onSubMenuPulse();
  void onSubMenuReboot();
  void onSubMenuRingMode();
  void onSubMenuAutoAnswer();
  void onSubMenuInputAudio();
  void onMenuManual();
  void onMenuPerpetual();
  void onSubMenuStatistics();
  void onCmdDial();
  void onCmdCallCancel();

 private:
  void ReleaseReferences();
  void ResetForOpen();
  void LockControls(bool locked);
  void FillPhoneList();

  bool polling_ = false;  // a Timer2 tick is under way
  bool dialing_ = false;  // a Dial is under way (its auto-answer wait lets events run)
  bool unloading_ = false;
};
