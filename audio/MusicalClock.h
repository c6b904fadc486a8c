// Musical time of a MIDI file for authors: byte positions of the stream as seconds and as
// bar:beat, following the file's tempo map and time signatures (4/4 until the first).
#pragma once

#include "bass/MidiFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ostrel {

class MusicalClock {
public:
  explicit MusicalClock(const bass::MidiFile& file);
  // The clock of the MIDI file at path. Throws bass::BassError for a missing or unreadable
  // file or one that is no standard MIDI file.
  static MusicalClock ofFile(const std::filesystem::path& path);

  // The last tick whose instant lies at or before the byte position.
  std::uint64_t tickAtByte(std::uint64_t bytePosition) const;
  // The byte position of the sample frame in which the tick falls.
  std::uint64_t byteAtTick(std::uint64_t tick) const;
  // "9:2" on a beat, "9:2.50" between beats; bars and beats count from 1.
  std::string barBeatAtTick(std::uint64_t tick) const;
  std::string barBeatAtByte(std::uint64_t bytePosition) const {
    return barBeatAtTick(tickAtByte(bytePosition));
  }
  // The first tick of every bar that starts before endTick, bar 1 first.
  std::vector<std::uint64_t> barStartTicks(std::uint64_t endTick) const;

  static double seconds(std::uint64_t bytePosition);

private:
  // A stretch of one time signature; a change always starts a new bar.
  struct Meter {
    std::uint64_t tick;          // where it starts
    std::uint64_t firstBar;      // number of bars before it (bar 1 is 0)
    std::uint64_t ticksPerBeat;  // at least 1
    std::uint64_t ticksPerBar;   // at least 1
  };

  const Meter& meterAt(std::uint64_t tick) const;

  bass::TempoMap tempoMap;
  std::vector<Meter> meters;  // by tick, the first at tick 0
};

}  // namespace ostrel
