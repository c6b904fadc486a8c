// The live streams and their mix: the output device's thread asks for frames, the calls of
// the library reach the streams by handle. One lock guards both.
#pragma once

#include "bass/BassError.h"
#include "bass/FrameSource.h"
#include "bass/Stream.h"
#include "bass/bass.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ostrel::bass {

class Mixer : public FrameSource {
public:
  void render(std::int16_t* out, std::size_t frames) override;

  void add(DWORD handle, std::unique_ptr<Stream> stream);
  void removeAll();
  // Calls action(stream, renderedFrames) under the lock; renderedFrames is the number of
  // frames handed to the device so far. Throws BassError (BASS_ERROR_HANDLE) for a handle
  // that is not a live stream.
  template <typename Action>
  auto withStream(DWORD handle, Action&& action) {
    std::lock_guard lock(mutex);
    const auto found = streams.find(handle);
    if (found == streams.end()) {
      throw BassError(BASS_ERROR_HANDLE, "no stream has the handle " + std::to_string(handle));
    }
    return action(*found->second, renderedFrames);
  }

private:
  std::mutex mutex;
  std::map<DWORD, std::unique_ptr<Stream>> streams;
  std::uint64_t renderedFrames = 0;
  std::vector<std::int32_t> mix;
};

}  // namespace ostrel::bass
