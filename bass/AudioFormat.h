// The one sample format of the audio library: every stream, the mixer and the output run at
// 44100 Hz, 16-bit signed stereo, so a byte position is a frame number times 4.
#pragma once

#include <cstdint>

namespace ostrel::bass {

inline constexpr std::uint32_t kSampleRate = 44100;   // frames a second
inline constexpr std::uint32_t kChannels = 2;         // interleaved left, right
inline constexpr std::uint32_t kBytesPerFrame = 4;    // two 16-bit samples

}  // namespace ostrel::bass
