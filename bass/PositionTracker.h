// Which frames of a stream the output device is playing: the mixer notes each stretch of the
// stream it hands to the device at the device frame where it will be heard, and the position
// asked for is then read off the device's clock (frames played), not the decoder.
#pragma once

#include <cstdint>
#include <deque>

namespace ostrel::bass {

class PositionTracker {
public:
  // Stream frames [streamFrame, streamFrame + frames) are heard at device frames
  // [deviceFrame, deviceFrame + frames). Stretches are handed in device order.
  void handOver(std::uint64_t deviceFrame, std::uint64_t streamFrame, std::uint64_t frames);
  // Forgets every stretch (the stream was moved to another position).
  void clear();
  // The stream frame heard once the device has played playedFrames frames; decodeFrame (the
  // next frame the mixer will hand over) when everything handed over has been heard.
  std::uint64_t heardFrame(std::uint64_t playedFrames, std::uint64_t decodeFrame);
  // Whether frames handed over are still to be heard.
  bool hasPending(std::uint64_t playedFrames);

private:
  struct Stretch {
    std::uint64_t deviceFrame;
    std::uint64_t streamFrame;
    std::uint64_t frames;
  };

  void dropHeard(std::uint64_t playedFrames);

  std::deque<Stretch> stretches;  // not yet completely heard, in device order
};

}  // namespace ostrel::bass
