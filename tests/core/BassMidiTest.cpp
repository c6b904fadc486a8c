// MIDI streams through the library's calls: marks, note events, length, position, errors.
#include "bass/CallGuard.h"

#include "ManualOutputTest.h"
#include "MidiBytes.h"

#include <string>
#include <vector>

namespace ostrel::testing {
namespace {

constexpr DWORD kFailed = ~DWORD{0};
constexpr DWORD kBytesPerBeat = 88200;  // half a second at 120 bpm, 4 bytes a frame

// Three tracks at 96 ticks a beat, 120 bpm: markers in two of them, two at the same
// position in different tracks, and the second track longer than the others.
Bytes songWithMarkers() {
  TrackBytes conductor;
  conductor.name(0, "Conductor").marker(0, "Intro").marker(192, "Verse").end(0);
  TrackBytes dof;
  dof.name(0, "DOF").marker(96, "Camera_002").marker(0, "Camera_003").marker(96, "Verse too");
  dof.end(96);
  TrackBytes flash;
  flash.marker(96, "Flash on").name(0, "Flash").end(96);
  return midiFile(1, 96, {conductor, dof, flash});
}

std::vector<BASS_MIDI_MARK> marksOf(HSTREAM stream, int track, DWORD type) {
  const DWORD count = BASS_MIDI_StreamGetMarks(stream, track, type, nullptr);
  EXPECT_NE(count, kFailed);
  std::vector<BASS_MIDI_MARK> marks(count == kFailed ? 0 : count);
  EXPECT_EQ(BASS_MIDI_StreamGetMarks(stream, track, type, marks.data()), count);
  return marks;
}

struct ExpectedMark {
  DWORD track;
  DWORD pos;
  std::string text;
};

void expectMarks(const std::vector<BASS_MIDI_MARK>& marks, const std::vector<ExpectedMark>& expected) {
  ASSERT_EQ(marks.size(), expected.size());
  for (std::size_t index = 0; index < marks.size(); ++index) {
    SCOPED_TRACE(expected[index].text);
    EXPECT_EQ(marks[index].track, expected[index].track);
    EXPECT_EQ(marks[index].pos, expected[index].pos);
    EXPECT_STREQ(marks[index].text, expected[index].text.c_str());
  }
}

using BassMidi = ManualOutputTest;

TEST_F(BassMidi, MarkersOfAllTracksComeByPositionAndTiesKeepTheFileOrder) {
  const HSTREAM stream = openMidi(songWithMarkers());
  ASSERT_NE(stream, 0u) << bass::lastErrorText();

  expectMarks(marksOf(stream, -1, BASS_MIDI_MARK_MARKER),
              {{0, 0, "Intro"},
               {1, kBytesPerBeat, "Camera_002"},
               {1, kBytesPerBeat, "Camera_003"},
               {2, kBytesPerBeat, "Flash on"},
               {0, 2 * kBytesPerBeat, "Verse"},
               {1, 2 * kBytesPerBeat, "Verse too"}});
  expectMarks(marksOf(stream, 2, BASS_MIDI_MARK_MARKER), {{2, kBytesPerBeat, "Flash on"}});
  expectMarks(marksOf(stream, -1, BASS_MIDI_MARK_TRACK),
              {{0, 0, "Conductor"}, {1, 0, "DOF"}, {2, kBytesPerBeat, "Flash"}});
}

TEST_F(BassMidi, MarkTextsStayValidAsLongAsTheStream) {
  const HSTREAM stream = openMidi(songWithMarkers());
  const auto first = marksOf(stream, -1, BASS_MIDI_MARK_MARKER);
  const HSTREAM other = openMidi(songWithMarkers());
  ASSERT_NE(other, 0u);
  marksOf(other, -1, BASS_MIDI_MARK_TRACK);
  const auto again = marksOf(stream, -1, BASS_MIDI_MARK_MARKER);
  ASSERT_EQ(first.size(), again.size());
  for (std::size_t index = 0; index < first.size(); ++index) {
    EXPECT_EQ(first[index].text, again[index].text);  // the same storage, not a copy
  }
  EXPECT_STREQ(first[0].text, "Intro");
}

TEST_F(BassMidi, NoteEventsOfOneTrackFollowTheTempoMapInTimeOrder) {
  TrackBytes conductor;
  conductor.tempo(192, 250000).end(0);  // two beats at 120 bpm, then 240 bpm
  TrackBytes notes;
  notes.noteOn(0, 0, 2, 64)
      .noteOn(96, 5, 0, 127)
      .running(0, 9, 1)        // running status, another key on channel 5
      .running(96, 9, 0)       // note-on with velocity 0
      .noteOff(96, 0, 2, 99)   // note-off with a release velocity
      .noteOn(96, 15, 127, 127)
      .end(0);
  const HSTREAM stream = openMidi(midiFile(1, 96, {conductor, notes}));
  ASSERT_NE(stream, 0u) << bass::lastErrorText();

  const DWORD count = BASS_MIDI_StreamGetEvents(stream, 1, MIDI_EVENT_NOTE, nullptr);
  ASSERT_EQ(count, 6u);
  std::vector<BASS_MIDI_EVENT> events(count);
  ASSERT_EQ(BASS_MIDI_StreamGetEvents(stream, 1, MIDI_EVENT_NOTE, events.data()), count);

  struct Expected {
    DWORD param, chan, tick, pos;
  };
  const Expected expected[] = {
      {2 | 64 << 8, 0, 0, 0},
      {0 | 127 << 8, 5, 96, kBytesPerBeat},
      {9 | 1 << 8, 5, 96, kBytesPerBeat},
      {9, 5, 192, 2 * kBytesPerBeat},
      {2, 0, 288, 2 * kBytesPerBeat + kBytesPerBeat / 2},  // a beat at 240 bpm is half as long
      {127 | 127 << 8, 15, 384, 3 * kBytesPerBeat},
  };
  for (std::size_t index = 0; index < count; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(events[index].event, MIDI_EVENT_NOTE);
    EXPECT_EQ(events[index].param, expected[index].param);
    EXPECT_EQ(events[index].chan, expected[index].chan);
    EXPECT_EQ(events[index].tick, expected[index].tick);
    EXPECT_EQ(events[index].pos, expected[index].pos);
  }
  EXPECT_EQ(BASS_MIDI_StreamGetEvents(stream, 0, MIDI_EVENT_NOTE, nullptr), 0u);
  // The song ends with the later track, at tick 384.
  EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), 3u * kBytesPerBeat);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, 3u * kBytesPerBeat), 1.5);
}

TEST_F(BassMidi, PositionRunsWithTheDeviceOncePlayedAndStopsAtTheLength) {
  const HSTREAM stream = openMidi(songWithMarkers());
  const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  ASSERT_EQ(length, 3u * kBytesPerBeat);

  driver->advance(1000);  // not playing yet: the position stays
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  driver->advance(1000);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 4000u);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  driver->advance(length / 4);  // well past the end
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(BassMidi, RefusesBadCallsWithTheirErrorCodes) {
  const HSTREAM stream = openMidi(songWithMarkers());
  ASSERT_NE(stream, 0u);

  EXPECT_EQ(BASS_MIDI_StreamGetMarks(stream, -1, 3, nullptr), kFailed);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_MIDI_StreamGetMarks(stream, 3, BASS_MIDI_MARK_MARKER, nullptr), kFailed);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_MIDI_StreamGetEvents(stream, -1, MIDI_EVENT_NOTE, nullptr), kFailed);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_MIDI_StreamGetEvents(stream, 0, 2, nullptr), kFailed);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(BASS_MIDI_StreamGetMarks(stream + 100, -1, BASS_MIDI_MARK_MARKER, nullptr), kFailed);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);

  const Bytes song = songWithMarkers();
  EXPECT_EQ(BASS_MIDI_StreamCreateFile(TRUE, song.data(), 0, song.size(), 0, 48000), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
  const Bytes garbage(100, 0x42);
  EXPECT_EQ(openMidi(garbage), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  EXPECT_EQ(BASS_MIDI_StreamCreateFile(FALSE, L"no such file.mid", 0, 0, BASS_UNICODE, 44100), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  EXPECT_NE(bass::lastErrorText().find("no such file.mid"), std::string::npos);

  ASSERT_TRUE(BASS_Free());
  EXPECT_EQ(BASS_MIDI_StreamGetMarks(stream, -1, BASS_MIDI_MARK_MARKER, nullptr), kFailed);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(openMidi(song), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(BassMidi, OpensFilesByWidePath) {
  const std::wstring path = L"" OSTREL_TEST_DATA L"/tempo-change.mid";
  const HSTREAM stream = BASS_MIDI_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_UNICODE, 44100);
  ASSERT_NE(stream, 0u) << bass::lastErrorText();
  EXPECT_GT(BASS_MIDI_StreamGetMarks(stream, -1, BASS_MIDI_MARK_MARKER, nullptr), 0u);
}

}  // namespace
}  // namespace ostrel::testing
