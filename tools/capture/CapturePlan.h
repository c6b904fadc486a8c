// Which frames a capture draws and where in the music each one stands. Frames are numbered
// from the start of the music, so that frame N of any range is frame N of the whole video.
#pragma once

#include <cstdint>
#include <optional>

namespace ostrel::capture {

inline constexpr std::uint64_t kSamplesPerSecond = 44100;
inline constexpr std::uint64_t kBytesPerSample = 4;  // 16-bit stereo

struct CapturePlan {
  std::uint32_t framesPerSecond = 60;
  std::uint64_t firstFrame = 0;
  std::uint64_t endFrame = 0;       // one past the last
  std::uint64_t musicSamples = 0;   // the length of the music

  std::uint64_t frameCount() const { return endFrame - firstFrame; }
  // The first sample of frame's time: frame x 44100 / framesPerSecond, rounded down (exactly
  // frame x 735 at 60 frames a second).
  std::uint64_t sampleOf(std::uint64_t frame) const;
  // The same as a byte position of the music.
  std::uint64_t positionOf(std::uint64_t frame) const { return sampleOf(frame) * kBytesPerSample; }
  // The music the frames span, [first, end) in samples: from the first frame's sample to the
  // sample after the last frame's time, or the end of the music.
  std::uint64_t firstSample() const { return sampleOf(firstFrame); }
  std::uint64_t endSample() const;
};

// The frames whose time lies in [fromSeconds, toSeconds) and before the end of the music
// (toSeconds absent: to the end). A time within a microsecond of a frame's counts as that
// frame's, so that 14.1 s at 60 frames a second is frame 846. Throws std::invalid_argument
// when no frame of the music lies in the range.
CapturePlan planCapture(std::uint32_t framesPerSecond, double fromSeconds,
                        std::optional<double> toSeconds, std::uint64_t musicSamples);

}  // namespace ostrel::capture
