#include "stage/step_pacer.h"

#include <gtest/gtest.h>

namespace heartstage::stage {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const Clock::time_point kStart{};

TEST(StepPacerTest, DeadlinesFollowTheStartWhateverTheStepsTake) {
  StepPacer<Clock> pacer(10, 1, kStart);
  // Steps that take 3, 9 and 0 ms of work: the waits end at 10, 20, 30 all the same.
  EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(3)), kStart + milliseconds(10));
  EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(19)), kStart + milliseconds(20));
  EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(20)), kStart + milliseconds(30));
}

TEST(StepPacerTest, ALateStepIsMadeUpWithinItsSlackButALongHoldStartsAfresh) {
  struct Case {
    int catch_up_steps;
    int now_ms;
    int deadline_ms;
  } cases[] = {
      {1, 15, 10},      // 5 ms late, within one step of slack: the next wait is shortened
      {1, 20, 10},      // exactly one step late: still made up
      {1, 21, 21},      // more than a step late: no rush, the schedule starts from now
      {1, 5000, 5000},  // a message box held the step for seconds
      {0, 11, 11},      // without slack no wait is ever shortened
      {0, 10, 10},     {0, 9, 10},
  };
  for (const Case& c : cases) {
    StepPacer<Clock> pacer(10, c.catch_up_steps, kStart);
    EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(c.now_ms)), kStart + milliseconds(c.deadline_ms))
        << "slack " << c.catch_up_steps << ", now " << c.now_ms;
    // After a fresh start the steps are whole again.
    EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(c.deadline_ms)),
              kStart + milliseconds(c.deadline_ms + 10));
  }
}

TEST(StepPacerTest, NegativeOrZeroStepNeverWaits) {
  for (int step : {0, -5}) {
    StepPacer<Clock> pacer(step, 1, kStart);
    EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(2)), kStart + milliseconds(2));
    EXPECT_EQ(pacer.NextDeadline(kStart + milliseconds(2)), kStart + milliseconds(2));
  }
}

}  // namespace
}  // namespace heartstage::stage
