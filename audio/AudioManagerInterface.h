// What both channel wrappers of the audio manager share: the stream they play, whether
// playing it started, and its position and length in bytes of decoded audio.
#pragma once

#include "bass/bass.h"

namespace ostrel {

class AudioManagerInterface {
public:
  explicit AudioManagerInterface(HSTREAM handle) : handle(handle) {}
  virtual ~AudioManagerInterface() = default;

  // Starts the stream from where it stands (no restart); playing becomes true when the
  // library accepts. A refusal is not reported.
  void play();
  // Bytes of 16-bit stereo at 44100 Hz being heard now.
  QWORD getPosition() const;
  QWORD getLength() const;

  HSTREAM handle;
  bool playing = false;
};

// The frame loop's end test: true while the channel's position is below its length,
// compared as unsigned 64-bit numbers, so the loop ends on the first pass at which the
// music has played to its end (and at once if the library fails: both read as -1).
bool isBeforeEnd(const AudioManagerInterface& channel);

}  // namespace ostrel
