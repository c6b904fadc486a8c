// Marks and note events of a MIDI file in stream byte positions.
#include "bass/MidiStream.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ostrel::bass {
namespace {

constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaMarker = 0x06;
constexpr std::uint64_t kLargestPosition = std::numeric_limits<std::uint32_t>::max();

std::uint64_t songFrames(const MidiFile& file) {
  const std::uint64_t endTick = file.endTick();
  if (endTick > kLargestPosition) {
    throw BassError(BASS_ERROR_FILEFORM, "the song is longer than 2^32 ticks");
  }
  const std::uint64_t frames = file.tempoMap.frameAt(endTick);
  if (frames > kLargestPosition / kBytesPerFrame) {
    throw BassError(BASS_ERROR_FILEFORM,
                    "the song is too long for 32-bit byte positions (over 6 h 45 min)");
  }
  return frames;
}

void sortByPosition(std::vector<BASS_MIDI_MARK>& marks) {
  std::stable_sort(marks.begin(), marks.end(), [](const BASS_MIDI_MARK& a, const BASS_MIDI_MARK& b) {
    return a.pos < b.pos;
  });
}

}  // namespace

MidiStream::MidiStream(const MidiFile& file) : Stream(songFrames(file)) {
  addMarks(file);
  addNoteEvents(file);
}

DWORD MidiStream::bytePosition(const MidiFile& file, std::uint64_t tick) const {
  // Every tick lies at or before the song's end, which is known to fit.
  return static_cast<DWORD>(file.tempoMap.frameAt(tick) * kBytesPerFrame);
}

void MidiStream::addMarks(const MidiFile& file) {
  for (std::size_t track = 0; track < file.tracks.size(); ++track) {
    for (const MidiTrack::Text& text : file.tracks[track].texts) {
      texts.push_back(text.text);
      const BASS_MIDI_MARK mark{static_cast<DWORD>(track), bytePosition(file, text.tick),
                                texts.back().c_str()};
      (text.metaType == kMetaMarker ? markers : trackNames).push_back(mark);
    }
  }
  sortByPosition(markers);
  sortByPosition(trackNames);
}

void MidiStream::addNoteEvents(const MidiFile& file) {
  trackEvents.resize(file.tracks.size());
  for (std::size_t track = 0; track < file.tracks.size(); ++track) {
    auto& events = trackEvents[track];
    events.reserve(file.tracks[track].notes.size());
    for (const MidiTrack::Note& note : file.tracks[track].notes) {
      events.push_back({MIDI_EVENT_NOTE, DWORD(note.key) | DWORD(note.velocity) << 8,
                        note.channel, static_cast<DWORD>(note.tick),
                        bytePosition(file, note.tick)});
    }
  }
}

std::vector<BASS_MIDI_MARK> MidiStream::marks(int track, DWORD type) const {
  if (type != BASS_MIDI_MARK_MARKER && type != BASS_MIDI_MARK_TRACK) {
    throw BassError(BASS_ERROR_ILLPARAM, "mark type " + std::to_string(type) + " is not offered");
  }
  if (track < -1 || track >= static_cast<int>(trackCount())) {
    throw BassError(BASS_ERROR_ILLPARAM, "the file has no track " + std::to_string(track));
  }
  const auto& all = type == BASS_MIDI_MARK_MARKER ? markers : trackNames;
  if (track == -1) {
    return all;
  }
  std::vector<BASS_MIDI_MARK> ofTrack;
  std::copy_if(all.begin(), all.end(), std::back_inserter(ofTrack),
               [track](const BASS_MIDI_MARK& mark) { return mark.track == DWORD(track); });
  return ofTrack;
}

const std::vector<BASS_MIDI_EVENT>& MidiStream::noteEvents(int track) const {
  if (track < 0 || track >= static_cast<int>(trackCount())) {
    throw BassError(BASS_ERROR_ILLPARAM, "the file has no track " + std::to_string(track));
  }
  return trackEvents[static_cast<std::size_t>(track)];
}

void MidiStream::decode(std::int16_t* out, std::size_t frames) {
  std::memset(out, 0, frames * kBytesPerFrame);
}

void MidiStream::seekDecoder(std::uint64_t) {}

}  // namespace ostrel::bass
