// Opening MIDI files made by the tests through the audio library, as the program does.
#pragma once

#include "MidiFileBuilder.h"
#include "bass/bassmidi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace ostrel::test {

// One tick is exactly 100 sample frames (400 bytes) at 44100 Hz: 441 ticks per quarter note
// at 60 beats per minute, so byte positions in the tests are round numbers.
constexpr std::uint16_t kTicksPerQuarter = 441;
constexpr std::uint32_t kBytesPerTick = 400;

inline MidiFileBuilder timelineBuilder() {
  MidiFileBuilder builder(kTicksPerQuarter);
  builder.tempo(0, 1'000'000);
  return builder;
}

// Starts the audio library for each test and frees it (and every stream) afterwards.
class AudioLibraryTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode(); }
  void TearDown() override { BASS_Free(); }

  HSTREAM openMidi(const MidiFileBuilder& builder) {
    static std::atomic<int> serial{0};
    const auto path = builder.write("ostrel-timeline-" + std::to_string(serial++) + ".mid");
    const std::wstring widePath = path.wstring();
    const HSTREAM stream =
        BASS_MIDI_StreamCreateFile(FALSE, widePath.c_str(), 0, 0, BASS_UNICODE, 44100);
    EXPECT_NE(stream, 0u) << "error " << BASS_ErrorGetCode() << " for " << path;
    return stream;
  }
};

}  // namespace ostrel::test
