// A stream the mixer plays: a length in frames, the decoder's position, whether it plays,
// and the position being heard, read off the output device's clock.
#pragma once

#include "bass/PositionTracker.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel::bass {

class Stream {
public:
  explicit Stream(std::uint64_t lengthFrames);
  virtual ~Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  std::uint64_t lengthFrames() const { return length; }
  // Playing from the current position; a stream at its end ends at once.
  void play() { playing = true; }
  bool isPlaying(std::uint64_t playedFrames);
  // Moves the stream (playing or not); frame at most the length. Throws BassError
  // (BASS_ERROR_POSITION) past the end.
  void setPosition(std::uint64_t frame);
  // The frame being heard once the device has played playedFrames frames; the length once
  // the whole stream has been heard.
  std::uint64_t heardFrame(std::uint64_t playedFrames);
  // Adds the stream's next frames (at most frames) to mix, 32-bit per sample so several
  // streams can sum, for the device frame deviceFrame onwards.
  void mixInto(std::int32_t* mix, std::size_t frames, std::uint64_t deviceFrame);

protected:
  // Writes the next frames frames of 16-bit stereo at the decoder's position into out.
  virtual void decode(std::int16_t* out, std::size_t frames) = 0;
  // Moves the decoder so that the next decode starts at frame.
  virtual void seekDecoder(std::uint64_t frame) = 0;
  // A stream without sound (a MIDI stream without a soundfont) is neither decoded nor mixed;
  // only its position runs.
  virtual bool isSilent() const { return false; }

private:
  std::uint64_t length;
  std::uint64_t decodeFrame = 0;  // next frame the mixer hands over
  bool playing = false;
  PositionTracker tracker;
  std::vector<std::int16_t> scratch;
};

}  // namespace ostrel::bass
