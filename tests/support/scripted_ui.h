#pragma once
// UI services for tests: every message box is recorded and answered from a
// script, modal dialogs are handed to a callback instead of blocking, and the
// pointer and beeps are counted.

#include <QList>
#include <QString>
#include <deque>
#include <functional>

#include "platform/ui_services.h"
#include "tests/support/qt_printers.h"

namespace testing_support {

struct RecordedBox {
  QString text;
  QString title;
  platform::MsgButtons buttons;
  platform::MsgIcon icon;
  int defaultButton;
  int answer;
};

class ScriptedUi : public platform::UiServices {
 public:
  // Answers for the next boxes, in order. A box without a scripted answer is
  // answered with its default button and counted as unanswered.
  void answer(int result) { answers_.push_back(result); }
  void answerWith(std::function<int(const RecordedBox&)> responder) { responder_ = std::move(responder); }

  // Called for every modal dialog; its return value is the dialog's result.
  // Without a handler the dialog is recorded and returns 0 at once.
  void onModal(std::function<int(QDialog*)> handler) { modalHandler_ = std::move(handler); }

  const QList<RecordedBox>& boxes() const { return boxes_; }
  QStringList boxTexts() const;
  int unanswered() const { return unanswered_; }
  int beeps() const { return beeps_; }
  const QStringList& modalsShown() const { return modals_; }
  const QStringList& openedUrls() const { return urls_; }
  const QStringList& openedDocuments() const { return documents_; }
  // Every pointer change, in order.
  const QList<platform::Pointer>& pointerHistory() const { return pointerHistory_; }
  void clear();

  int messageBox(const platform::MessageBoxRequest& request) override;
  void beep() override { ++beeps_; }
  void setPointer(platform::Pointer pointer) override {
    pointer_ = pointer;
    pointerHistory_.append(pointer);
  }
  platform::Pointer pointer() const override { return pointer_; }
  void processEvents() override;
  int showModal(QDialog* dialog) override;
  void showModeless(QWidget* window) override;
  bool openUrl(const QString& url) override {
    urls_ << url;
    return true;
  }
  bool openDocument(const QString& path, const QString& workingDirectory) override {
    documents_ << (workingDirectory.isEmpty() ? path : workingDirectory + u'/' + path);
    return true;
  }

 private:
  std::deque<int> answers_;
  std::function<int(const RecordedBox&)> responder_;
  std::function<int(QDialog*)> modalHandler_;
  QList<RecordedBox> boxes_;
  QStringList modals_;
  QStringList urls_;
  QStringList documents_;
  QList<platform::Pointer> pointerHistory_;
  platform::Pointer pointer_ = platform::Pointer::Default;
  int unanswered_ = 0;
  int beeps_ = 0;
};

// The instance main() installs for every test.
ScriptedUi& scriptedUi();

}  // namespace testing_support
