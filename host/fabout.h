#pragma once
// The About window: the plug-in's name and version, the maker's support
// contacts, and the web address as a link.

#include <QDialog>

class QLabel;
class QFrame;
class QPushButton;

class fAbout : public QDialog {
  Q_OBJECT
 public:
  explicit fAbout(QWidget* parent = nullptr);

  static const QString kWebAddress;
  static const QColor kLinkColour;   // blue
  static const QColor kHoverColour;  // classic palette colour 5

  QLabel* picIcon = nullptr;
  QLabel* LabelSoftware = nullptr;
  QLabel* LabelCompany = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label6 = nullptr;
  QFrame* Line1[2] = {nullptr, nullptr};
  QLabel* lblDisclaimer = nullptr;
  QPushButton* cmdOK = nullptr;

  // The colour the web label is drawn in now.
  QColor linkColour() const;
  // The web label's action (a click, or Enter when it has the focus): asks
  // the system to open the web address, and draws the link in blue again.
  void OpenWebAddress();

  // Shows the window modally, owned by the main window that opens it. One
  // window per process; it keeps its state between openings.
  static void ShowAbout(QWidget* owner);
  static fAbout* instance();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void setLinkColour(const QColor& colour);
};
