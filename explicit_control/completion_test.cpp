#include "explicit_control/completion.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <thread>

#include "explicit_control/testing/simulated_wait.h"

namespace {

using zev::ArmCompletion;
using zev::CompletionByte;
using zev::PointCallback;
using zev::WaitForCompletion;
using zev_testing::SimulatedWait;

TEST(CompletionWait, EndsAfterTheBoundEvenWhenTheClockWrapsAround) {
  // Start 1 s before the 32-bit millisecond reading wraps.
  SimulatedWait wait(0xFFFFFFFFLL - 1000);
  ArmCompletion();
  EXPECT_FALSE(WaitForCompletion(wait));
  EXPECT_EQ(wait.waited(), 3000);
  EXPECT_EQ(wait.waits(), (QList<quint32>{3000}));
}

TEST(CompletionWait, EndsEarlyOnlyForAFirstByteOtherThanFF) {
  const std::uint8_t ff[] = {0xFF, 7};
  const std::uint8_t zero[] = {0x00};
  SimulatedWait wait;
  ArmCompletion();
  wait.after(500, [&] { EXPECT_EQ(PointCallback(1, 1, ff), 1); });
  wait.after(1200, [&] { PointCallback(1, 1, zero); });
  EXPECT_TRUE(WaitForCompletion(wait));
  EXPECT_EQ(wait.waited(), 1200);
  // After the 0xFF wake-up the loop blocks again for the rest of the bound.
  EXPECT_EQ(wait.waits(), (QList<quint32>{3000, 2500}));
  EXPECT_EQ(CompletionByte(), 0);
}

TEST(CompletionWait, CallbackWithoutDataChangesNothing) {
  ArmCompletion();
  EXPECT_EQ(PointCallback(1, 1, nullptr), 1);
  EXPECT_EQ(CompletionByte(), zev::kNoCompletion);
}

TEST(CompletionWait, CompletionBeforeTheWaitEndsItWithoutBlocking) {
  const std::uint8_t data[] = {3};
  SimulatedWait wait;
  ArmCompletion();
  PointCallback(9, 1, data);
  EXPECT_TRUE(WaitForCompletion(wait));
  EXPECT_TRUE(wait.waits().isEmpty());
}

TEST(CompletionWait, SystemWaitIsWokenByACallbackOnAnotherThread) {
  ArmCompletion();
  QElapsedTimer timer;
  timer.start();
  std::thread other([] {
    const std::uint8_t data[] = {0};
    PointCallback(5, 1, data);
  });
  EXPECT_TRUE(WaitForCompletion(zev::SystemCompletionWait::instance()));
  other.join();
  EXPECT_LT(timer.elapsed(), 2000);
}

}  // namespace
