#include "scripted_ui.h"

#include <QApplication>
#include <QDialog>

namespace testing_support {

namespace {
int defaultAnswer(platform::MsgButtons buttons, int defaultButton) {
  using platform::MsgButtons;
  QList<int> set;
  switch (buttons) {
    case MsgButtons::Ok: set = {platform::IdOk}; break;
    case MsgButtons::OkCancel: set = {platform::IdOk, platform::IdCancel}; break;
    case MsgButtons::AbortRetryIgnore: set = {platform::IdAbort, platform::IdRetry, platform::IdIgnore}; break;
    case MsgButtons::YesNoCancel: set = {platform::IdYes, platform::IdNo, platform::IdCancel}; break;
    case MsgButtons::YesNo: set = {platform::IdYes, platform::IdNo}; break;
    case MsgButtons::RetryCancel: set = {platform::IdRetry, platform::IdCancel}; break;
  }
  return set.value(defaultButton, set.front());
}
}  // namespace

QStringList ScriptedUi::boxTexts() const {
  QStringList out;
  for (const RecordedBox& b : boxes_)
    out << b.text;
  return out;
}

void ScriptedUi::clear() {
  answers_.clear();
  responder_ = nullptr;
  modalHandler_ = nullptr;
  boxes_.clear();
  modals_.clear();
  urls_.clear();
  documents_.clear();
  pointerHistory_.clear();
  pointer_ = platform::Pointer::Default;
  unanswered_ = 0;
  beeps_ = 0;
}

int ScriptedUi::messageBox(const platform::MessageBoxRequest& r) {
  RecordedBox box{r.text, r.title, r.buttons, r.icon, r.defaultButton, 0};
  if (!answers_.empty()) {
    box.answer = answers_.front();
    answers_.pop_front();
  } else if (responder_) {
    box.answer = responder_(box);
  } else {
    box.answer = defaultAnswer(r.buttons, r.defaultButton);
    if (r.buttons != platform::MsgButtons::Ok)
      ++unanswered_;
  }
  boxes_.append(box);
  return box.answer;
}

void ScriptedUi::processEvents() { QApplication::processEvents(QEventLoop::AllEvents); }

int ScriptedUi::showModal(QDialog* dialog) {
  modals_ << dialog->objectName();
  if (modalHandler_)
    return modalHandler_(dialog);
  return 0;
}

void ScriptedUi::showModeless(QWidget* window) {
  modals_ << window->objectName();
  window->show();
}

}  // namespace testing_support
