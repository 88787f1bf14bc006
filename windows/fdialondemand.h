#pragma once
// fDialOnDemand ("Dial On Demand Settings", LonMark family): the range of
// phonebook entries a modem tries when traffic needs a connection, how long
// an idle line is held and how often a call is retried. The main window loads
// it with the modem's LonMark object and shows it without blocking itself;
// "Dial On Demand" writes the settings into the modem's UCPT_DialMode and
// marks the mode in the main window.

#include <QDialog>

#include "host/lns/lns.h"

class DeviceWindow;
class QComboBox;
class QLabel;
class QPushButton;

class fDialOnDemand : public QDialog {
  Q_OBJECT
 public:
  explicit fDialOnDemand(DeviceWindow* mainWindow);

  QLabel* Label1 = nullptr;         // "First Phone Entry:"
  QLabel* Label2 = nullptr;         // "Last Phone Entry:"
  QLabel* Label3 = nullptr;         // "Hang Time:"
  QLabel* Label4 = nullptr;         // "Retry Count:"
  QLabel* Label5 = nullptr;         // "Seconds"
  QComboBox* Combo1 = nullptr;      // first phone entry, 0 to 15
  QComboBox* Combo2 = nullptr;      // last phone entry, 0 to 15
  QComboBox* Combo3 = nullptr;      // hang time in seconds, 15 to 120 by 15; digits may be typed
  QComboBox* Combo4 = nullptr;      // retry count, 0 to 9; digits may be typed
  QPushButton* CmdOk = nullptr;     // "Dial On Demand"
  QPushButton* Command1 = nullptr;  // "Exit"

  // Loading: every list at its first choice, then the modem's object given.
  void Load(lns::LonMarkObjectPtr modemObject);
  // Giving the object: reads its UCPT_DialMode and, in dial-on-demand mode,
  // shows its settings.
  void SetObject(lns::LonMarkObjectPtr modemObject);
  // CmdOk: writes "DOD,first,last,hang,retries,0,0,0,0,0,0", marks Dial On
  // Demand in the main window and closes. Answers whether it was written.
  bool Apply();
  // The main window opens another object: the dialog lets go of the modem
  // object (nothing more is written to it) and closes.
  void Abandon();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Box(const QString& text, const QString& title);

  DeviceWindow* main_;
  lns::LonMarkObjectPtr modemObject_;
};
