#include "platform/headless_ui.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using platform::HeadlessUiServices;
using platform::MsgButtons;
using platform::MsgIcon;
using Questions = HeadlessUiServices::Questions;

namespace {

// The services with their error output and their ending caught.
struct Headless {
  explicit Headless(Questions questions)
      : ui(
            questions, [this](const QString& line) { lines << line; }, [this](int code) { endedWith = code; }) {}
  QStringList lines;
  int endedWith = -1;  // -1: the process would go on
  HeadlessUiServices ui;
};

// A window like "Connection Error": a text, a checked box, three buttons, Yes the default.
struct Question : QDialog {
  Question() {
    setWindowTitle("Connection Error");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("No response from RLX-1.\rTry again?", this));
    auto* remember = new QCheckBox("&Remember", this);
    remember->setChecked(true);
    layout->addWidget(remember);
    auto* hidden = new QLabel("never shown", this);
    hidden->hide();
    for (const char* caption : {"&Yes", "No", "Cancel"}) {
      auto* b = new QPushButton(caption, this);
      b->setDefault(caption[1] == 'Y');
      layout->addWidget(b);
    }
  }
};

TEST(HeadlessUi, EveryBoxIsWrittenAndNothingWaits) {
  struct Case {
    Questions questions;
    MsgButtons buttons;
    MsgIcon icon;
    int defaultButton;
    int answer;
    int endedWith;
    QString line;
  };
  const QString ends = " -> nobody is there to answer; RLX_Plug ends (exit code 2)";
  const QList<Case> cases = {
      // A box that only informs is answered whatever the program chose.
      {Questions::EndProcess, MsgButtons::Ok, MsgIcon::None, 0, platform::IdOk, -1,
       "RLX_Plug: [message] File Copy Error: Unable to find file /a/b.xif / second line"},
      {Questions::TakeDefault, MsgButtons::Ok, MsgIcon::Critical, 0, platform::IdOk, -1,
       "RLX_Plug: [error] File Copy Error: Unable to find file /a/b.xif / second line"},
      {Questions::TakeDefault, MsgButtons::YesNo, MsgIcon::Question, 1, platform::IdNo, -1,
       "RLX_Plug: [question] File Copy Error: Unable to find file /a/b.xif / second line (Yes/No*) -> No, with "
       "nobody there to answer"},
      // Trying again with nobody to change anything would ask for ever.
      {Questions::TakeDefault, MsgButtons::RetryCancel, MsgIcon::Exclamation, 0, platform::IdCancel, -1,
       "RLX_Plug: [warning] File Copy Error: Unable to find file /a/b.xif / second line (Retry*/Cancel) -> Cancel, "
       "with nobody there to answer"},
      {Questions::EndProcess, MsgButtons::YesNoCancel, MsgIcon::Question, 0, platform::IdCancel, 2,
       "RLX_Plug: [question] File Copy Error: Unable to find file /a/b.xif / second line (Yes*/No/Cancel)" + ends},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.toStdString());
    Headless h(c.questions);
    platform::MessageBoxRequest box;
    box.text = "Unable to find file /a/b.xif\r\n\rsecond line";
    box.title = "File Copy Error";
    box.buttons = c.buttons;
    box.icon = c.icon;
    box.defaultButton = c.defaultButton;
    EXPECT_EQ(h.ui.messageBox(box), c.answer);
    EXPECT_EQ(h.endedWith, c.endedWith);
    EXPECT_EQ(h.lines, QStringList{c.line});
  }
}

TEST(HeadlessUi, AWindowThatWaitsForAnAnswerIsWrittenThenClosedOrEndsTheProcess) {
  const QString window =
      "RLX_Plug: [window] Connection Error: No response from RLX-1. / Try again? ([x] Remember/Yes*/No/Cancel)";
  Question dialog;
  for (Questions questions : {Questions::TakeDefault, Questions::EndProcess}) {
    Headless h(questions);
    EXPECT_EQ(h.ui.showModal(&dialog), QDialog::Rejected);
    EXPECT_FALSE(h.ui.awaitOperator(&dialog));
    if (questions == Questions::EndProcess) {
      EXPECT_EQ(h.endedWith, HeadlessUiServices::kExitNeedsOperator);
      EXPECT_EQ(h.lines, QStringList(2, window + " -> nobody is there to answer; RLX_Plug ends (exit code 2)"));
    } else {
      EXPECT_EQ(h.endedWith, -1);
      EXPECT_EQ(h.lines, QStringList(2, window + " -> closed, with nobody there to answer"));
    }
    EXPECT_FALSE(dialog.isVisible());
  }
  Headless h(Questions::EndProcess);
  EXPECT_EQ(h.ui.refuse(&dialog, "use the switches"), HeadlessUiServices::kExitNeedsOperator);
  EXPECT_EQ(h.endedWith, -1);  // the caller ends with the code it got
  EXPECT_EQ(h.lines, (QStringList{window + " -> nobody is there to answer", "RLX_Plug: use the switches"}));
}

}  // namespace
