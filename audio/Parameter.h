// One value of an effect block: a note whose key names the parameter and whose velocity
// (1..127) is its value.
#pragma once

#include "bass/bassmidi.h"

#include <cstdint>
#include <string>

namespace ostrel {

class Parameter {
public:
  // Throws std::invalid_argument for a null event.
  Parameter(std::string name, const BASS_MIDI_EVENT* event, DWORD length, std::int32_t value);

  DWORD getPosition() const { return event->pos; }

  const BASS_MIDI_EVENT* event;  // the note-on; points into the track's event array
  DWORD length;                  // bytes of the MIDI stream
  std::string name;              // from the track's mapping, or "???"
  std::int32_t value;            // the note's velocity, 1..127
};

}  // namespace ostrel
