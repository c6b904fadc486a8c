// What an output device plays: it asks, on its own thread, for the next frames of 16-bit
// stereo at 44100 Hz.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::bass {

class FrameSource {
public:
  virtual ~FrameSource() = default;
  // Fills out with frames frames (2 samples each), silence where nothing plays.
  virtual void render(std::int16_t* out, std::size_t frames) = 0;
};

}  // namespace ostrel::bass
