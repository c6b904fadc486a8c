// The clock-driven silent device: with it the library plays in real time without a sound
// card, its own thread pulling frames while the caller reads positions.
#include "bass/ClockOutputDriver.h"
#include "bass/Library.h"
#include "bass/bass.h"
#include "bass/bassmidi.h"

#include "MidiBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace ostrel::testing {
namespace {

TEST(ClockOutput, PlaysAStreamInRealTimeToExactlyItsEnd) {
  bass::Library::instance().useOutputDriver(std::make_shared<bass::ClockOutputDriver>());
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  TrackBytes track;
  track.noteOn(0, 0, 60, 100).end(48);  // 48 ticks at 96 a beat, 120 bpm: 0.25 s
  const Bytes song = midiFile(0, 96, {track});
  const HSTREAM stream = BASS_MIDI_StreamCreateFile(TRUE, song.data(), 0, song.size(), 0, 44100);
  ASSERT_NE(stream, 0u);
  const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  ASSERT_EQ(length, 44100u);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  QWORD last = 0;
  while (BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    const QWORD position = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    ASSERT_GE(position, last);
    last = position;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
  EXPECT_GE(elapsed, std::chrono::milliseconds(250));  // a clock cannot finish early

  ASSERT_TRUE(BASS_Free());
  bass::Library::instance().useOutputDriver(nullptr);
}

}  // namespace
}  // namespace ostrel::testing
