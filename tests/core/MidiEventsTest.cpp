// The marker timeline: completion with "BEGIN"/"END" and the marker in force at a position.
#include "audio/MidiEvents.h"
#include "audio/NormalizedPosition.h"
#include "TimelineFiles.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace ostrel {
namespace {

using testing::kBytesPerTick;
using testing::TimelineBuilder;

std::vector<std::string> markerTexts(MidiEvents& events) {
  std::vector<std::string> texts;
  for (DWORD index = 0; index < events.getMarkerCount(); ++index) {
    texts.push_back(events.getMarkers()[index].text);
  }
  return texts;
}

using MidiEventsTest = testing::ManualOutputTest;

TEST_F(MidiEventsTest, CompletesTheFileMarkersWithBeginAndEnd) {
  // Markers on two tracks, two of them at one position; a note sets the stream's end.
  TimelineBuilder builder;
  builder.marker(0, 10, "Intro").marker(1, 20, "Drop").marker(0, 20, "Drop bis").marker(0, 30, "Outro");
  builder.note(1, 35, 5, 60, 100);
  MidiEvents events(openMidi(builder.bytes()));

  EXPECT_EQ(markerTexts(events),
            (std::vector<std::string>{"BEGIN", "Intro", "Drop bis", "Drop", "Outro", "END"}));
  const Marker* markers = events.getMarkers();
  EXPECT_EQ(markers[0].pos, 0u);
  EXPECT_EQ(markers[1].pos, 10 * kBytesPerTick);
  EXPECT_EQ(markers[5].pos, 40 * kBytesPerTick);
  EXPECT_EQ(markers[5].track, 0u);
}

TEST_F(MidiEventsTest, AddsNothingWhereTheFileHasMarkersAtBothEnds) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").marker(0, 20, "Last");
  MidiEvents events(openMidi(builder.bytes()));
  EXPECT_EQ(markerTexts(events), (std::vector<std::string>{"Start", "Last"}));
  EXPECT_TRUE(events.hasFileMarkers());
}

TEST_F(MidiEventsTest, FileWithoutMarkersHoldsOnlyBeginAndEnd) {
  TimelineBuilder builder;
  builder.note(0, 0, 50, 60, 100);
  MidiEvents events(openMidi(builder.bytes()));
  EXPECT_EQ(markerTexts(events), (std::vector<std::string>{"BEGIN", "END"}));
  EXPECT_EQ(events.getMarkers()[1].pos, 50 * kBytesPerTick);
  EXPECT_FALSE(events.hasFileMarkers());
}

TEST_F(MidiEventsTest, MarkerInForceAndNextMarkerAroundMarkerPositions) {
  TimelineBuilder builder;
  builder.marker(0, 10, "A").marker(0, 20, "B").marker(0, 20, "C").marker(0, 30, "D");
  builder.note(0, 30, 10, 60, 100);
  MidiEvents events(openMidi(builder.bytes()));

  struct Case {
    QWORD position;
    const char* inForce;
    const char* next;
  };
  const std::vector<Case> cases = {
      {0, "BEGIN", "A"},
      {4000 - 1, "BEGIN", "A"},
      {4000, "A", "B"},
      {4000 + 1, "A", "B"},
      {8000 - 1, "A", "B"},
      {8000, "C", "D"},  // of two markers at one position, the later one is in force
      {8000 + 1, "C", "D"},
      {12000, "D", "END"},
      {16000, "END", "END"},
      {16000 + 1, "END", "END"},
      {QWORD(1) << 33, "END", "END"},  // beyond 32 bits: after every marker
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    EXPECT_STREQ(events.getMarkerAt(c.position)->text, c.inForce);
    EXPECT_STREQ(events.getNextMarker(c.position)->text, c.next);
  }
}

TEST_F(MidiEventsTest, PositionBeforeTheFirstMarkerOfAnUncompletedListGivesThatMarker) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start").marker(0, 20, "Last");
  MidiEvents events(openMidi(builder.bytes()));
  events.getMarkers()[0].pos = 4000;  // as if the list began later
  EXPECT_STREQ(events.getMarkerAt(100)->text, "Start");
  EXPECT_STREQ(events.getNextMarker(100)->text, "Start");
}

TEST_F(MidiEventsTest, ReadsTrackNamesWithTheirTracks) {
  TimelineBuilder builder;
  builder.trackName(1, "Flash").trackName(3, "DOF").marker(0, 0, "Start");
  MidiEvents events(openMidi(builder.bytes()));
  ASSERT_EQ(events.getTrackNameCount(), 2u);
  EXPECT_STREQ(events.getTrackNames()[0].text, "Flash");
  EXPECT_EQ(events.getTrackNames()[0].track, 1u);
  EXPECT_STREQ(events.getTrackNames()[1].text, "DOF");
  EXPECT_EQ(events.getTrackNames()[1].track, 3u);
}

TEST_F(MidiEventsTest, DescribesNoteEventsForTheLog) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Start");
  MidiEvents events(openMidi(builder.bytes()));

  const BASS_MIDI_EVENT on{MIDI_EVENT_NOTE, 2 | 127 << 8, 0, 10, 4000};
  EXPECT_STREQ(events.describeNote(&on),
               "Note event: On , key: D-0 (02), velocity: 127 | pos: 4000, time: 0.023");
  const BASS_MIDI_EVENT off{MIDI_EVENT_NOTE, 127, 0, 20, 8000};
  EXPECT_STREQ(events.describeNote(&off),
               "Note event: Off, key: G-10 (7F), velocity: 0 | pos: 8000, time: 0.045");
  const BASS_MIDI_EVENT odd{MIDI_EVENT_NOTE, 0 | 200 << 8, 0, 0, 0};
  EXPECT_STREQ(events.describeNote(&odd),
               "Note event: WTF, key: C-0 (00), velocity: 200 | pos: 0, time: 0.000");
}

TEST(NormalizedPosition, RunsFromZeroToOneBetweenTwoMarkers) {
  const Marker from{0, 1000, "Buildup"};
  const Marker to{0, 3000, "Breakbeat"};
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 0), 0.0);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 1000), 0.0);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 1500), 0.25);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 2000), 0.5);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 3000), 1.0);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 1u << 31), 1.0);
  EXPECT_EQ(normalizedPositionBetween(nullptr, &to, 2000), 0.0);
  EXPECT_EQ(normalizedPositionBetween(&from, nullptr, 2000), 1.0);
}

TEST(NormalizedPosition, MarkersAtOnePositionNeverDivide) {
  const Marker from{0, 2000, "Stop"};
  const Marker to{0, 2000, "END"};
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 1999), 0.0);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 2000), 0.0);
  EXPECT_EQ(normalizedPositionBetween(&from, &to, 2001), 1.0);
}

TEST(NormalizedPosition, MarkersOutOfOrderAreAnError) {
  const Marker from{0, 3000, "Finish"};
  const Marker to{0, 1000, "Stop"};
  try {
    normalizedPositionBetween(&from, &to, 2000);
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "AudioManager::getNormalizedPositionForMarkers(): Finish happens at the same "
                 "time or later than Stop!");
  }
}

}  // namespace
}  // namespace ostrel
