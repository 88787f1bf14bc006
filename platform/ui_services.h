#pragma once
// Everything a window asks of the desktop: message boxes, beeps, the mouse
// pointer, letting pending events run, modal and modeless showing, opening a
// web address or a document. The program installs the Qt implementation; the
// tests install one that records every box and answers from a script.

#include <QString>

class QDialog;
class QWidget;

namespace platform {

// Button sets and results keep the numbers of the classic message box, so code
// and tests can speak of "6 for Yes, 7 for No".
enum class MsgButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum MsgResult { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

enum class Pointer { Default, Arrow, Hourglass };

struct MessageBoxRequest {
  QString text;
  QString title;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
  int defaultButton = 0;  // 0 = first button, 1 = second, 2 = third
  QWidget* owner = nullptr;
};

class UiServices {
 public:
  virtual ~UiServices() = default;
  // Shows a modal box and returns the MsgResult of the button chosen.
  virtual int messageBox(const MessageBoxRequest& request) = 0;
  virtual void beep() = 0;
  virtual void setPointer(Pointer pointer) = 0;
  virtual Pointer pointer() const = 0;
  // Lets pending window events, timer ticks and incoming calls run once.
  virtual void processEvents() = 0;
  // Shows the dialog modally (owned by its parent) and returns its result.
  virtual int showModal(QDialog* dialog) = 0;
  virtual void showModeless(QWidget* window) = 0;
  // Called before waiting for the operator's answer in a window shown without
  // blocking. False when nobody can answer: the caller gives up the wait as
  // if the window had been closed.
  virtual bool awaitOperator(QWidget* window) {
    (void)window;
    return true;
  }
  // Asks the desktop to open a web address or a document with its handler.
  virtual bool openUrl(const QString& url) = 0;
  virtual bool openDocument(const QString& path, const QString& workingDirectory) = 0;
};

// The process's UI services. Never null once main() or a test has installed one.
UiServices& ui();
void setUi(UiServices* services);

// Convenience for the common case of a box with text, buttons, icon and title.
int msgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, const QString& title = QString(),
           MsgIcon icon = MsgIcon::None, int defaultButton = 0, QWidget* owner = nullptr);

// Shows the hourglass while it lives and puts back the pointer it found.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Pointer previous_;
};

// The Qt implementation used by the programs.
class QtUiServices : public UiServices {
 public:
  int messageBox(const MessageBoxRequest& request) override;
  void beep() override;
  void setPointer(Pointer pointer) override;
  Pointer pointer() const override { return pointer_; }
  void processEvents() override;
  int showModal(QDialog* dialog) override;
  void showModeless(QWidget* window) override;
  bool openUrl(const QString& url) override;
  bool openDocument(const QString& path, const QString& workingDirectory) override;

 private:
  Pointer pointer_ = Pointer::Default;
};

}  // namespace platform
