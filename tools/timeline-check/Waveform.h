// The music's loudness over time, for the plot: the lowest and highest sample and the RMS
// level of every hundredth of a second of the mono mix.
#pragma once

#include "bass/ManualOutputDriver.h"
#include "bass/bass.h"

#include <cstdint>
#include <vector>

namespace ostrel {

struct Waveform {
  static constexpr std::uint32_t kFramesPerBin = 441;  // 10 ms at 44100 Hz

  struct Bin {
    float low = 0;   // -1..1
    float high = 0;  // -1..1
    float rms = 0;   // 0..1
  };

  // Plays the audio stream from its start to its end on the hand-driven device the library
  // was initialised on, and measures what it hears. An empty waveform when the stream does
  // not play.
  static Waveform decode(bass::ManualOutputDriver& device, HSTREAM stream);

  std::vector<Bin> bins;
};

}  // namespace ostrel
