// Stream bookkeeping shared by every kind of stream.
#include "bass/Stream.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#include <algorithm>

namespace ostrel::bass {

Stream::Stream(std::uint64_t lengthFrames) : length(lengthFrames) {}

bool Stream::isPlaying(std::uint64_t playedFrames) {
  if (playing && decodeFrame == length && !tracker.hasPending(playedFrames)) {
    playing = false;  // everything has been heard
  }
  return playing;
}

void Stream::setPosition(std::uint64_t frame) {
  if (frame > length) {
    throw BassError(BASS_ERROR_POSITION, "position " + std::to_string(frame) +
                                             " lies past the end of the stream (" +
                                             std::to_string(length) + " frames)");
  }
  seekDecoder(frame);
  decodeFrame = frame;
  tracker.clear();
}

std::uint64_t Stream::heardFrame(std::uint64_t playedFrames) {
  return tracker.heardFrame(playedFrames, decodeFrame);
}

void Stream::mixInto(std::int32_t* mix, std::size_t frames, std::uint64_t deviceFrame) {
  if (!playing || decodeFrame >= length) {
    return;
  }
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(frames, length - decodeFrame));
  if (!isSilent()) {
    scratch.resize(count * kChannels);
    decode(scratch.data(), count);
    for (std::size_t index = 0; index < scratch.size(); ++index) {
      mix[index] += scratch[index];
    }
  }
  tracker.handOver(deviceFrame, decodeFrame, count);
  decodeFrame += count;
}

}  // namespace ostrel::bass
