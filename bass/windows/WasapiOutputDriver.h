// The Windows output: the Windows audio session API (WASAPI) in shared mode on the default
// (or a chosen) render endpoint, 44100 Hz 16-bit stereo converted by the system to its mix
// format, fed from a thread of its own woken by the device every period.
#pragma once

#include "bass/OutputDriver.h"

namespace ostrel::bass {

class WasapiOutputDriver : public OutputDriver {
public:
  // Every render endpoint that is present (active, disabled or unplugged); enabled when
  // active. Runs on a thread of its own so the caller's COM set-up is not touched.
  std::vector<OutputDeviceInfo> listDevices() override;
  std::unique_ptr<OutputDevice> open(int number, FrameSource& source) override;
};

}  // namespace ostrel::bass
