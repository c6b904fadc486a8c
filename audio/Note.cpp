// Notes.
#include "audio/Note.h"

#include "audio/NoteName.h"

#include <stdexcept>

namespace ostrel {

Note::Note(const BASS_MIDI_EVENT* event) : event(event) {
  if (!event) {
    throw std::invalid_argument("Non-empty instance of BASS_MIDI_EVENT must be passed!");
  }
}

std::string Note::getKeyName() const {
  return noteName(getKey());
}

}  // namespace ostrel
