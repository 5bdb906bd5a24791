// Keeps a loop of timed steps on schedule: each wait ends at the step's deadline, counted from the start,
// so the time the steps themselves take does not add up. A step that ran late may be made up by shortening
// the waits that follow, but by no more than `catch_up_steps` steps: beyond that (a message box or a menu
// opened in the middle) the schedule starts afresh instead of rushing. With 0, no wait is ever shortened.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace heartstage::stage {

template <typename Clock = std::chrono::steady_clock>
class StepPacer {
 public:
  // A negative step waits 0 ms.
  StepPacer(std::int32_t step_milliseconds, int catch_up_steps,
            typename Clock::time_point start = Clock::now())
      : step_(std::chrono::milliseconds(step_milliseconds > 0 ? step_milliseconds : 0)),
        slack_(step_ * catch_up_steps),
        deadline_(start) {}

  // The moment the current step's wait should end; moves the schedule on by one step.
  typename Clock::time_point NextDeadline(typename Clock::time_point now = Clock::now()) {
    deadline_ += step_;
    if (now > deadline_ + slack_) deadline_ = now;
    return deadline_;
  }

  void WaitForNextStep() { std::this_thread::sleep_until(NextDeadline()); }

 private:
  typename Clock::duration step_;
  typename Clock::duration slack_;
  typename Clock::time_point deadline_;
};

}  // namespace heartstage::stage
