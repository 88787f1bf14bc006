#include "ui_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace platform {

namespace {
UiServices* g_ui = nullptr;

QtUiServices& fallback() {
  static QtUiServices services;
  return services;
}
}  // namespace

UiServices& ui() { return g_ui ? *g_ui : fallback(); }

void setUi(UiServices* services) { g_ui = services; }

int msgBox(const QString& text, MsgButtons buttons, const QString& title, MsgIcon icon, int defaultButton,
           QWidget* owner) {
  MessageBoxRequest r;
  r.text = text;
  r.buttons = buttons;
  r.title = title;
  r.icon = icon;
  r.defaultButton = defaultButton;
  r.owner = owner;
  return ui().messageBox(r);
}

BusyCursor::BusyCursor() : previous_(ui().pointer()) { ui().setPointer(Pointer::Hourglass); }

BusyCursor::~BusyCursor() { ui().setPointer(previous_); }

int QtUiServices::messageBox(const MessageBoxRequest& r) {
  QMessageBox box(r.owner);
  // The plug-in's texts separate lines with a carriage return alone.
  QString text = r.text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar(13), QChar(10));
  box.setText(text);
  box.setWindowTitle(r.title.isEmpty() ? QApplication::applicationName() : r.title);
  switch (r.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
  }
  struct B {
    QMessageBox::StandardButton button;
    int result;
  };
  QList<B> set;
  switch (r.buttons) {
    case MsgButtons::Ok: set = {{QMessageBox::Ok, IdOk}}; break;
    case MsgButtons::OkCancel: set = {{QMessageBox::Ok, IdOk}, {QMessageBox::Cancel, IdCancel}}; break;
    case MsgButtons::AbortRetryIgnore:
      set = {{QMessageBox::Abort, IdAbort}, {QMessageBox::Retry, IdRetry}, {QMessageBox::Ignore, IdIgnore}};
      break;
    case MsgButtons::YesNoCancel:
      set = {{QMessageBox::Yes, IdYes}, {QMessageBox::No, IdNo}, {QMessageBox::Cancel, IdCancel}};
      break;
    case MsgButtons::YesNo: set = {{QMessageBox::Yes, IdYes}, {QMessageBox::No, IdNo}}; break;
    case MsgButtons::RetryCancel: set = {{QMessageBox::Retry, IdRetry}, {QMessageBox::Cancel, IdCancel}}; break;
  }
  QMessageBox::StandardButtons buttons;
  for (const B& b : set)
    buttons |= b.button;
  box.setStandardButtons(buttons);
  if (r.defaultButton >= 0 && r.defaultButton < set.size())
    box.setDefaultButton(set[r.defaultButton].button);
  // The box must show the normal pointer even while an operation is busy.
  const bool overridden = QApplication::overrideCursor() != nullptr;
  if (overridden)
    QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int chosen = box.exec();
  if (overridden)
    QApplication::restoreOverrideCursor();
  for (const B& b : set)
    if (b.button == chosen)
      return b.result;
  // Closed with Escape or the close box: the classic box answers Cancel where
  // it has one, else the only button.
  for (const B& b : set)
    if (b.result == IdCancel)
      return IdCancel;
  return set.size() == 1 ? set.front().result : IdCancel;
}

void QtUiServices::beep() { QApplication::beep(); }

void QtUiServices::setPointer(Pointer pointer) {
  pointer_ = pointer;
  if (pointer == Pointer::Hourglass) {
    if (QApplication::overrideCursor())
      QApplication::changeOverrideCursor(Qt::WaitCursor);
    else
      QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    while (QApplication::overrideCursor())
      QApplication::restoreOverrideCursor();
  }
}

void QtUiServices::processEvents() { QApplication::processEvents(QEventLoop::AllEvents); }

int QtUiServices::showModal(QDialog* dialog) { return dialog->exec(); }

void QtUiServices::showModeless(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

bool QtUiServices::openUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool QtUiServices::openDocument(const QString& path, const QString& workingDirectory) {
  QString full = path;
  if (QFileInfo(path).isRelative() && !workingDirectory.isEmpty())
    full = workingDirectory + u'/' + path;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(full));
}

}  // namespace platform
