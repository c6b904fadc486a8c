// Measuring the music as the library decodes it.
#include "tools/timeline-check/Waveform.h"

#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

constexpr std::uint64_t kBytesPerFrame = 4;  // 16-bit stereo

constexpr std::uint64_t kBinsPerRequest = 100;  // a second of music per call to the device

// One bin of count frames of 16-bit stereo.
Waveform::Bin measure(const std::int16_t* stereo, std::size_t count) {
  Waveform::Bin bin{1.0f, -1.0f, 0.0f};
  double sumOfSquares = 0;
  for (std::size_t frame = 0; frame < count; ++frame) {
    const float mono = (float(stereo[2 * frame]) + float(stereo[2 * frame + 1])) / 65536.0f;
    bin.low = std::min(bin.low, mono);
    bin.high = std::max(bin.high, mono);
    sumOfSquares += double(mono) * mono;
  }
  bin.rms = float(std::sqrt(sumOfSquares / double(std::max<std::size_t>(1, count))));
  return bin;
}

}  // namespace

Waveform Waveform::decode(bass::ManualOutputDriver& device, HSTREAM stream) {
  Waveform waveform;
  const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  if (length == QWORD(-1) || !BASS_ChannelPlay(stream, TRUE)) {
    return waveform;
  }
  const std::uint64_t frames = length / kBytesPerFrame;
  waveform.bins.reserve(std::size_t(frames / kFramesPerBin + 1));
  for (std::uint64_t done = 0; done < frames; done += kFramesPerBin * kBinsPerRequest) {
    const auto count =
        std::size_t(std::min<std::uint64_t>(kFramesPerBin * kBinsPerRequest, frames - done));
    const std::vector<std::int16_t> heard = device.advance(count);
    for (std::size_t first = 0; first < count; first += kFramesPerBin) {
      waveform.bins.push_back(
          measure(&heard[2 * first], std::min<std::size_t>(kFramesPerBin, count - first)));
    }
  }
  return waveform;
}

}  // namespace ostrel
