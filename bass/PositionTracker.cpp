// Mapping the device clock to stream frames.
#include "bass/PositionTracker.h"

namespace ostrel::bass {

void PositionTracker::handOver(std::uint64_t deviceFrame, std::uint64_t streamFrame,
                               std::uint64_t frames) {
  if (frames == 0) {
    return;
  }
  if (!stretches.empty()) {
    Stretch& last = stretches.back();
    if (last.deviceFrame + last.frames == deviceFrame &&
        last.streamFrame + last.frames == streamFrame) {
      last.frames += frames;  // uninterrupted playback stays one stretch
      return;
    }
  }
  stretches.push_back({deviceFrame, streamFrame, frames});
}

void PositionTracker::clear() { stretches.clear(); }

void PositionTracker::dropHeard(std::uint64_t playedFrames) {
  while (!stretches.empty() &&
         stretches.front().deviceFrame + stretches.front().frames <= playedFrames) {
    stretches.pop_front();
  }
}

std::uint64_t PositionTracker::heardFrame(std::uint64_t playedFrames, std::uint64_t decodeFrame) {
  dropHeard(playedFrames);
  if (stretches.empty()) {
    return decodeFrame;
  }
  const Stretch& current = stretches.front();
  if (playedFrames < current.deviceFrame) {
    return current.streamFrame;  // queued, not yet reached
  }
  return current.streamFrame + (playedFrames - current.deviceFrame);
}

bool PositionTracker::hasPending(std::uint64_t playedFrames) {
  dropHeard(playedFrames);
  return !stretches.empty();
}

}  // namespace ostrel::bass
