// Note events of a timeline track as the audio library gives them: key and velocity packed
// in param, positions in bytes of the MIDI stream.
#pragma once

#include "bass/bassmidi.h"

#include <vector>

namespace ostrel {

inline DWORD noteKey(const BASS_MIDI_EVENT& event) { return event.param & 0xFF; }
// 0 for a release; 1..127 for a note-on.
inline DWORD noteVelocity(const BASS_MIDI_EVENT& event) { return (event.param >> 8) & 0xFF; }

// The note-ons and releases of one track in time order; none when the library has none to
// give (or fails).
std::vector<BASS_MIDI_EVENT> readNoteEvents(HSTREAM stream, DWORD track);

}  // namespace ostrel
