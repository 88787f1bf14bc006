#pragma once
// The dialog that asks which device templates the director's "Register"
// command registers: both families, or only the current (LonMark) one.

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

class fRegTemplate : public QDialog {
  Q_OBJECT
 public:
  explicit fRegTemplate(QWidget* parent = nullptr);

  QGroupBox* Frame1 = nullptr;
  QRadioButton* Option1[2] = {nullptr, nullptr};  // 0: CURRENT, 1: ALL
  QPushButton* CmdOk = nullptr;

  // True from the dialog's load until OK is pressed.
  static bool fRegTemplateLoaded;
  // True when the dialog was closed by OK (any other close ends the registration).
  bool accepted() const { return accepted_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void onOk();
  bool accepted_ = false;
};
