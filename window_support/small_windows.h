#pragma once
// The small windows the main windows share: the "Connection Error" question
// and the progress window of long phonebook work.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// Asks whether to retry when the device does not answer. Result: 6 Yes,
// 7 No, 2 Cancel (closing it any other way counts as Cancel).
class fConnectionError : public QDialog {
  Q_OBJECT
 public:
  explicit fConnectionError(QWidget* parent = nullptr);
  QLabel* Label1 = nullptr;
  QPushButton* bYes = nullptr;
  QPushButton* bNo = nullptr;
  QPushButton* bCancel = nullptr;
  int Result = 2;

  // Sets the message, shows the window modally over the owner and returns the result.
  static int Ask(QWidget* owner, const QString& message);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void choose(int result);
};

// "Creating RLX Phonebook" with a progress bar; shown without blocking, on top.
class fProgress : public QDialog {
  Q_OBJECT
 public:
  explicit fProgress(QWidget* parent = nullptr);
  QLabel* Label1 = nullptr;
  QProgressBar* ProgressBar = nullptr;

  // Shows the window with the bar running from 1 to steps.
  void Start(int steps);
  // Moves the bar to the step in progress and lets the window repaint.
  void Step(int value);
  void Finish();

 protected:
  void showEvent(QShowEvent* event) override;
};
