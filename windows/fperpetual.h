#pragma once
// fPerpetual ("Perpetual Mode"): picks the phonebook entry that a modem keeps
// a connection to by itself. The main window fills ComboPhonebook with the
// phonebook's lines, hands the dialog its objects (GetObjects for the LonMark
// family: the device, the modem's LonMark object and the phonebook's dial
// strings; GetDevice for the explicit family) and shows it modally. "Perpetual
// Dial" sets the mode on the device and, once it is set, marks Perpetual in
// the main window and shows the entry there in place of the phone number.

#include <QDialog>

#include "host/lns/lns.h"

class DeviceWindow;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

class fPerpetual : public QDialog {
  Q_OBJECT
 public:
  // The dialog belongs to the main window whose modem it sets.
  explicit fPerpetual(DeviceWindow* mainWindow);

  QLabel* Label1 = nullptr;             // "Phonebook List:"
  QComboBox* ComboPhonebook = nullptr;  // the phonebook's lines
  QPushButton* CmdDial = nullptr;       // "Perpetual Dial"
  QPushButton* CmdExit = nullptr;       // "Exit": hides the dialog
  QListWidget* ListData = nullptr;      // hidden: the values of the last split reply

  // LonMark family: the device, the modem's LonMark object and the phonebook
  // object's "UCPT_DialString".
  void GetObjects(lns::AppDevicePtr device, lns::LonMarkObjectPtr modemObject, lns::ConfigPropertyPtr dialStrings);
  // Explicit family: the device; the modem is the one the main window shows.
  void GetDevice(lns::AppDevicePtr device);

  // The main window opens another object: the dialog lets go of its objects
  // (nothing more reaches the old modem) and closes.
  void Abandon();

  // Splits a reply into ListData (SplitReplyText).
  void ParseData(const QString& reply);

  // CmdDial: sets perpetual mode to the chosen line's entry. Answers whether
  // the mode was set (the dialog is hidden then).
  bool PerpetualDial();

 private:
  bool DialLonMark(const QString& chosen);
  bool DialExplicit(const QString& chosen);
  void Box(const QString& text, const QString& title);
  void Succeeded(const QString& chosen);

  DeviceWindow* main_;
  bool explicitFamily_ = false;
  lns::AppDevicePtr device_;
  lns::LonMarkObjectPtr modemObject_;
  lns::ConfigPropertyPtr dialStrings_;
  bool dialing_ = false;  // a Perpetual Dial is under way
};
