// Summing the playing streams with saturation.
#include "bass/Mixer.h"

#include "bass/AudioFormat.h"

#include <algorithm>
#include <limits>

namespace ostrel::bass {

void Mixer::render(std::int16_t* out, std::size_t frames) {
  std::lock_guard lock(mutex);
  mix.assign(frames * kChannels, 0);
  for (auto& [handle, stream] : streams) {
    stream->mixInto(mix.data(), frames, renderedFrames);
  }
  constexpr std::int32_t kLowest = std::numeric_limits<std::int16_t>::min();
  constexpr std::int32_t kHighest = std::numeric_limits<std::int16_t>::max();
  for (std::size_t index = 0; index < mix.size(); ++index) {
    out[index] = static_cast<std::int16_t>(std::clamp(mix[index], kLowest, kHighest));
  }
  renderedFrames += frames;
}

void Mixer::add(DWORD handle, std::unique_ptr<Stream> stream) {
  std::lock_guard lock(mutex);
  streams[handle] = std::move(stream);
}

void Mixer::removeAll() {
  std::lock_guard lock(mutex);
  streams.clear();
}

}  // namespace ostrel::bass
