// The music's clock moved by hand instead of by a sound card: the audio library's output
// becomes a device that plays only when told to, so that the audio position stands exactly
// where a frame wants it, for as long as drawing the frame takes. Nothing is heard and no
// sound card is needed; every other part of the production runs as it does for the viewer.
#pragma once

#include "audio/AudioManagerInterface.h"
#include "bass/ManualOutputDriver.h"

#include <memory>

namespace ostrel {

class HandDrivenClock {
public:
  // Installs the hand-driven device for the audio library's next initialisation. Throws
  // bass::BassError while the library is initialised already.
  HandDrivenClock();

  // Plays on until channel stands at position (bytes of 16-bit stereo at 44100 Hz, rounded
  // down to a whole frame), or at its end. Throws std::invalid_argument for a position
  // behind the channel's: the music only moves forward.
  void advanceTo(const AudioManagerInterface& channel, QWORD position);

private:
  std::shared_ptr<bass::ManualOutputDriver> device;
};

}  // namespace ostrel
