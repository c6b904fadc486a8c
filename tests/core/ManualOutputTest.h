// A test fixture with the library initialised on the hand-driven test device, so that
// playback runs exactly as far as a test advances it.
#pragma once

#include "bass/Library.h"
#include "bass/ManualOutputDriver.h"
#include "bass/bass.h"
#include "bass/bassmidi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace ostrel::testing {

class ManualOutputTest : public ::testing::Test {
protected:
  // Frames the device asks for ahead of what is heard.
  explicit ManualOutputTest(std::uint32_t latencyFrames = 0)
      : driver(std::make_shared<bass::ManualOutputDriver>(latencyFrames)) {}

  void SetUp() override {
    bass::Library::instance().useOutputDriver(driver);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
  }

  void TearDown() override {
    BASS_Free();
    bass::Library::instance().useOutputDriver(nullptr);
  }

  HSTREAM openMidi(const std::vector<std::uint8_t>& bytes) {
    return BASS_MIDI_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), 0, 44100);
  }

  std::shared_ptr<bass::ManualOutputDriver> driver;
};

}  // namespace ostrel::testing
