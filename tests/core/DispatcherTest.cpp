// Effect blocks and parameters from the notes of the timeline's named tracks.
#include "audio/Dispatcher.h"
#include "audio/MidiEvents.h"
#include "audio/NoteName.h"
#include "TimelineFiles.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <stdexcept>
#include <vector>

namespace ostrel {
namespace {

using testing::kBytesPerTick;
using testing::TimelineBuilder;

constexpr int kBlockKey = 0;
constexpr int kD0 = 2;   // first parameter of every track
constexpr int kDs0 = 3;  // second parameter

BASS_MIDI_EVENT noteEvent(DWORD key, DWORD velocity, DWORD position) {
  return {MIDI_EVENT_NOTE, key | velocity << 8, 0, 0, position};
}

// Feeds events to a dispatcher's note pairing as one track's scan does.
class NotePairing : public ::testing::Test {
protected:
  // Events stay where they are: open and closed notes point at them.
  void play(const std::vector<BASS_MIDI_EVENT>& sequence) {
    for (const BASS_MIDI_EVENT& event : sequence) {
      events.push_back(event);
      dispatcher.handleNote(&events.back());
    }
  }
  // Closed notes of key as (position, length) pairs.
  std::vector<std::pair<DWORD, DWORD>> closed(DWORD key) const {
    std::vector<std::pair<DWORD, DWORD>> notes;
    const auto& byKey = dispatcher.getTrackNotes();
    if (const auto found = byKey.find(key); found != byKey.end()) {
      for (const auto& [position, note] : found->second) {
        notes.emplace_back(position, note->length);
      }
    }
    return notes;
  }

  Dispatcher dispatcher{nullptr};
  std::deque<BASS_MIDI_EVENT> events;
};

using Notes = std::vector<std::pair<DWORD, DWORD>>;

TEST_F(NotePairing, ReleasePairsWithItsNoteOn) {
  play({noteEvent(2, 100, 1000), noteEvent(2, 0, 5000)});
  EXPECT_EQ(closed(2), (Notes{{1000, 4000}}));
  EXPECT_TRUE(dispatcher.getActiveTrackNotes().empty());
}

TEST_F(NotePairing, KeyStruckAgainBeforeItsReleaseClosesTheEarlierNote) {
  play({noteEvent(2, 100, 1000), noteEvent(2, 90, 3000), noteEvent(2, 0, 5000)});
  EXPECT_EQ(closed(2), (Notes{{1000, 2000}, {3000, 2000}}));
}

TEST_F(NotePairing, ReleaseAtTheNoteOnPositionLeavesTheNoteOpenUntilALaterEvent) {
  play({noteEvent(2, 100, 1000), noteEvent(2, 0, 1000)});
  EXPECT_TRUE(closed(2).empty());
  EXPECT_EQ(dispatcher.getActiveTrackNotes().count(2), 1u);

  play({noteEvent(2, 0, 1500)});
  EXPECT_EQ(closed(2), (Notes{{1000, 500}}));
}

TEST_F(NotePairing, StrayReleasesUnreleasedNotesAndOddVelocitiesStoreNothing) {
  play({noteEvent(5, 0, 500),      // a release with nothing open
        noteEvent(6, 200, 700),    // no note velocity
        noteEvent(7, 100, 900)});  // never released
  EXPECT_TRUE(dispatcher.getTrackNotes().empty());
  EXPECT_EQ(dispatcher.getActiveTrackNotes().size(), 1u);
  EXPECT_EQ(dispatcher.getActiveTrackNotes().count(7), 1u);
}

TEST(NoteNames, FollowTheAuthorsNaming) {
  EXPECT_EQ(noteName(0), "C-0");
  EXPECT_EQ(noteName(2), "D-0");
  EXPECT_EQ(noteName(15), "D#1");
  EXPECT_EQ(noteName(24), "C-2");
  EXPECT_EQ(noteName(127), "G-10");
  std::set<std::string> names;
  for (DWORD key = 0; key < 128; ++key) {
    EXPECT_TRUE(names.insert(noteName(key)).second) << key;  // no two keys share a name
  }
}

Block blockWithVelocities(const std::vector<std::pair<std::string, int>>& values,
                          std::vector<BASS_MIDI_EVENT>& storage) {
  Block block;
  storage.reserve(values.size());
  for (const auto& [name, velocity] : values) {
    storage.push_back(noteEvent(kD0, DWORD(velocity), 0));
    block.parameters[name] = std::make_unique<Parameter>(name, &storage.back(), 0, velocity);
  }
  return block;
}

TEST(BlockValues, ScaleVelocitiesToTheUnitRange) {
  std::vector<BASS_MIDI_EVENT> storage;
  const Block block = blockWithVelocities({{"low", 1}, {"mid", 64}, {"high", 127}}, storage);
  EXPECT_EQ(block.getValue("low"), 0.0f);
  EXPECT_EQ(block.getValue("mid"), 0.5f);
  EXPECT_EQ(block.getValue("high"), 1.0f);
  EXPECT_THROW(block.getValue("absent"), std::out_of_range);
}

TEST(BlockValues, ColorPacksThreeVelocitiesAsBytesOfOneNumber) {
  std::vector<BASS_MIDI_EVENT> storage;
  const Block block = blockWithVelocities(
      {{"r1", 1}, {"g1", 1}, {"b1", 1}, {"r127", 127}, {"g127", 127}, {"b127", 127}, {"g64", 64}},
      storage);
  EXPECT_EQ(block.getColor("r1", "g1", "b1"), 0.0f);
  EXPECT_EQ(block.getColor("r127", "g127", "b127"), 1.0f);
  EXPECT_EQ(block.getColor("r127", "g1", "b1"), 16711680.0f / 16777215.0f);
  EXPECT_EQ(block.getColor("r1", "g1", "b127"), 255.0f / 16777215.0f);
  // 63 * 255 / 126 = 127.5, truncated to the byte 127
  EXPECT_EQ(block.getColor("r1", "g64", "b1"), float(127 * 256) / 16777215.0f);
  try {
    block.getColor("r1", "absent", "b1");
    FAIL() << "no error";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "invalid map<K, T> key");
  }
}

TEST(ActiveBlocks, IncludeBothEndsOfTheirSpanAndKeepTheListOrder) {
  Block flash;
  flash.name = "Flash";
  flash.start = 1000;
  flash.end = 5000;
  Block color;
  color.name = "Color";
  color.start = 5000;
  color.end = 9000;
  const std::vector<Block*> all = {&flash, &color};
  const Dispatcher dispatcher(nullptr);

  EXPECT_EQ(dispatcher.getActiveBlocks(999, all), (std::vector<Block*>{}));
  EXPECT_EQ(dispatcher.getActiveBlocks(1000, all), (std::vector<Block*>{&flash}));
  EXPECT_EQ(dispatcher.getActiveBlocks(5000, all), (std::vector<Block*>{&flash, &color}));
  EXPECT_EQ(dispatcher.getActiveBlocks(5001, all), (std::vector<Block*>{&color}));
  EXPECT_EQ(dispatcher.getActiveBlocks(9001, all), (std::vector<Block*>{}));
}

class DispatcherScan : public testing::ManualOutputTest {
protected:
  std::vector<Block*> scan(const TimelineBuilder& builder) {
    midiEvents = std::make_unique<MidiEvents>(openMidi(builder.bytes()));
    dispatcher = std::make_unique<Dispatcher>(midiEvents.get());
    dispatcher->setTrackParameterMapping(Resources().trackParameterMapping);
    return dispatcher->getBlocks();
  }

  std::unique_ptr<MidiEvents> midiEvents;
  std::unique_ptr<Dispatcher> dispatcher;
};

TEST_F(DispatcherScan, BlockWithItsParametersAtItsStart) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").trackName(1, "Flash");
  builder.note(1, 10, 40, kBlockKey, 100).note(1, 10, 5, kD0, 127).note(1, 10, 5, kDs0, 1);
  builder.marker(0, 60, "Stop");
  const auto blocks = scan(builder);

  ASSERT_EQ(blocks.size(), 1u);
  const Block& block = *blocks[0];
  EXPECT_EQ(block.name, "Flash");
  EXPECT_EQ(block.start, 10 * kBytesPerTick);
  EXPECT_EQ(block.end, 50 * kBytesPerTick);
  EXPECT_EQ(block.length, 40 * kBytesPerTick);
  EXPECT_EQ(block.getValue("startFlash"), 1.0f);
  EXPECT_EQ(block.getValue("endFlash"), 0.0f);
  EXPECT_EQ(block.parameters.at("startFlash")->length, 5 * kBytesPerTick);
}

TEST_F(DispatcherScan, ParameterBeforeABlockBelongsToIt) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").trackName(1, "Flash");
  builder.note(1, 10, 10, kBlockKey, 100).note(1, 30, 10, kBlockKey, 100);
  builder.note(1, 9, 1, kD0, 64);   // before the first block
  builder.note(1, 20, 2, kD0, 30);  // after the first block's start: the second block's
  builder.marker(0, 60, "Stop");
  const auto blocks = scan(builder);

  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0]->parameters.at("startFlash")->value, 64);
  EXPECT_EQ(blocks[1]->parameters.at("startFlash")->value, 30);
}

TEST_F(DispatcherScan, ParameterAfterTheLastBlockStartIsAnError) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").trackName(1, "Flash");
  builder.note(1, 10, 10, kBlockKey, 100).note(1, 11, 1, kD0, 64);
  builder.marker(0, 60, "Stop");
  try {
    scan(builder);
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Unable to find a Block this Parameter belongs to!");
  }
}

TEST_F(DispatcherScan, UnmappedNoteNamesBecomeUnknownParameters) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").trackName(1, "Color");
  builder.note(1, 10, 10, kBlockKey, 100).note(1, 10, 1, 5, 64);  // F-0 maps to nothing
  builder.marker(0, 60, "Stop");
  const auto blocks = scan(builder);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0]->parameters.count("???"), 1u);
}

TEST_F(DispatcherScan, NotesBeyondTheLastMarkerTakeNoPart) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").trackName(1, "Flash").marker(0, 20, "Stop");
  builder.note(1, 10, 10, kBlockKey, 100);
  builder.note(1, 30, 10, kBlockKey, 100).note(1, 30, 1, kD0, 64);  // past "Stop"
  const auto blocks = scan(builder);
  // "END" extends the range to the stream's end, so drop it to test the marker bound.
  const Marker* markers = midiEvents->getMarkers();
  EXPECT_STREQ(markers[midiEvents->getMarkerCount() - 1].text, "END");
  ASSERT_EQ(blocks.size(), 2u);

  const auto inRange = dispatcher->collectBlocks(&markers[0], &markers[1]);
  ASSERT_EQ(inRange.size(), 1u);
  EXPECT_EQ(inRange[0]->start, 10 * kBytesPerTick);
}

TEST_F(DispatcherScan, BlocksComeTrackByTrackInStartOrder) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").trackName(1, "Glitch").trackName(2, "Flash");
  builder.note(1, 30, 5, kBlockKey, 100).note(1, 10, 5, kBlockKey, 100);
  builder.note(2, 20, 5, kBlockKey, 100);
  builder.marker(0, 60, "Stop");
  const auto blocks = scan(builder);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0]->name, "Glitch");
  EXPECT_EQ(blocks[0]->start, 10 * kBytesPerTick);
  EXPECT_EQ(blocks[1]->start, 30 * kBytesPerTick);
  EXPECT_EQ(blocks[2]->name, "Flash");
}

}  // namespace
}  // namespace ostrel
