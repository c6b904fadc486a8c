// The audio manager's wrapper of the MIDI stream, which runs silently beside the music and
// carries the timeline.
#pragma once

#include "audio/AudioManagerInterface.h"

namespace ostrel {

class AudioManagerMidi : public AudioManagerInterface {
public:
  using AudioManagerInterface::AudioManagerInterface;
};

}  // namespace ostrel
