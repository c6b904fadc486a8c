// What the library keeps of one track of a standard MIDI file: its note events, its marker
// and track-name texts and where it ends, all in ticks from the start of the song.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::bass {

struct MidiTrack {
  // A note-on or note-off; a note-off (0x8n, or 0x9n with velocity 0) has velocity 0.
  struct Note {
    std::uint64_t tick;
    std::uint8_t channel;   // 0..15
    std::uint8_t key;       // 0..127
    std::uint8_t velocity;  // 0..127, 0 = released
  };

  // A meta event whose text the library hands out as a mark.
  struct Text {
    std::uint64_t tick;
    std::uint8_t metaType;  // 0x03 track name, 0x06 marker
    std::string text;       // the bytes of the file, up to the first NUL
  };

  std::vector<Note> notes;  // in file order, which is time order
  std::vector<Text> texts;  // in file order
  std::uint64_t endTick = 0;  // the end-of-track event, or the last event without one
};

}  // namespace ostrel::bass
