#pragma once
// UI services for a process nobody can answer: one started without a display
// (an installer, a session over ssh) or drawn offscreen. Nothing waits: every
// message box is written to standard error with its kind, title, text and
// buttons. A box that only informs is answered OK. A question, a modal
// window or a window the caller would wait on takes the default answer or
// ends the process, as the program chose when it installed the services.
// Windows that are only shown are drawn offscreen as usual.

#include <functional>

#include "platform/ui_services.h"

namespace platform {

class HeadlessUiServices : public QtUiServices {
 public:
  enum class Questions {
    TakeDefault,  // a box takes its default button (Retry excepted), a window is closed
    EndProcess,   // the process ends with kExitNeedsOperator
  };
  // The exit code of a process that ended because it needed an operator.
  static constexpr int kExitNeedsOperator = 2;

  using Writer = std::function<void(const QString& line)>;
  using Ending = std::function<void(int exitCode)>;
  // Without a writer the lines go to standard error; without an ending the
  // process ends at once (its windows are discarded, as when it is killed).
  explicit HeadlessUiServices(Questions questions, Writer write = nullptr, Ending end = nullptr);

  int messageBox(const MessageBoxRequest& request) override;
  void beep() override {}
  int showModal(QDialog* dialog) override;
  bool awaitOperator(QWidget* window) override;

  // Writes what the window would have asked, then the hint, and answers the
  // exit code for a process that cannot go on without an operator.
  int refuse(QWidget* window, const QString& hint);

  // The window as one line: its title, texts and buttons ("[x] " for a
  // checked box, the default button marked "*").
  static QString describe(QWidget* window);

 private:
  void write(const QString& line) const;
  // The question could not be put to anybody: under EndProcess the process ends.
  void nobodyToAnswer(const QString& question);

  Questions questions_;
  Writer write_;
  Ending end_;
};

}  // namespace platform
