// Play, position and length of one stream of the audio manager.
#include "audio/AudioManagerInterface.h"

namespace ostrel {

void AudioManagerInterface::play() {
  if (BASS_ChannelPlay(handle, FALSE)) {
    playing = true;
  }
}

QWORD AudioManagerInterface::getPosition() const {
  return BASS_ChannelGetPosition(handle, BASS_POS_BYTE);
}

QWORD AudioManagerInterface::getLength() const {
  return BASS_ChannelGetLength(handle, BASS_POS_BYTE);
}

bool isBeforeEnd(const AudioManagerInterface& channel) {
  return channel.getPosition() < channel.getLength();
}

}  // namespace ostrel
