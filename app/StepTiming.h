// Seconds spent in steps, for the start-up and frame figures the tools print.
#pragma once

#include <chrono>

namespace ostrel {

// Runs step and adds the seconds it took to seconds.
template <class Step>
void timed(double& seconds, Step&& step) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  step();
  seconds += std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace ostrel
