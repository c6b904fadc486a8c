// The state behind the library's C calls: the output driver, the open device, the mixer
// with its streams, and the device listing. One per process; the calls lock it, so they may
// come from any thread (the production makes them all from one).
#pragma once

#include "bass/BassError.h"
#include "bass/Mixer.h"
#include "bass/OutputDriver.h"
#include "bass/Stream.h"
#include "bass/bass.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace ostrel::bass {

class Library {
public:
  static Library& instance();

  // Replaces the driver that BASS_Init and BASS_GetDeviceInfo use (tests); null restores
  // the build's own. Throws BassError (BASS_ERROR_ALREADY) while a device is open.
  void useOutputDriver(std::shared_ptr<OutputDriver> driver);

  void init(int device, DWORD frequency);
  void free();
  bool isInitialized();
  // Device number (1-based) of the listing made on first use, kept until free.
  const OutputDeviceInfo& deviceInfo(DWORD device);

  DWORD addStream(std::unique_ptr<Stream> stream);
  // Calls action(stream, playedFrames), playedFrames being the device's clock. Throws
  // BassError (BASS_ERROR_HANDLE) for a handle that is not a live stream.
  template <typename Action>
  auto withStream(DWORD handle, Action&& action) {
    std::lock_guard lock(mutex);
    if (!mixer) {
      throw BassError(BASS_ERROR_HANDLE, "no stream is open (the library is not initialised)");
    }
    const std::uint64_t played = device->playedFrames();
    return mixer->withStream(handle, [&](Stream& stream, std::uint64_t rendered) {
      return action(stream, std::min(played, rendered));
    });
  }

private:
  Library() = default;
  OutputDriver& driver();

  std::mutex mutex;
  std::shared_ptr<OutputDriver> outputDriver;
  std::unique_ptr<Mixer> mixer;
  std::unique_ptr<OutputDevice> device;
  std::vector<OutputDeviceInfo> devices;
  bool devicesListed = false;
  DWORD lastHandle = 0;
};

}  // namespace ostrel::bass
