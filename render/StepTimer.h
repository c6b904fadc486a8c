// Seconds spent in steps, for the start-up, import and frame figures the tools print.
#pragma once

#include <chrono>

namespace ostrel {

// Seconds on the steady clock since the timer was made.
class StepTimer {
public:
  double seconds() const {
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start = Clock::now();
};

// Runs step and adds the seconds it took to seconds.
template <class Step>
void timed(double& seconds, Step&& step) {
  const StepTimer timer;
  step();
  seconds += timer.seconds();
}

}  // namespace ostrel
