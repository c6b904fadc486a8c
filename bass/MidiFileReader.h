// Reads a standard MIDI file (formats 0 and 1, division in ticks per quarter note) from
// memory: note events, marker and track-name texts, tempo changes and track ends. Running
// status, system-exclusive and every meta event are understood or skipped; anything
// malformed is refused with a BassError (BASS_ERROR_FILEFORM) that says what and where,
// and the reader never reads outside the bytes it is given.
#pragma once

#include "bass/MidiFile.h"

#include <cstdint>
#include <span>

namespace ostrel::bass {

class MidiFileReader {
public:
  static MidiFile read(std::span<const std::uint8_t> bytes);
};

}  // namespace ostrel::bass
