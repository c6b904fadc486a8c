// The native build's output: no sound API is used, the clock-driven device stands in.
#include "bass/ClockOutputDriver.h"

namespace ostrel::bass {

std::shared_ptr<OutputDriver> makeSystemOutputDriver() {
  return std::make_shared<ClockOutputDriver>();
}

}  // namespace ostrel::bass
