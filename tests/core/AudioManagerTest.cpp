// The audio manager on the hand-driven test device: its messages, the device listing after
// "no device", loading, rewinding, playing and the frame loop's end test.
#include "audio/AudioManager.h"
#include "bass/Library.h"
#include "bass/ManualOutputDriver.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrel {
namespace {

using testing::LogCapture;
using Lines = std::vector<std::string>;

const std::wstring kData = L"" OSTREL_TEST_DATA;
const std::wstring kTone = kData + L"/tone-1s.ogg";   // 1 s, 176400 bytes
const std::wstring kMidi = kData + L"/tempo-change.mid";

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class AudioManagerTest : public ::testing::Test {
protected:
  void SetUp() override { bass::Library::instance().useOutputDriver(driver); }
  void TearDown() override {
    audioManagerInstance = nullptr;
    bass::Library::instance().useOutputDriver(nullptr);
  }

  std::shared_ptr<bass::ManualOutputDriver> driver = std::make_shared<bass::ManualOutputDriver>();
  LogCapture log;
};

TEST_F(AudioManagerTest, InitialisesTheDefaultDeviceSilently) {
  AudioManager manager(nullptr);
  EXPECT_TRUE(manager.initialized);
  EXPECT_TRUE(driver->isOpen());
  EXPECT_EQ(manager.frequency, 44100u);
  EXPECT_EQ(manager.outputDevice, -1);
  EXPECT_EQ(manager.audioStream, 0u);
  EXPECT_EQ(manager.midiStream, 0u);
  EXPECT_EQ(manager.audio, nullptr);
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(AudioManagerTest, WithoutADeviceLogsTheErrorAndListsOnlyEnabledDevices) {
  driver->failOpeningWith(BASS_ERROR_DEVICE);
  driver->setDevices({{"Speakers", "{0.0.0}.{aa}", BASS_DEVICE_ENABLED},
                      {"Unplugged headphones", "{0.0.0}.{bb}", 0},
                      {"Monitor", "{0.0.0}.{cc}", BASS_DEVICE_ENABLED | BASS_DEVICE_DEFAULT}});
  AudioManager manager(nullptr);
  EXPECT_FALSE(manager.initialized);
  EXPECT_EQ(log.lines(),
            (Lines{"critical Unable to initialize BASS Sound System! Error code: 23",
                   "warning BASS_ERROR_DEVICE was returned, no default device initialized. "
                   "Trying others:",
                   "info Found total 2 devices.",
                   "info Found device: 'Speakers' ({0.0.0}.{aa}), flags: 1 ",
                   "info Found device: 'Monitor' ({0.0.0}.{cc}), flags: 3 "}));
}

TEST_F(AudioManagerTest, OtherInitialisationErrorsGiveOnlyTheCriticalMessage) {
  driver->failOpeningWith(BASS_ERROR_DRIVER);
  AudioManager manager(nullptr);
  EXPECT_FALSE(manager.initialized);
  EXPECT_EQ(log.lines(), Lines{"critical Unable to initialize BASS Sound System! Error code: 3"});
}

TEST_F(AudioManagerTest, LoadsBothStreamsThenRewindsPlaysAndEndsExactlyAtTheLength) {
  AudioManager manager(nullptr);
  audioManagerInstance = &manager;
  ASSERT_TRUE(manager.loadFiles(kTone, kMidi));
  EXPECT_EQ(log.lines(), Lines{"info Reading audio (" + narrow(kTone) + ") and MIDI (" +
                               narrow(kMidi) + ") files"});
  ASSERT_NE(manager.audio, nullptr);
  ASSERT_NE(manager.midi, nullptr);
  EXPECT_EQ(manager.audio->handle, manager.audioStream);
  EXPECT_EQ(manager.midi->handle, manager.midiStream);
  EXPECT_FALSE(manager.audio->playing);
  EXPECT_EQ(manager.audio->getLength(), 176400u);

  manager.audio->play();
  manager.midi->play();
  EXPECT_TRUE(manager.audio->playing);
  EXPECT_TRUE(manager.midi->playing);
  driver->advance(10000);
  EXPECT_EQ(manager.audio->getPosition(), 40000u);
  EXPECT_EQ(manager.midi->getPosition(), 40000u);

  log.clear();
  EXPECT_EQ(manager.rewind(), 0u);
  EXPECT_EQ(log.lines(), Lines{"debug Setting audio/midi position: 0"});
  EXPECT_EQ(manager.audio->getPosition(), 0u);
  EXPECT_EQ(manager.midi->getPosition(), 0u);

  // The frame loop goes on while the position is below the length and stops exactly at it.
  driver->advance(44099);
  EXPECT_TRUE(isBeforeEnd(*manager.audio));
  EXPECT_EQ(manager.audio->getPosition(), 176396u);
  driver->advance(1);
  EXPECT_FALSE(isBeforeEnd(*manager.audio));
  EXPECT_EQ(manager.audio->getPosition(), manager.audio->getLength());
  driver->advance(1000);
  EXPECT_EQ(manager.audio->getPosition(), 176400u);  // stays at the end
}

TEST_F(AudioManagerTest, AMissingAudioFileIsCriticalAndTheMidiFileIsNotOpened) {
  AudioManager manager(nullptr);
  EXPECT_FALSE(manager.loadFiles(L"resources\\no-such-song.ogg", kMidi));
  const Lines lines = log.lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "critical Unable to read the audio file: resources\\no-such-song.ogg");
  EXPECT_EQ(lines[2].rfind("debug BASS error 2: ", 0), 0u) << lines[2];
  EXPECT_EQ(manager.midiStream, 0u);
  EXPECT_EQ(manager.audio, nullptr);
}

TEST_F(AudioManagerTest, AudioFilesThatAreNotOggVorbisAtTheRightRateAreCritical) {
  AudioManager manager(nullptr);
  for (const wchar_t* name : {L"/not-ogg.ogg", L"/mono-44100.ogg", L"/stereo-48000.ogg"}) {
    log.clear();
    EXPECT_FALSE(manager.loadFiles(kData + name, kMidi));
    ASSERT_GE(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[1], "critical Unable to read the audio file: " + narrow(kData + name));
  }
}

TEST_F(AudioManagerTest, ABrokenMidiFileIsCriticalAndTheAudioStreamStaysOpen) {
  AudioManager manager(nullptr);
  EXPECT_FALSE(manager.loadFiles(kTone, kData + L"/not-ogg.ogg"));
  const Lines lines = log.lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "critical Unable to read the MIDI file: " + narrow(kData) + "/not-ogg.ogg");
  EXPECT_NE(lines[2].find("MThd"), std::string::npos) << lines[2];
  EXPECT_NE(manager.audioStream, 0u);
  EXPECT_EQ(BASS_ChannelGetLength(manager.audioStream, BASS_POS_BYTE), 176400u);
  EXPECT_EQ(manager.midi, nullptr);
}

TEST_F(AudioManagerTest, FileNamesReachTheLogAsUtf8) {
  AudioManager manager(nullptr);
  EXPECT_FALSE(manager.loadFiles(L"caf\u00e9 \U0001F3B5.ogg", L"x.mid"));
  EXPECT_EQ(log.lines().at(0), "info Reading audio (caf\xC3\xA9 \xF0\x9F\x8E\xB5.ogg) and MIDI (x.mid) files");
}

TEST_F(AudioManagerTest, TheEndTestFailsSafeWhenTheLibraryCannotAnswer) {
  const AudioManagerAudio closed(12345);  // no such stream: position and length both -1
  EXPECT_FALSE(isBeforeEnd(closed));
}

}  // namespace
}  // namespace ostrel
