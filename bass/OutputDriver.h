// A way to reach the machine's output devices: lists them and opens one. The Windows build
// uses the Windows audio session API; the native build has a silent clock-driven device, and
// tests drive a manual one.
#pragma once

#include "bass/FrameSource.h"
#include "bass/OutputDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ostrel::bass {

struct OutputDeviceInfo {
  std::string name;     // UTF-8, as the system shows it
  std::string driver;   // UTF-8, the system's identifier of the device
  std::uint32_t flags;  // BASS_DEVICE_ENABLED, BASS_DEVICE_DEFAULT
};

class OutputDriver {
public:
  virtual ~OutputDriver() = default;

  // Every output device, enabled or not, in the system's order.
  virtual std::vector<OutputDeviceInfo> listDevices() = 0;
  // Opens the default device (number -1) or device number (1-based into listDevices) at
  // 44100 Hz 16-bit stereo and starts pulling frames from source. Throws BassError:
  // BASS_ERROR_DEVICE when there is no such (or no default) device, BASS_ERROR_DRIVER when
  // the device cannot be started.
  virtual std::unique_ptr<OutputDevice> open(int number, FrameSource& source) = 0;
};

// The driver of this build: the Windows audio session on Windows, the clock-driven silent
// device natively.
std::shared_ptr<OutputDriver> makeSystemOutputDriver();

}  // namespace ostrel::bass
