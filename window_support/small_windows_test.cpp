#include "window_support/small_windows.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "tests/support/scripted_ui.h"

using testing_support::scriptedUi;

namespace {

int askAndClick(const char* button) {
  scriptedUi().onModal([button](QDialog* d) {
    auto* w = d->findChild<QPushButton*>(QString::fromLatin1(button));
    EXPECT_NE(w, nullptr);
    EXPECT_TRUE(d->windowFlags().testFlag(Qt::WindowStaysOnTopHint) || !d->isVisible());
    if (w)
      w->click();
    return 0;
  });
  return fConnectionError::Ask(nullptr, QString("No response from RLX.") + QChar(13) + "Retry?");
}

TEST(ConnectionError, EachButtonGivesItsResult) {
  EXPECT_EQ(askAndClick("bYes"), 6);
  EXPECT_EQ(askAndClick("bNo"), 7);
  EXPECT_EQ(askAndClick("bCancel"), 2);
  EXPECT_EQ(scriptedUi().modalsShown().count("fConnectionError"), 3);
}

TEST(ConnectionError, ClosingWithoutAButtonIsCancelAndTheTextIsShown) {
  QString shown;
  scriptedUi().onModal([&](QDialog* d) {
    shown = d->findChild<QLabel*>("Label1")->text();
    EXPECT_EQ(d->windowTitle(), "Connection Error");
    d->close();
    return 0;
  });
  EXPECT_EQ(fConnectionError::Ask(nullptr, QString("line one") + QChar(13) + "line two"), 2);
  EXPECT_EQ(shown, "line one\nline two");
}

TEST(Progress, RunsFromOneToTheStepCountOnTop) {
  fProgress p;
  EXPECT_EQ(p.windowTitle(), "RLX/Plug");
  EXPECT_EQ(p.Label1->text(), "Creating RLX Phonebook");
  p.Start(64);
  EXPECT_TRUE(p.isVisible());
  EXPECT_TRUE(p.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(p.ProgressBar->minimum(), 1);
  EXPECT_EQ(p.ProgressBar->maximum(), 64);
  p.Step(12);
  EXPECT_EQ(p.ProgressBar->value(), 12);
  p.Step(100);  // never past the end
  EXPECT_EQ(p.ProgressBar->value(), 64);
  p.Finish();
  EXPECT_FALSE(p.isVisible());
}

}  // namespace
