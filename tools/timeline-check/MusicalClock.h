// Musical time of a MIDI file for authors: byte positions of the stream as seconds and as
// bar:beat, following the file's tempo map and time signatures (4/4 until the first).
#pragma once

#include "bass/MidiFile.h"

#include <cstdint>
#include <string>

namespace ostrel {

class MusicalClock {
public:
  explicit MusicalClock(const bass::MidiFile& file);

  // The last tick whose instant lies at or before the byte position.
  std::uint64_t tickAtByte(std::uint64_t bytePosition) const;
  // "9:2" on a beat, "9:2.50" between beats; bars and beats count from 1.
  std::string barBeatAtTick(std::uint64_t tick) const;
  std::string barBeatAtByte(std::uint64_t bytePosition) const {
    return barBeatAtTick(tickAtByte(bytePosition));
  }

  static double seconds(std::uint64_t bytePosition);

private:
  const bass::MidiFile& file;
};

}  // namespace ostrel
