// A standard MIDI file as the library keeps it: the header's format and division, each
// track's notes, texts and end, and the tempo map built from the tempo changes of all tracks.
#pragma once

#include "bass/MidiTrack.h"
#include "bass/TempoMap.h"

#include <cstdint>
#include <vector>

namespace ostrel::bass {

struct MidiFile {
  // A time signature meta event: beatsPerBar beats, each a 1/beatUnit note.
  struct TimeSignature {
    std::uint64_t tick;
    std::uint8_t beatsPerBar;
    std::uint32_t beatUnit;  // 1, 2, 4, 8, ...
  };

  std::uint16_t format = 0;           // 0 or 1
  std::uint16_t ticksPerQuarter = 0;  // 1..0x7FFF
  std::vector<MidiTrack> tracks;      // in file order, numbered from 0
  TempoMap tempoMap{1, {}};
  // Of all tracks, by tick (file order at one tick); only authors' tools read them.
  std::vector<TimeSignature> timeSignatures;

  // The end of the song: the latest end of any track.
  std::uint64_t endTick() const;
};

}  // namespace ostrel::bass
