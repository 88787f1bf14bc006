#pragma once
// fConnStatistics: the connection statistics of one modem, read from the
// device with one explicit message: how many calls ended for each of the nine
// hang-up causes, the cause of the last hang-up, successful connections and
// retrain attempts. The operator can clear them on the device.

#include <QDialog>
#include <QPointer>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;

namespace window_support {
class MainWindowLink;
}

class fConnStatistics : public QDialog {
  Q_OBJECT
 public:
  explicit fConnStatistics(QWidget* parent = nullptr);

  QGroupBox* FrameHangups = nullptr;
  QGroupBox* FrameCause = nullptr;
  QGroupBox* FrameOther = nullptr;
  // Captions of the nine counters, top to bottom.
  QLabel* LabelCarrier = nullptr;
  QLabel* LabelHearbeat = nullptr;
  QLabel* LabelCancel = nullptr;
  QLabel* LabelTraining = nullptr;
  QLabel* LabelLink = nullptr;
  QLabel* Labelinitial = nullptr;
  QLabel* LabelMid = nullptr;
  QLabel* LabelInvalid = nullptr;
  QLabel* LabelDSR = nullptr;
  QLabel* LabelSuccessful = nullptr;
  QLabel* LabelRetrain = nullptr;
  // 0: last hang-up cause; 1 to 9: hang-ups of causes 1 to 9; 10: successful
  // connections; 11: retrain attempts. Each has objectName
  // "LabelHangupValues" and its index in the property "index".
  std::array<QLabel*, 12> LabelHangupValues{};
  QPushButton* CmdClear = nullptr;
  QPushButton* CmdExit = nullptr;

  // The menu entry of a main window: works out the modem, greys the rows
  // only the internal modem has, reads the statistics and shows them modally
  // over the main window. A failed read is reported (with the explicit or the
  // LonMark window's text) and the window is not shown. Returns whether it
  // was shown.
  bool ReadAndShow(window_support::MainWindowLink& main, bool explicitFamily);

  // Fills the values from a statistics reply: the cause text of value 3
  // (none outside 1 to 9), the counters of values 4 to 12, values 13 and 14.
  // Values missing from a short reply are shown empty.
  void ShowReply(const QString& reply);

  // Enables (internal modem) or greys (external modems) the rows of the
  // causes and the counter only the internal modem has; greyed values are
  // still filled in.
  void SetInternalModemRows(bool enabled);

 private:
  void CmdClear_Click();
  void CmdExit_Click();

  // The main window the statistics were last read for: the fall-back when
  // no main window of the attached family is registered.
  window_support::MainWindowLink* opener_ = nullptr;
  QPointer<QWidget> openerWindow_;
};
