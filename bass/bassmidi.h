// The MIDI part of the project's audio library: a standard MIDI file opened as a silent
// stream whose position runs in real time, with its marks and note events in byte positions
// of that stream (44100 Hz, 4 bytes a frame), so they compare directly with an audio stream.
#pragma once

#include "bass/bass.h"

// Mark types (BASS_MIDI_StreamGetMarks).
constexpr DWORD BASS_MIDI_MARK_MARKER = 0;  // marker meta events
constexpr DWORD BASS_MIDI_MARK_TRACK = 7;   // track-name meta events

// Event filter (BASS_MIDI_StreamGetEvents).
constexpr DWORD MIDI_EVENT_NOTE = 1;  // note-ons and note-offs

struct BASS_MIDI_MARK {
  DWORD track;       // track number, from 0
  DWORD pos;         // byte position
  const char* text;  // valid as long as the stream
};

struct BASS_MIDI_EVENT {
  DWORD event;  // MIDI_EVENT_NOTE
  DWORD param;  // key | velocity << 8; velocity 0 is a note-off
  DWORD chan;   // MIDI channel, 0..15
  DWORD tick;   // position in the file's ticks
  DWORD pos;    // byte position
};

// A standard MIDI file (formats 0 and 1) from a file (mem FALSE; offset and length 0 for the
// whole file) or from length bytes in memory (mem TRUE). freq is the stream's sample rate:
// 44100 (or 0 for it). The stream is silent; once played its position runs in real time and
// its length is the end of the last track. Fails with BASS_ERROR_FILEOPEN (missing,
// unreadable), BASS_ERROR_FILEFORM (malformed, or a division in SMPTE frames).
HSTREAM BASS_MIDI_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                   DWORD flags, DWORD freq);
// Marks of one type (BASS_MIDI_MARK_MARKER or BASS_MIDI_MARK_TRACK) of one track, or of all
// for track -1. With marks null, returns the count; otherwise fills that many. Sorted by
// position; marks at the same position keep the file's order. -1 on error.
DWORD BASS_MIDI_StreamGetMarks(HSTREAM handle, int track, DWORD type, BASS_MIDI_MARK* marks);
// One track's events of the filter's kind (MIDI_EVENT_NOTE only) in time order;
// count-then-fill like the marks. -1 on error.
DWORD BASS_MIDI_StreamGetEvents(HSTREAM handle, int track, DWORD filter,
                                BASS_MIDI_EVENT* events);
