#pragma once
// What the two main windows have in common: the form (firmware, telephone
// state, dial controls, message line, product picture), the menu tree, the
// explicit message control with its device link, the Exit and About commands,
// and the small rules both follow (red warnings, centring, a fixed border).
//
// Controls and menu items carry the names the windows use as members and as
// objectName, so tests and the accessibility tree find them. Menu entries are
// QActions (a drop-down menu's action enables and disables the whole menu);
// items whose name differs between the two windows are reached through the
// family's own reference members (fMain::SubMenuManual, fMainExplicit::MenuManual).

#include <QMainWindow>
#include <QString>

#include "host/lns/lns.h"
#include "host/plugin_window.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

class CZEV_ActiveXCtrl;
class QAction;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;

// Colours of the message and state lines (red: colour value 255).
inline constexpr unsigned kColourRed = 0x0000FF;  // 255 in the classic BGR form
inline constexpr unsigned kColourBlack = 0;

class DeviceWindow : public QMainWindow, public PlugInWindow, public window_support::MainWindowLink {
  Q_OBJECT
 public:
  // The names that differ between the two windows.
  struct FormNames {
    bool explicitFamily = false;
    const char* window;          // "fMain", "fMainExplicit"
    const char* caption;         // "RLX/Plug", "RLX/Plug "
    const char* control;         // "ExplicitCOM", "ExplicitCom"
    const char* phoneLabel;      // "LabelPhoneNumber", "LabePhoneNumber"
    const char* modemMenu;       // "MenuModemOptions", "MenuModem"
    const char* manual;          // "SubMenuManual", "MenuManual"
    const char* manualCaption;   // "Manual " (fMain, with its blank), "Manual"
    const char* perpetual;       // "SubMenuLocalPerpetual", "MenuPerpetual"
    const char* about;           // "SubMenuAbout", "MenuAbout"
    const char* rlxSeparator;    // "Divider", "Spacer0"
    const char* modemSeparator;  // "Separator", "Spacer1"
  };

  explicit DeviceWindow(const FormNames& names, QWidget* parent = nullptr);
  ~DeviceWindow() override;

  // --- the form -------------------------------------------------------------
  QLabel* LabelProduct = nullptr;        // "RLX Firmware:" + the firmware text
  QLabel* LabelConnectStatus = nullptr;  // the shown modem's telephone state
  QLabel* labelMes = nullptr;            // "Message:"
  QLabel* LabelMessage = nullptr;        // connection text and warnings
  QLabel* PhoneNumberLabel = nullptr;    // "Phone Number:" (LabelPhoneNumber / LabePhoneNumber)
  QComboBox* ComboPhone = nullptr;       // number or phonebook entry to dial
  QPushButton* CmdDial = nullptr;
  QPushButton* CmdCallCancel = nullptr;
  QFrame* Frame1 = nullptr;         // groups the dial controls
  QLabel* Image1 = nullptr;         // the product picture
  QListWidget* ListData = nullptr;  // hidden: the values of the last split reply
  QTimer* Timer1 = nullptr;
  CZEV_ActiveXCtrl* Control = nullptr;  // ExplicitCOM / ExplicitCom

  // --- the menus ----------------------------------------------------------
  QAction* MenuPhoneBook = nullptr;  // "&Phonebook"
  QAction* MenuRLX = nullptr;        // "&RLX Options"
  QAction* SubMenuPulse = nullptr;
  QAction* SubMenuReboot = nullptr;
  QAction* RlxSeparator = nullptr;  // Divider / Spacer0
  QAction* SubMenuRingMode = nullptr;
  QAction* ModemMenu = nullptr;          // "&Modem Options" (MenuModemOptions / MenuModem)
  QAction* SubMenuAutoAnswer = nullptr;  // check item
  QAction* SubMenuInputAudio = nullptr;  // check item
  QAction* SubMenuDialMode = nullptr;    // "&Dial Mode" submenu
  QAction* ManualItem = nullptr;         // SubMenuManual / MenuManual
  QAction* PerpetualItem = nullptr;      // SubMenuLocalPerpetual / MenuPerpetual
  QAction* MenuDialOnDemand = nullptr;
  QAction* ModemSeparator = nullptr;  // Separator / Spacer1
  QAction* SubMenuStatistics = nullptr;
  QAction* MenuHelp = nullptr;   // "&Help"
  QAction* AboutItem = nullptr;  // SubMenuAbout / MenuAbout
  QAction* MenuExit = nullptr;   // "&Exit"

  // The window's row of the object or modem it shows (above the firmware line).
  QHBoxLayout* ObjectRow = nullptr;

  // --- shared rules ---------------------------------------------------------
  // Sets a label's text colour: kColourRed or kColourBlack.
  static void SetLabelColour(QLabel* label, unsigned colour);
  static unsigned LabelColour(const QLabel* label);
  void SetMessage(const QString& text, unsigned colour);
  // Enables or disables CmdDial, CmdCallCancel and ComboPhone together.
  void SetDialControls(bool enabled);
  // Whether ComboPhone's text is one of its list's lines (a phonebook entry,
  // chosen from the list or shown by the window), rather than a number the
  // operator typed: a typed number that happens to read like a line is a
  // number.
  bool PhoneLineChosen() const;
  // Empties ComboPhone's text (no line chosen).
  void ClearPhoneText();

  // The explicit message control's link to the device.
  window_support::DeviceLink& Link() { return link_; }
  const window_support::DeviceLink& Link() const { return link_; }
  // Sends a request through the control and answers the reply text.
  QString Send(const QString& request) { return link_.Send(request); }

  // --- the status poll and a router that falls silent -------------------------
  // While the router answers, its status is polled every kStatusPollMs. While
  // it stays silent (each unanswered poll waits out the message's 3 s bound)
  // the polls come 10 s, 20 s, then 30 s apart, so that the window is held at
  // most about 15 % of the time; the first answer brings the normal pace back.
  static constexpr int kStatusPollMs = 2000;
  // The window's status poll timer (fMain: Timer1, fMainExplicit: Timer2).
  virtual QTimer* StatusTimer() = 0;
  int StatusPollInterval() const;
  // Records whether the last poll was answered.
  void PollAnswered(bool answered);
  bool RouterSilent() const { return unansweredPolls_ > 0; }
  // What the window shows while the router does not answer: no telephone
  // state (the call it showed may be gone), the message line in red saying
  // so, and no dialling until the line's state is known again.
  void ShowRouterSilent(const QString& message);
  // The router answers again: the message line is cleared for the status.
  void ShowRouterBack();
  // Call Cancel cannot be confirmed while the router is silent.
  void ReportCallCancelUnconfirmed();

  // What each open of the window starts from, whatever object it showed
  // before: the dial-mode dialogs of that object closed, no check marks, an
  // empty phone list, the normal status pace.
  void ResetForAnotherObject();

  // The no-response question (Yes 6, No 7, anything else Cancel).
  int AskNoResponse(const QString& deviceName);
  // A failure report: OK button, no icon, the given title.
  void Report(const QString& text, const QString& title);

  // Exit: ends the plug-in at once without directors, otherwise asks first.
  void ExitCommand();
  // The window's close procedure (Part of each family).
  virtual void RunCloseProcedure() = 0;

  // window_support::MainWindowLink
  QWidget* window() override { return this; }
  window_support::DeviceLink& link() override { return link_; }

  // Fits the window to its content once and centres it on the screen.
  void FixSizeAndCentre();

 protected:
  QMenu* MenuOf(QAction* action) const;

 private slots:
  void onMenuExit();
  void onAbout();

 private:
  window_support::DeviceLink link_;
  bool explicitFamily_;
  int unansweredPolls_ = 0;
  QString typedPhoneText_;  // ComboPhone's text as the operator last typed it
};
