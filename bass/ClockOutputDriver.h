// A silent output device driven by the system clock: it pulls frames in real time (10 ms
// ahead) and throws them away, so streams play, and their positions run, at the speed they
// would on a sound card. The native build's only device; also usable anywhere for tests.
#pragma once

#include "bass/OutputDriver.h"

namespace ostrel::bass {

class ClockOutputDriver : public OutputDriver {
public:
  std::vector<OutputDeviceInfo> listDevices() override;
  std::unique_ptr<OutputDevice> open(int number, FrameSource& source) override;
};

}  // namespace ostrel::bass
