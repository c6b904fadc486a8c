// A note of a timeline track: a note-on event paired with its release.
#pragma once

#include "audio/NoteEvent.h"

#include <string>

namespace ostrel {

class Note {
public:
  // Throws std::invalid_argument for a null event.
  explicit Note(const BASS_MIDI_EVENT* event);

  DWORD getKey() const { return noteKey(*event); }
  DWORD getVelocity() const { return noteVelocity(*event); }
  DWORD getPosition() const { return event->pos; }
  std::string getKeyName() const;
  void setLengthFromEndPos(DWORD endPosition) { length = endPosition - getPosition(); }

  const BASS_MIDI_EVENT* event;  // the note-on; points into the track's event array
  DWORD length = 0;              // bytes of the MIDI stream; 0 until released
};

}  // namespace ostrel
