// Reading and querying the timeline's marks.
#include "audio/MidiEvents.h"

#include "audio/NoteEvent.h"
#include "audio/NoteName.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace ostrel {
namespace {

constexpr const char* kBeginText = "BEGIN";
constexpr const char* kEndText = "END";

// Count, then fill: the audio library's protocol for lists. -1 (an error) reads as none.
std::vector<Marker> readMarks(HSTREAM stream, DWORD type, size_t spareEntries) {
  const DWORD count = BASS_MIDI_StreamGetMarks(stream, -1, type, nullptr);
  if (count == DWORD(-1) || count == 0) {
    std::vector<Marker> none;
    none.reserve(spareEntries);
    return none;
  }
  std::vector<Marker> marks(count);
  marks.reserve(count + spareEntries);
  const DWORD filled = BASS_MIDI_StreamGetMarks(stream, -1, type, marks.data());
  marks.resize(filled == DWORD(-1) ? 0 : std::min(filled, count));
  return marks;
}

// Marker positions are 32-bit; a position beyond that lies after every marker.
bool isBeyondMarkerRange(QWORD position) {
  return position > std::numeric_limits<DWORD>::max();
}

// Markers are sorted by position.
const Marker* firstMarkerAfter(const Marker* first, const Marker* end, DWORD position) {
  return std::upper_bound(first, end, position,
                          [](DWORD value, const Marker& marker) { return value < marker.pos; });
}

const char* velocityText(DWORD velocity) {
  if (velocity == 0) {
    return "Off";
  }
  return velocity <= 127 ? "On " : "WTF";
}

}  // namespace

MidiEvents::MidiEvents(HSTREAM midiStream)
    : midiStream(midiStream),
      beginMarker{0, 0, kBeginText},
      endMarker{0, 0, kEndText} {
  readTrackNames();
  readMarkers();
}

void MidiEvents::readTrackNames() {
  trackNames = readMarks(midiStream, BASS_MIDI_MARK_TRACK, 0);
  trackNameCount = DWORD(trackNames.size());
}

void MidiEvents::readMarkers() {
  markers = readMarks(midiStream, BASS_MIDI_MARK_MARKER, 2);
  markerCount = DWORD(markers.size());
  fileMarkerCount = markerCount;
  addBeginAndEndMarkers();
}

// A file without markers still gets a timeline of "BEGIN" and "END".
void MidiEvents::addBeginAndEndMarkers() {
  endMarker.pos = DWORD(BASS_ChannelGetLength(midiStream, BASS_POS_BYTE));
  if (markers.empty() || markers.front().pos > 0) {
    markers.insert(markers.begin(), beginMarker);
  }
  if (markers.back().pos < endMarker.pos) {
    markers.push_back(endMarker);
  }
  markerCount = DWORD(markers.size());
}

Marker* MidiEvents::getMarkers() {
  getMarkerCount();
  return markers.data();
}

DWORD MidiEvents::getMarkerCount() {
  if (markerCount == 0) {
    readMarkers();
  }
  return markerCount;
}

const Marker* MidiEvents::getTrackNames() {
  getTrackNameCount();
  return trackNames.data();
}

DWORD MidiEvents::getTrackNameCount() {
  if (trackNameCount == 0) {
    readTrackNames();
  }
  return trackNameCount;
}

const Marker* MidiEvents::getMarkerAt(QWORD position) {
  const DWORD count = getMarkerCount();
  if (count == 0) {
    return nullptr;
  }
  const Marker* first = markers.data();
  const Marker* end = first + count;
  if (isBeyondMarkerRange(position)) {
    return end - 1;
  }
  const DWORD at = DWORD(position);
  if (at < first->pos) {
    return first;
  }
  return firstMarkerAfter(first, end, at) - 1;
}

const Marker* MidiEvents::getNextMarker(QWORD position) {
  const DWORD count = getMarkerCount();
  if (count == 0) {
    return nullptr;
  }
  const Marker* first = markers.data();
  const Marker* end = first + count;
  if (isBeyondMarkerRange(position)) {
    return end - 1;
  }
  const Marker* after = firstMarkerAfter(first, end, DWORD(position));
  return after == end ? end - 1 : after;
}

void MidiEvents::extendLastMarkerTo(DWORD position) {
  if (getMarkerCount() == 0) {
    return;
  }
  Marker& last = markers[markerCount - 1];
  last.pos = std::max(last.pos, position);
  last.track = 0;
}

const char* MidiEvents::describeNote(const BASS_MIDI_EVENT* event) {
  const DWORD key = noteKey(*event);
  const DWORD velocity = noteVelocity(*event);
  std::snprintf(noteText, sizeof noteText,
                "Note event: %s, key: %s (%02X), velocity: %d | pos: %d, time: %.3f",
                velocityText(velocity), noteName(key).c_str(), unsigned(key), int(velocity),
                int(event->pos), BASS_ChannelBytes2Seconds(midiStream, event->pos));
  return noteText;
}

}  // namespace ostrel
