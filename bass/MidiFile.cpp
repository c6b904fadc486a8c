// The end of a MIDI song.
#include "bass/MidiFile.h"

#include <algorithm>

namespace ostrel::bass {

std::uint64_t MidiFile::endTick() const {
  std::uint64_t end = 0;
  for (const MidiTrack& track : tracks) {
    end = std::max(end, track.endTick);
  }
  return end;
}

}  // namespace ostrel::bass
