// Measuring the music as the library decodes it.
#include "tools/timeline-check/Waveform.h"

#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

constexpr std::uint64_t kBytesPerFrame = 4;  // 16-bit stereo

Waveform::Bin measure(const std::vector<std::int16_t>& stereo) {
  Waveform::Bin bin{1.0f, -1.0f, 0.0f};
  double sumOfSquares = 0;
  for (std::size_t index = 0; index + 1 < stereo.size(); index += 2) {
    const float mono = (float(stereo[index]) + float(stereo[index + 1])) / 65536.0f;
    bin.low = std::min(bin.low, mono);
    bin.high = std::max(bin.high, mono);
    sumOfSquares += double(mono) * mono;
  }
  bin.rms = float(std::sqrt(sumOfSquares / double(std::max<std::size_t>(1, stereo.size() / 2))));
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
  for (std::uint64_t done = 0; done < frames; done += kFramesPerBin) {
    const auto count = std::size_t(std::min<std::uint64_t>(kFramesPerBin, frames - done));
    waveform.bins.push_back(measure(device.advance(count)));
  }
  return waveform;
}

}  // namespace ostrel
