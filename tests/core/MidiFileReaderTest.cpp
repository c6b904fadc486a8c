// The standard MIDI file reader: what it reads from well-formed files and how it refuses
// malformed ones, without ever reading outside the bytes it is given.
#include "bass/BassError.h"
#include "bass/MidiFileReader.h"
#include "bass/bass.h"

#include "MidiBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ostrel::bass {
namespace {

using testing::Bytes;
using testing::TrackBytes;
using testing::midiFile;

bool sameNote(const MidiTrack::Note& note, std::uint64_t tick, int channel, int key, int velocity) {
  return note.tick == tick && note.channel == channel && note.key == key &&
         note.velocity == velocity;
}

TEST(MidiFileReader, ReadsNotesOfAFormat0FileWithRunningStatusAndBothKindsOfNoteOff) {
  TrackBytes track;
  track.noteOn(0, 3, 60, 100)
      .running(10, 64, 90)   // running status: another note-on
      .running(10, 60, 0)    // note-on with velocity 0 is a note-off
      .noteOff(5, 3, 64, 77) // a real note-off; its release velocity is dropped
      .end(20);
  const MidiFile file = MidiFileReader::read(midiFile(0, 96, {track}));

  EXPECT_EQ(file.format, 0);
  EXPECT_EQ(file.ticksPerQuarter, 96);
  ASSERT_EQ(file.tracks.size(), 1u);
  const auto& notes = file.tracks[0].notes;
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_TRUE(sameNote(notes[0], 0, 3, 60, 100));
  EXPECT_TRUE(sameNote(notes[1], 10, 3, 64, 90));
  EXPECT_TRUE(sameNote(notes[2], 20, 3, 60, 0));
  EXPECT_TRUE(sameNote(notes[3], 25, 3, 64, 0));
  EXPECT_EQ(file.tracks[0].endTick, 45u);
}

TEST(MidiFileReader, KeepsRunningStatusAcrossMetaEventsAndDropsItAfterSysEx) {
  TrackBytes keeps;
  keeps.noteOn(0, 0, 60, 100).marker(0, "between").running(4, 62, 100).end();
  const MidiFile file = MidiFileReader::read(midiFile(0, 96, {keeps}));
  ASSERT_EQ(file.tracks[0].notes.size(), 2u);
  EXPECT_TRUE(sameNote(file.tracks[0].notes[1], 4, 0, 62, 100));

  TrackBytes dropped;
  dropped.noteOn(0, 0, 60, 100).delta(0).raw({0xF0, 2, 0x7E, 0xF7}).running(4, 62, 100).end();
  try {
    MidiFileReader::read(midiFile(0, 96, {dropped}));
    FAIL() << "a data byte after system-exclusive was taken for running status";
  } catch (const BassError& error) {
    EXPECT_EQ(error.errorCode(), BASS_ERROR_FILEFORM);
    EXPECT_NE(std::string(error.what()).find("running status"), std::string::npos) << error.what();
  }
}

TEST(MidiFileReader, ReadsTextsOfEveryTrackAndSkipsWhatItDoesNotUse) {
  TrackBytes conductor;
  conductor.name(0, "Tempo track")
      .meta(0, 0x01, "a plain text event")
      .meta(0, 0x58, "\x04\x02\x18\x08")  // time signature
      .delta(0).raw({0xF0, 3, 1, 2, 0xF7})  // system exclusive
      .delta(0).raw({0xF7, 1, 0xF7})        // escaped system exclusive
      .marker(96, "Section 1")
      .end(0)
      .marker(0, "after the end")  // not part of the track any more
      .noteOn(0, 0, 1, 1);
  TrackBytes flash;
  flash.name(0, std::string("Flash\0ignored", 13))
      .delta(0).raw({0xB9, 7, 100})  // control change: two data bytes
      .delta(0).raw({0xC9, 5})       // program change: one data byte...
      .delta(0).raw({6})             // ...and another under running status
      .noteOn(48, 9, 36, 127)
      .end(48);

  const MidiFile file = MidiFileReader::read(midiFile(1, 96, {conductor, flash}));
  ASSERT_EQ(file.tracks.size(), 2u);
  const auto& texts = file.tracks[0].texts;
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].metaType, 0x03);
  EXPECT_EQ(texts[0].text, "Tempo track");
  EXPECT_EQ(texts[1].metaType, 0x06);
  EXPECT_EQ(texts[1].text, "Section 1");
  EXPECT_EQ(texts[1].tick, 96u);
  EXPECT_TRUE(file.tracks[0].notes.empty());
  EXPECT_EQ(file.tracks[0].endTick, 96u);
  EXPECT_EQ(file.tracks[1].texts[0].text, "Flash");  // a NUL ends the text
  EXPECT_EQ(file.tracks[1].notes.size(), 1u);
  EXPECT_EQ(file.endTick(), 96u);
}

TEST(MidiFileReader, SkipsChunksOfUnknownKindsAndTakesTracksWithoutEndOfTrack) {
  TrackBytes unterminated;
  unterminated.noteOn(7, 0, 60, 1);
  Bytes bytes = testing::header(1, 1, 480);
  const Bytes alien = testing::chunk("XFIH", {1, 2, 3});
  bytes.insert(bytes.end(), alien.begin(), alien.end());
  const Bytes track = testing::chunk("MTrk", unterminated.data);
  bytes.insert(bytes.end(), track.begin(), track.end());

  const MidiFile file = MidiFileReader::read(bytes);
  ASSERT_EQ(file.tracks.size(), 1u);
  EXPECT_EQ(file.tracks[0].notes.size(), 1u);
  EXPECT_EQ(file.tracks[0].endTick, 7u);
}

TEST(MidiFileReader, BuildsOneTempoMapFromTempoChangesInAnyTrack) {
  TrackBytes first;
  first.end(384);
  TrackBytes second;
  second.tempo(192, 250000).end(192);  // 120 bpm for two beats, then 240 bpm
  const MidiFile file = MidiFileReader::read(midiFile(1, 96, {first, second}));
  EXPECT_EQ(file.tempoMap.frameAt(96), 22050u);   // 0.5 s
  EXPECT_EQ(file.tempoMap.frameAt(192), 44100u);  // 1 s
  EXPECT_EQ(file.tempoMap.frameAt(288), 55125u);  // 1.25 s
  EXPECT_EQ(file.tempoMap.frameAt(384), 66150u);
}

struct MalformedCase {
  const char* what;
  Bytes bytes;
  const char* message;  // part of the reader's explanation
};

Bytes withTrack(const Bytes& events, int division = 96, int format = 0) {
  TrackBytes track;
  track.data = events;
  return midiFile(format, division, {track});
}

Bytes withLongerClaim(Bytes bytes) {
  bytes[21] += 10;  // the track chunk's length (low byte)
  return bytes;
}

std::vector<MalformedCase> malformedCases() {
  TrackBytes ok;
  ok.noteOn(0, 0, 60, 100).end(10);
  const Bytes good = midiFile(0, 96, {ok});
  Bytes missingTrack = testing::header(1, 2, 96);
  const Bytes oneTrack = testing::chunk("MTrk", ok.data);
  missingTrack.insert(missingTrack.end(), oneTrack.begin(), oneTrack.end());
  Bytes shortHeader = testing::chunk("MThd", {0, 0, 0, 1, 0});

  return {
      {"an empty file", {}, "too short"},
      {"no header", testing::chunk("MTrk", ok.data), "MThd"},
      {"a header of 5 bytes", shortHeader, "5 bytes long"},
      {"a header longer than the file", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 60, 0, 0}, "ends first"},
      {"format 2", midiFile(2, 96, {ok}), "format 2"},
      {"no tracks", testing::header(1, 0, 96), "no track"},
      {"division 0", withTrack(ok.data, 0), "division of 0"},
      {"SMPTE division", withTrack(ok.data, 0xE728), "SMPTE"},
      {"a track chunk claiming more than the file", withLongerClaim(good), "claims"},
      {"fewer tracks than announced", missingTrack, "1 of 2 tracks"},
      {"running status without status", withTrack({0, 60, 100}), "running status"},
      {"a delta time of 5 bytes", withTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}),
       "longer than 4 bytes"},
      {"a meta event longer than its track", withTrack({0, 0xFF, 0x06, 20, 'a'}), "wanted"},
      {"a tempo event of 2 bytes", withTrack({0, 0xFF, 0x51, 2, 7, 0xA1}), "instead of 3"},
      {"a status byte as note data", withTrack({0, 0x90, 60, 0x80}), "data byte"},
      {"a sysex longer than its track", withTrack({0, 0xF0, 0x7F, 1}), "wanted"},
      {"a note cut short", withTrack({0, 0x90, 60}), "wanted"},
      {"a delta time cut short", withTrack({0x81}), "wanted"},
  };
}

TEST(MidiFileReader, RefusesMalformedFilesWithAnExplanation) {
  for (const MalformedCase& test : malformedCases()) {
    SCOPED_TRACE(test.what);
    // An exact-size copy, so that AddressSanitizer sees any read past the end.
    auto exact = std::make_unique<std::uint8_t[]>(test.bytes.size() + 1);
    std::copy(test.bytes.begin(), test.bytes.end(), exact.get());
    try {
      MidiFileReader::read({exact.get(), test.bytes.size()});
      ADD_FAILURE() << "read without complaint";
    } catch (const BassError& error) {
      EXPECT_EQ(error.errorCode(), BASS_ERROR_FILEFORM);
      EXPECT_NE(std::string(error.what()).find(test.message), std::string::npos) << error.what();
    }
  }
}

TEST(MidiFileReader, EveryTruncationOfAFileIsReadOrRefusedWithoutReadingPastIt) {
  TrackBytes conductor;
  conductor.name(0, "Song").tempo(0, 400000).marker(96, "Verse").end(384);
  TrackBytes notes;
  notes.name(0, "DOF").noteOn(0, 1, 0, 64).running(48, 5, 90).delta(0).raw({0xF0, 2, 1, 0xF7});
  notes.noteOff(48, 1, 0).running(0, 5, 0).end(12);
  const Bytes whole = midiFile(1, 96, {conductor, notes});

  int refused = 0;
  for (std::size_t size = 0; size < whole.size(); ++size) {
    std::vector<std::uint8_t> prefix(whole.begin(), whole.begin() + static_cast<long>(size));
    try {
      MidiFileReader::read(prefix);
    } catch (const BassError& error) {
      EXPECT_EQ(error.errorCode(), BASS_ERROR_FILEFORM);
      ++refused;
    }
  }
  // Every prefix lacks part of the second track, whose chunk length then overruns.
  EXPECT_EQ(refused, static_cast<int>(whole.size()));
  EXPECT_NO_THROW(MidiFileReader::read(whole));
}

}  // namespace
}  // namespace ostrel::bass
