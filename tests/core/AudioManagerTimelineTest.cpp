// The audio manager's side of the timeline: the marks read when the files load, the last
// section stretched to the end of the music, and the progress between markers.
#include "audio/AudioManager.h"
#include "bass/Library.h"
#include "bass/ManualOutputDriver.h"

#include "ScratchPath.h"
#include "TimelineFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ostrel {
namespace {

using testing::kBytesPerTick;
using testing::TimelineBuilder;

const std::wstring kTone = L"" OSTREL_TEST_DATA "/tone-1s.ogg";  // 1 s: 176400 bytes

class AudioManagerTimeline : public ::testing::Test {
protected:
  void SetUp() override { bass::Library::instance().useOutputDriver(driver); }
  void TearDown() override {
    audioManagerInstance = nullptr;
    bass::Library::instance().useOutputDriver(nullptr);
    std::filesystem::remove(midiPath);
  }

  std::wstring writeMidi(const TimelineBuilder& builder) {
    const auto bytes = builder.bytes();
    std::ofstream(midiPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return midiPath.wstring();
  }

  std::shared_ptr<bass::ManualOutputDriver> driver = std::make_shared<bass::ManualOutputDriver>();
  std::filesystem::path midiPath = testing::scratchPath("ostrel-timeline", ".mid");
};

TEST_F(AudioManagerTimeline, LastSectionReachesTheEndOfTheMusicAndProgressFollowsIt) {
  // Markers at 0 and 8000 bytes; the MIDI file ends at 12000, long before the music.
  TimelineBuilder builder;
  builder.marker(0, 0, "Intro").marker(0, 20, "Outro").note(1, 25, 5, 60, 100);
  AudioManager manager(nullptr);
  audioManagerInstance = &manager;
  ASSERT_TRUE(manager.loadFiles(kTone, writeMidi(builder)));

  MidiEvents& events = *manager.midiEvents;
  ASSERT_EQ(events.getMarkerCount(), 3u);
  const Marker& last = events.getMarkers()[2];
  EXPECT_STREQ(last.text, "END");
  EXPECT_EQ(last.pos, 176400u);
  EXPECT_EQ(last.track, 0u);

  manager.audio->play();
  EXPECT_EQ(manager.getNormalizedPosition(), 0.0);
  driver->advance(1000);  // 4000 bytes: halfway from "Intro" to "Outro"
  EXPECT_EQ(manager.getNormalizedPosition(), 0.5);
  driver->advance(1000);  // at "Outro"
  EXPECT_EQ(manager.getNormalizedPosition(), 0.0);
  EXPECT_STREQ(events.getMarkerAt(manager.audio->getPosition())->text, "Outro");
  driver->advance(42099);  // one frame before the end of the music
  EXPECT_DOUBLE_EQ(manager.getNormalizedPosition(), (176396.0 - 8000) / (176400 - 8000));
  driver->advance(1);  // exactly at "END", which has nothing after it
  EXPECT_STREQ(events.getMarkerAt(manager.audio->getPosition())->text, "END");
  EXPECT_EQ(manager.getNormalizedPosition(), 0.0);

  EXPECT_THROW(manager.getNormalizedPositionForMarkers(&events.getMarkers()[1],
                                                       &events.getMarkers()[0]),
               std::runtime_error);
  EXPECT_EQ(manager.getNormalizedPositionForMarkers(nullptr, &last), 0.0);
}

TEST_F(AudioManagerTimeline, MarkersBeyondTheMusicKeepTheirPlace) {
  TimelineBuilder builder;
  builder.marker(0, 0, "Intro").marker(0, 600, "Coda");  // 240000 bytes, after the music
  AudioManager manager(nullptr);
  audioManagerInstance = &manager;
  ASSERT_TRUE(manager.loadFiles(kTone, writeMidi(builder)));
  ASSERT_EQ(manager.midiEvents->getMarkerCount(), 2u);
  EXPECT_EQ(manager.midiEvents->getMarkers()[1].pos, 600 * kBytesPerTick);
}

}  // namespace
}  // namespace ostrel
