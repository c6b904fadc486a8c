// A standard MIDI file opened as a stream: silent (no soundfont), its position runs in real
// time once played, and it hands out the file's marks and note events in byte positions of
// the stream (44100 Hz, 4 bytes a frame), so they compare directly with an audio stream.
#pragma once

#include "bass/MidiFile.h"
#include "bass/Stream.h"
#include "bass/bassmidi.h"

#include <deque>
#include <string>
#include <vector>

namespace ostrel::bass {

class MidiStream : public Stream {
public:
  // Throws BassError (BASS_ERROR_FILEFORM) for a song whose ticks or byte positions do not
  // fit 32 bits (longer than about 6 h 45 min at 44100 Hz).
  explicit MidiStream(const MidiFile& file);

  std::size_t trackCount() const { return trackEvents.size(); }
  // Marks of one type (BASS_MIDI_MARK_MARKER or BASS_MIDI_MARK_TRACK) of one track, or of
  // all tracks for track -1, by position; equal positions keep the file's order. Throws
  // BassError (BASS_ERROR_ILLPARAM) for another type or a track the file does not have.
  std::vector<BASS_MIDI_MARK> marks(int track, DWORD type) const;
  // The note-ons and note-offs of one track in time order. Throws BassError
  // (BASS_ERROR_ILLPARAM) for a track the file does not have.
  const std::vector<BASS_MIDI_EVENT>& noteEvents(int track) const;

protected:
  void decode(std::int16_t* out, std::size_t frames) override;
  void seekDecoder(std::uint64_t frame) override;
  bool isSilent() const override { return true; }

private:
  void addMarks(const MidiFile& file);
  void addNoteEvents(const MidiFile& file);
  DWORD bytePosition(const MidiFile& file, std::uint64_t tick) const;

  std::deque<std::string> texts;  // a deque never moves its elements: the marks point here
  std::vector<BASS_MIDI_MARK> markers;     // every track, by position
  std::vector<BASS_MIDI_MARK> trackNames;  // every track, by position
  std::vector<std::vector<BASS_MIDI_EVENT>> trackEvents;
};

}  // namespace ostrel::bass
