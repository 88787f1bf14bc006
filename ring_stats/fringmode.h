#pragma once
// fRingMode: the device's ring mode parameters (enable, unit ID, ring
// propagation delay, ring test interval), applying them, and the ring status
// query over the devices of the ring.
//
// The LonMark family keeps the parameters in the "UCPT_RingMode" property of
// its "Device Globals" object; the explicit family is read and written with
// explicit messages. The ring status query uses explicit messages in both
// families, through the main window of the attached family.

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>

#include "device_protocol/reply_text.h"
#include "device_protocol/ring_mode.h"
#include "host/lns/lns.h"
#include "ring_stats/ring_status.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace window_support {
class MainWindowLink;
}

class fRingMode : public QDialog {
  Q_OBJECT
 public:
  explicit fRingMode(QWidget* parent = nullptr);
  ~fRingMode() override;

  QCheckBox* EnableChk = nullptr;
  QLabel* LabelUnitID = nullptr;
  QLineEdit* TextUnitID = nullptr;
  QLabel* LabelRingPropogation = nullptr;
  QLineEdit* TextRingProp = nullptr;
  QLineEdit* Text2 = nullptr;  // "mSEC"; passes the focus on to TextRingProp
  QLabel* LabelRingTest = nullptr;
  QLineEdit* TextRingTest = nullptr;
  QLineEdit* Text3 = nullptr;  // "mSEC"; passes the focus on to TextRingTest
  QFrame* Frame2 = nullptr;
  QPushButton* CmdApply = nullptr;
  QPushButton* QueryRingStatus = nullptr;
  QPushButton* CmdCancel = nullptr;
  QProgressBar* PBar = nullptr;
  QListWidget* ListData = nullptr;  // hidden: the values of the last reply
  QTimer* Timer1 = nullptr;         // WaitMilliseconds

  // Window state.
  lns::ConfigPropertyPtr RingModeProperty;  // LonMark family
  lns::AppDevicePtr RingDevice;             // the device whose subsystem the query checks
  bool QueryBusy = false;
  bool CancelRequested = false;
  // Position 1 holds the entry of the queried device, the others follow in
  // the order of the replies; position 0 is never filled.
  std::array<device_protocol::RingStatusEntry, ring_stats::kRingPositions> RingEntries{};

  // Opening from a main window: fills the fields and shows the window
  // modally over it. A failed read is reported and the window stays hidden.
  // Returns whether the window was shown.
  bool OpenLonMark(window_support::MainWindowLink& main);
  bool OpenExplicit(window_support::MainWindowLink& main);

  // The handlers of the buttons and the check box.
  void CmdApply_Click();
  void QueryRingStatus_Click();
  void CmdCancel_Click();
  void EnableChk_Click();

  // Enables the five text boxes with the window colour, or disables them
  // with the button-face colour.
  void SetFieldGroupEnabled(bool enabled);

  // Runs Timer1 for ms and lets window events run until its tick; the
  // operator's Cancel is handled meanwhile. Returns false when the window
  // went away during the wait (its caller must then leave at once).
  bool WaitMilliseconds(int ms);

  // How WaitMilliseconds passes its time: by default the event loop runs
  // until Timer1 ticks. A pause function set here is called with the
  // milliseconds instead (tests move a simulated clock and may act as the
  // operator would meanwhile); Timer1 then ticks when it returns. Applies to
  // every window; an empty function puts back the event loop.
  static void SetPause(std::function<void(fRingMode& window, int ms)> pause);

  // The field handlers (also reached through the fields' events).
  // On a change: a text that is not a number is reported (unless empty) and
  // replaced by the field's default.
  void FieldChanged(QLineEdit* field);
  // On leaving the field: false (with the warning shown, the focus kept in
  // the field and its text selected) when the value is out of range.
  bool ValidateField(QLineEdit* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  enum class Family { None, LonMark, Explicit };

  void SetEnableChk(bool ticked);
  // What a button with validation does before its own work: validates the
  // field that holds the focus; false when that failed.
  bool CausesValidation();
  void OnFocusChanged(QWidget* old, QWidget* now);
  void Timer1_Timer();
  void ApplyExplicit();
  void ApplyLonMark();
  void FillListData(const device_protocol::ReplyValues& values, bool padded);
  void AddProgress(int steps);
  void EndQuery();
  // The main window the window was opened from, while it is still there.
  window_support::MainWindowLink* Opener() const;
  window_support::MainWindowLink* QueryWindow() const;

  Family family_ = Family::None;
  window_support::MainWindowLink* opener_ = nullptr;
  QPointer<QWidget> openerWindow_;
  bool validating_ = false;
  QMetaObject::Connection focusWatch_;
};
