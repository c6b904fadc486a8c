// The marks of the MIDI timeline: the markers that name the sections of the song, completed
// with "BEGIN" at 0 and "END" at the end of the MIDI stream, and the names of its tracks.
// Answers which section is in force at a byte position and which comes next.
#pragma once

#include "audio/Marker.h"

#include <vector>

namespace ostrel {

class MidiEvents {
public:
  // Reads the track names and the markers of the stream at once.
  explicit MidiEvents(HSTREAM midiStream);
  virtual ~MidiEvents() = default;

  MidiEvents(const MidiEvents&) = delete;
  MidiEvents& operator=(const MidiEvents&) = delete;

  // The markers sorted by position; the first lies at 0, the last at or after the end of
  // the MIDI stream. Read again whenever none were found before.
  Marker* getMarkers();
  DWORD getMarkerCount();
  const Marker* getTrackNames();
  DWORD getTrackNameCount();

  // The last marker at or before position (of those at one position, the last), or the
  // first marker for a position before it; null when there are no markers.
  const Marker* getMarkerAt(QWORD position);
  // The first marker after position, or the last marker; null when there are no markers.
  const Marker* getNextMarker(QWORD position);

  // Whether the file holds markers of its own, beside the "BEGIN" and "END" added to every
  // timeline: without them no section is named and nothing is shown for one.
  bool hasFileMarkers() const { return fileMarkerCount > 0; }

  // Moves the last marker to position unless it lies there or later already, so that the
  // last section reaches the end of the audio; it then belongs to track 0.
  void extendLastMarkerTo(DWORD position);

  // A one-line description of a note event for the log; valid until the next call.
  const char* describeNote(const BASS_MIDI_EVENT* event);

  HSTREAM getMidiStream() const { return midiStream; }

private:
  void readTrackNames();
  void readMarkers();
  void addBeginAndEndMarkers();

  char noteText[120] = {};
  HSTREAM midiStream;
  std::vector<Marker> markers;  // room for the file's markers and the two added ones
  DWORD markerCount = 0;
  DWORD fileMarkerCount = 0;  // markers read from the file
  Marker beginMarker;
  Marker endMarker;
  std::vector<Marker> trackNames;
  DWORD trackNameCount = 0;
  DWORD markRecordSize = sizeof(Marker);
};

}  // namespace ostrel
