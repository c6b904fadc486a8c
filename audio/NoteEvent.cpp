// Reading a track's note events.
#include "audio/NoteEvent.h"

#include <algorithm>

namespace ostrel {

// Count, then fill: the audio library's protocol for lists. -1 (an error) reads as none.
std::vector<BASS_MIDI_EVENT> readNoteEvents(HSTREAM stream, DWORD track) {
  const DWORD count = BASS_MIDI_StreamGetEvents(stream, int(track), MIDI_EVENT_NOTE, nullptr);
  if (count == DWORD(-1) || count == 0) {
    return {};
  }
  std::vector<BASS_MIDI_EVENT> events(count);
  const DWORD filled = BASS_MIDI_StreamGetEvents(stream, int(track), MIDI_EVENT_NOTE, events.data());
  events.resize(filled == DWORD(-1) ? 0 : std::min(filled, count));
  return events;
}

}  // namespace ostrel
