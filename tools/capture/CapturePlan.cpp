// Frame numbers and their samples of music.
#include "tools/capture/CapturePlan.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ostrel::capture {
namespace {

// The first frame at or after seconds.
std::uint64_t frameAtOrAfter(double seconds, std::uint32_t framesPerSecond) {
  return std::uint64_t(std::ceil(seconds * framesPerSecond - 1e-6 * framesPerSecond));
}

// One past the last frame whose first sample lies before the end of the music: the least
// frame with frame x 44100 >= samples x framesPerSecond.
std::uint64_t framesOfMusic(std::uint64_t samples, std::uint32_t framesPerSecond) {
  return (samples * framesPerSecond + kSamplesPerSecond - 1) / kSamplesPerSecond;
}

}  // namespace

std::uint64_t CapturePlan::sampleOf(std::uint64_t frame) const {
  return frame * kSamplesPerSecond / framesPerSecond;
}

std::uint64_t CapturePlan::endSample() const {
  return std::min(sampleOf(endFrame), musicSamples);
}

CapturePlan planCapture(std::uint32_t framesPerSecond, double fromSeconds,
                        std::optional<double> toSeconds, std::uint64_t musicSamples) {
  CapturePlan plan;
  plan.framesPerSecond = framesPerSecond;
  plan.musicSamples = musicSamples;
  plan.firstFrame = frameAtOrAfter(fromSeconds, framesPerSecond);
  plan.endFrame = framesOfMusic(musicSamples, framesPerSecond);
  if (toSeconds) {
    plan.endFrame = std::min(plan.endFrame, frameAtOrAfter(*toSeconds, framesPerSecond));
  }
  if (plan.endFrame <= plan.firstFrame) {
    throw std::invalid_argument(
        fmt::format("No frame to capture: the music lasts {:.3f} s, and the range asked for "
                    "holds none of its frames",
                    double(musicSamples) / kSamplesPerSecond));
  }
  return plan;
}

}  // namespace ostrel::capture
