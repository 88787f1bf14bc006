#pragma once
// The small registration dialog shown when the program starts without a switch.

#include <QDialog>

class QPushButton;

class fRegisterPlugIn : public QDialog {
  Q_OBJECT
 public:
  explicit fRegisterPlugIn(QWidget* parent = nullptr);

  QPushButton* bRegister = nullptr;
  QPushButton* bDeregister = nullptr;
  QPushButton* bExit = nullptr;

 private:
  void onRegister();
  void onDeregister();
};
