// The authors' timeline checker: what it reports of sound and of broken timelines.
#include "audio/MusicalClock.h"
#include "tools/timeline-check/ReportPrinter.h"
#include "tools/timeline-check/TimelineChecker.h"

#include "bass/MidiFileReader.h"
#include "TimelineFiles.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ostrel {
namespace {

using testing::kBytesPerTick;
using testing::TimelineBuilder;
using Severity = TimelineReport::Severity;

constexpr int kBlockKey = 0;
constexpr int kD0 = 2, kDs0 = 3, kE0 = 4, kFs0 = 6, kG0 = 7, kGs0 = 8;

// A "Color" block at tick with all six of its parameters.
void completeColorBlock(TimelineBuilder& builder, int track, std::uint32_t tick) {
  builder.note(track, tick, 20, kBlockKey, 100);
  for (int key : {kD0, kDs0, kE0, kFs0, kG0, kGs0}) {
    builder.note(track, tick, 1, key, 64);
  }
}

class TimelineCheck : public testing::ManualOutputTest {
protected:
  TimelineReport check(const TimelineBuilder& builder, std::uint64_t audioLength = 0) {
    bytes = builder.bytes();
    return checkTimeline("test.mid", bytes, audioLength, Resources());
  }

  static std::vector<std::string> messagesOf(const TimelineReport& report, Severity severity) {
    std::vector<std::string> messages;
    for (const auto& finding : report.findings) {
      if (finding.severity == severity) {
        messages.push_back(finding.track + "|" + finding.note + "|" + finding.message);
      }
    }
    return messages;
  }

  testing::Bytes bytes;
};

TEST_F(TimelineCheck, SoundTimelineHasNoFindingsAndListsSectionsWithTheirScenes) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Quorvel").marker(0, 40, "Buildup").trackName(1, "Color");
  completeColorBlock(builder, 1, 0);
  builder.note(1, 60, 20, kBlockKey, 100);
  for (int key : {kD0, kDs0, kE0, kFs0, kG0, kGs0}) {
    builder.note(1, 55, 1, key, 127);  // before the block: it belongs to it
  }
  const auto report = check(builder, 100 * kBytesPerTick);

  EXPECT_TRUE(report.findings.empty()) << report.findings.front().message;
  EXPECT_FALSE(report.runWouldFail());
  ASSERT_EQ(report.sections.size(), 3u);
  EXPECT_EQ(report.sections[0].marker, "Quorvel");
  EXPECT_EQ(report.sections[0].sceneKey, "sceneKvLogo");
  EXPECT_EQ(report.sections[0].camera, "Camera_003");
  EXPECT_EQ(report.sections[0].length, 40 * kBytesPerTick);
  EXPECT_EQ(report.sections[1].marker, "Buildup");
  EXPECT_EQ(report.sections[1].length, 60 * kBytesPerTick);
  // "END" closes the file's markers and reaches the end of the audio, as in the program.
  EXPECT_EQ(report.sections[2].marker, "END");
  EXPECT_EQ(report.sections[2].start, 100 * kBytesPerTick);
  ASSERT_EQ(report.tracks.size(), 1u);
  ASSERT_EQ(report.tracks[0].blocks.size(), 2u);
  EXPECT_EQ(report.tracks[0].blocks[1].parameters.size(), 6u);
  EXPECT_EQ(report.tracks[0].blocks[1].parameters[0].velocity, 127);
}

TEST_F(TimelineCheck, ReportsEveryBreachWithItsTrackPositionAndNote) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Quorvel").marker(0, 20, "Nowhere").marker(0, 20, "Buildup");
  builder.trackName(1, "Color").trackName(2, "Flash").trackName(3, "Bass");
  completeColorBlock(builder, 1, 0);
  builder.note(1, 30, 1, kD0, 64);            // after the last block start of "Color"
  builder.note(2, 10, 20, kBlockKey, 100);    // a "Flash" block without "endFlash"
  builder.note(2, 10, 1, kD0, 64);
  builder.note(2, 10, 1, 9, 64);              // A-0 names no parameter of "Flash"
  builder.noteOn(2, 12, kE0, 64);             // never released
  builder.note(3, 5, 10, 60, 100);            // a musical track with a name
  const auto report = check(builder);

  EXPECT_TRUE(report.runWouldFail());
  const auto errors = messagesOf(report, Severity::Error);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].substr(0, 10), "Bass|C-5|p");  // a "parameter" after any block start
  EXPECT_NE(errors[1].find("Flash|C-0|the block misses endFlash"), std::string::npos);
  EXPECT_NE(errors[2].find("Color|D-0|parameter 'startRed' lies after the last block start"),
            std::string::npos);

  const auto warnings = messagesOf(report, Severity::Warning);
  const auto has = [&](const std::string& text) {
    return std::any_of(warnings.begin(), warnings.end(),
                       [&](const std::string& warning) { return warning.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(has("Bass||a named track that is not an effect track"));
  EXPECT_TRUE(has("Flash|A-0|names no parameter of track 'Flash'"));
  EXPECT_TRUE(has("Flash|E-0|a note that is never released"));
  EXPECT_TRUE(has("||marker 'Nowhere' is never shown: 'Buildup' starts at the same position"));
  EXPECT_TRUE(has("||marker 'Nowhere' has no scene in the registry"));

  // Findings come by position, with the musical time the author sees in the sequencer.
  for (std::size_t index = 1; index < report.findings.size(); ++index) {
    EXPECT_LE(report.findings[index - 1].position, report.findings[index].position);
  }
  const auto late = std::find_if(report.findings.begin(), report.findings.end(),
                                 [](const auto& finding) { return finding.track == "Color"; });
  ASSERT_NE(late, report.findings.end());
  EXPECT_EQ(late->position, 30 * kBytesPerTick);
  EXPECT_EQ(late->barBeat, "1:1.07");  // tick 30 of a 441-tick beat
}

TEST_F(TimelineCheck, UnreadableFileIsOneErrorThatSaysWhy) {
  bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1};
  const auto report = checkTimeline("broken.mid", bytes, 0, Resources());
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_TRUE(report.runWouldFail());
  EXPECT_NE(report.findings[0].message.find("not a readable MIDI file"), std::string::npos);
}

TEST_F(TimelineCheck, PrintedReportEndsWithTheVerdict) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Quorvel").trackName(1, "Flash");
  builder.note(1, 10, 20, kBlockKey, 100).note(1, 10, 1, kD0, 127).note(1, 10, 1, kDs0, 1);
  std::ostringstream out;
  printTimelineReport(check(builder), out, false);
  const std::string text = out.str();
  EXPECT_NE(text.find("Quorvel"), std::string::npos);
  EXPECT_NE(text.find("Flash 1.00 -> 0.00"), std::string::npos);
  EXPECT_NE(text.find("0 errors, 0 warnings: the timeline is fit to run"), std::string::npos);
}

TEST(MusicalClock, CountsBarsAndBeatsAcrossTimeSignatureChanges) {
  // 441 ticks a quarter; 4/4 for two bars, then 3/4, then 6/8.
  testing::TrackBytes track;
  track.tempo(0, 1'000'000).raw({0x00, 0xFF, 0x58, 4, 4, 2, 24, 8});
  track.delta(2 * 4 * 441).raw({0xFF, 0x58, 4, 3, 2, 24, 8});
  track.delta(3 * 441).raw({0xFF, 0x58, 4, 6, 3, 24, 8});
  track.end(6 * 441);
  const auto file = bass::MidiFileReader::read(testing::midiFile(0, 441, {track}));
  ASSERT_EQ(file.timeSignatures.size(), 3u);
  const MusicalClock clock(file);

  EXPECT_EQ(clock.barBeatAtTick(0), "1:1");
  EXPECT_EQ(clock.barBeatAtTick(441), "1:2");
  EXPECT_EQ(clock.barBeatAtTick(441 + 220), "1:2.50");  // 220 of 441 ticks, shown to 0.01
  EXPECT_EQ(clock.barBeatAtTick(8 * 441), "3:1");       // 3/4 from here
  EXPECT_EQ(clock.barBeatAtTick(10 * 441), "3:3");
  EXPECT_EQ(clock.barBeatAtTick(11 * 441), "4:1");      // 6/8: eighth-note beats
  EXPECT_EQ(clock.barBeatAtTick(11 * 441 + 2 * 220), "4:3");

  // One tick is 100 frames at 60 beats a minute: bytes back to ticks round down.
  EXPECT_EQ(clock.tickAtByte(0), 0u);
  EXPECT_EQ(clock.tickAtByte(400 * 10), 10u);
  EXPECT_EQ(clock.tickAtByte(400 * 10 + 399), 10u);
}

}  // namespace
}  // namespace ostrel
