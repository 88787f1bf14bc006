#include "enrol/fwait.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

namespace {

// A clock that advances one second per pause.
struct SteppingClock {
  int second;
  int pauses = 0;
  enrol::WaitClock clock() {
    return {[this] { return second; },
            [this] {
              ++pauses;
              second = (second + 1) % 60;
            }};
  }
};

TEST(Enrol, WindowTextsAndBar) {
  fWait w;
  EXPECT_EQ(w.windowTitle(), "Regestering: RLX_Plug");
  EXPECT_EQ(w.Label2->text(), "Please Wait !");
  SteppingClock c{10};
  enrol::RunWait(w, c.clock());
  EXPECT_EQ(w.ProgressBar1->maximum(), 12);
  EXPECT_EQ(w.ProgressBar1->value(), 10);
  EXPECT_FALSE(w.isVisible());
}

TEST(Enrol, SecondsWrapAtSixtyWhenStartedAtSecond55) {
  fWait w;
  SteppingClock c{55};
  const QList<int> values = enrol::RunWait(w, c.clock());
  EXPECT_EQ(values, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(c.pauses, 10);  // ten seconds, not an hour
  EXPECT_EQ(c.second, 5);
}

TEST(Enrol, ManyReadingsWithinOneSecondDoNotEndTheWaitEarly) {
  fWait w;
  int readings = 0;
  int second = 30;
  enrol::WaitClock clock{[&] {
                           ++readings;
                           return second;
                         },
                         [&] {
                           // Four readings per second.
                           if (readings % 4 == 0)
                             second = (second + 1) % 60;
                         }};
  const QList<int> values = enrol::RunWait(w, clock);
  EXPECT_EQ(values.back(), 10);
  EXPECT_GE(readings, 40);
}

}  // namespace
