// The audio manager's wrapper of the compressed-audio stream, the music that is heard.
#pragma once

#include "audio/AudioManagerInterface.h"

namespace ostrel {

class AudioManagerAudio : public AudioManagerInterface {
public:
  using AudioManagerInterface::AudioManagerInterface;
};

}  // namespace ostrel
