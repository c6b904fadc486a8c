// Ogg Vorbis streams and playback through the library's calls on the hand-driven device:
// decoding, lengths, positions as heard, moving and restarting, mixing, refusals.
#include "bass/CallGuard.h"

#include "ManualOutputTest.h"
#include "ScratchPath.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace ostrel::testing {
namespace {

const std::wstring kData = L"" OSTREL_TEST_DATA;
constexpr QWORD kToneBytes = 176400;  // tone-1s.ogg: one second, 440 Hz left, 660 Hz right

HSTREAM openOgg(const std::wstring& name) {
  return BASS_StreamCreateFile(FALSE, (kData + name).c_str(), 0, 0, BASS_UNICODE);
}

QWORD position(HSTREAM stream) { return BASS_ChannelGetPosition(stream, BASS_POS_BYTE); }

// Upward zero crossings of one channel (0 left, 1 right) of interleaved stereo.
int crossings(const std::vector<std::int16_t>& samples, int channel) {
  int count = 0;
  for (std::size_t index = channel + 2; index < samples.size(); index += 2) {
    count += samples[index - 2] < 0 && samples[index] >= 0;
  }
  return count;
}

int peak(const std::vector<std::int16_t>& samples) {
  int result = 0;
  for (std::int16_t sample : samples) {
    result = std::max(result, std::abs(int(sample)));
  }
  return result;
}

using BassStream = ManualOutputTest;

TEST_F(BassStream, DecodesTheWholeToneInBothChannelsAtItsLength) {
  const HSTREAM stream = openOgg(L"/tone-1s.ogg");
  ASSERT_NE(stream, 0u) << bass::lastErrorText();
  EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), kToneBytes);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, kToneBytes), 1.0);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, 44100), 0.25);

  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  const auto sound = driver->advance(44100);
  EXPECT_NEAR(crossings(sound, 0), 440, 2);
  EXPECT_NEAR(crossings(sound, 1), 660, 2);
  EXPECT_NEAR(peak(sound), 16384, 1000);  // written at half of full scale
  const auto after = driver->advance(4410);
  EXPECT_EQ(peak(after), 0);  // nothing after the end
  EXPECT_EQ(position(stream), kToneBytes);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(BassStream, MovingTheStreamPlaysFromThereAsIfDecodedThrough) {
  const HSTREAM stream = openOgg(L"/tone-1s.ogg");
  BASS_ChannelPlay(stream, FALSE);
  const auto whole = driver->advance(44100);

  for (QWORD target : {QWORD{0}, QWORD{4 * 12345}, QWORD{4 * 30000 + 3}, QWORD{4 * 44000}}) {
    SCOPED_TRACE(target);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, target, BASS_POS_BYTE));
    const QWORD frame = target / 4;  // rounded down to a whole frame
    EXPECT_EQ(position(stream), frame * 4);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    const auto heard = driver->advance(100);
    const int wanted = static_cast<int>(std::min<QWORD>(100, 44100 - frame) * 2);
    int worst = 0;
    for (int index = 0; index < wanted; ++index) {
      worst = std::max(worst, std::abs(heard[index] - whole[frame * 2 + index]));
    }
    EXPECT_LE(worst, 2);
  }
  EXPECT_FALSE(BASS_ChannelSetPosition(stream, kToneBytes + 4, BASS_POS_BYTE));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
  EXPECT_FALSE(BASS_ChannelSetPosition(stream, 0, 1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
}

TEST_F(BassStream, PlayContinuesFromTheCurrentPositionUnlessRestarted) {
  const HSTREAM stream = openOgg(L"/tone-1s.ogg");
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, 40000, BASS_POS_BYTE));
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  driver->advance(1000);
  EXPECT_EQ(position(stream), 44000u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));  // already playing: nothing changes
  EXPECT_EQ(position(stream), 44000u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
  EXPECT_EQ(position(stream), 0u);
  driver->advance(44100);
  EXPECT_EQ(position(stream), kToneBytes);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));  // at the end: ends again at once
  driver->advance(10);
  EXPECT_EQ(position(stream), kToneBytes);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(BassStream, SumsPlayingStreamsAndClipsAtFullScale) {
  const HSTREAM first = openOgg(L"/tone-1s.ogg");
  const HSTREAM second = openOgg(L"/tone-1s.ogg");
  const HSTREAM third = openOgg(L"/tone-1s.ogg");
  BASS_ChannelPlay(first, FALSE);
  const auto one = driver->advance(2000);
  BASS_ChannelSetPosition(first, 0, BASS_POS_BYTE);
  BASS_ChannelPlay(second, FALSE);
  BASS_ChannelPlay(third, FALSE);
  const auto three = driver->advance(2000);
  for (std::size_t index = 0; index < one.size(); ++index) {
    ASSERT_EQ(three[index], std::clamp(3 * one[index], -32768, 32767)) << index;
  }
  EXPECT_EQ(peak(three), 32768);
}

class BassStreamWithLatency : public ManualOutputTest {
protected:
  BassStreamWithLatency() : ManualOutputTest(kLatency) {}
  static constexpr std::uint32_t kLatency = 2205;  // 50 ms of device buffer
};

TEST_F(BassStreamWithLatency, PositionIsWhatTheDeviceHasPlayedNotWhatWasDecoded) {
  const HSTREAM stream = openOgg(L"/tone-1s.ogg");
  driver->advance(500);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  // The device still plays the 50 ms of silence queued before the stream started.
  driver->advance(kLatency - 1);
  EXPECT_EQ(position(stream), 0u);
  driver->advance(1000);
  EXPECT_EQ(position(stream), 4u * 999);  // its first 999 frames have been heard
  QWORD last = 0;
  for (int step = 0; step < 50; ++step) {
    driver->advance(1000);
    const QWORD now = position(stream);
    EXPECT_GE(now, last);
    last = now;
  }
  EXPECT_EQ(last, kToneBytes);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(BassStream, RefusesFilesItCannotPlayWithDistinctCodes) {
  struct Case {
    const wchar_t* name;
    int error;
  };
  for (const Case& test : {Case{L"/no-such.ogg", BASS_ERROR_FILEOPEN},
                           Case{L"", BASS_ERROR_FILEOPEN},  // the folder itself
                           Case{L"/not-ogg.ogg", BASS_ERROR_FILEFORM},
                           // cut inside its headers; it once made the decoder free a wild pointer
                           Case{L"/ogg-invalid-free.ogg", BASS_ERROR_FILEFORM},
                           Case{L"/tempo-change.mid", BASS_ERROR_FILEFORM},
                           Case{L"/mono-44100.ogg", BASS_ERROR_FORMAT},
                           Case{L"/stereo-48000.ogg", BASS_ERROR_FORMAT}}) {
    SCOPED_TRACE(std::string(test.name, test.name + std::wcslen(test.name)));
    EXPECT_EQ(openOgg(test.name), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), test.error) << bass::lastErrorText();
  }
}

std::vector<char> fileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

TEST_F(BassStream, ACutOffFilePlaysItsCompletePagesAndEnds) {
  // Three seconds of which two complete audio pages (56896 frames) survive.
  const HSTREAM stream = openOgg(L"/truncated.ogg");
  ASSERT_NE(stream, 0u) << bass::lastErrorText();
  EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), 4u * 56896);
  BASS_ChannelPlay(stream, FALSE);
  const auto sound = driver->advance(60000);
  EXPECT_NEAR(crossings(sound, 0), 440 * 56896 / 44100, 3);
  EXPECT_EQ(position(stream), 4u * 56896);

  // Cut inside its set-up headers, a file cannot be played at all.
  const auto bytes = fileBytes(std::wstring(kData + L"/tone-1s.ogg"));
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, bytes.data(), 0, 3000, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

std::vector<std::int16_t> framesOf(const std::vector<std::int16_t>& sound, std::size_t first,
                                   std::size_t last) {
  return {sound.begin() + 2 * first, sound.begin() + 2 * last};
}

TEST_F(BassStream, ADamagedFilePlaysUpToTheDamageAndSilenceForTheRestOfItsLength) {
  // Four seconds whose second audio page (from frame 56896) fails its checksum.
  const HSTREAM stream = openOgg(L"/damaged.ogg");
  ASSERT_NE(stream, 0u) << bass::lastErrorText();
  EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), 4u * 176400);
  BASS_ChannelPlay(stream, FALSE);
  const auto sound = driver->advance(176400);
  EXPECT_NEAR(crossings(framesOf(sound, 0, 56896), 0), 440 * 56896 / 44100, 2);
  EXPECT_EQ(peak(framesOf(sound, 56896, 176400)), 0);
  EXPECT_EQ(position(stream), 4u * 176400);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);

  ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));  // from the start, the sound is back
  EXPECT_NEAR(peak(driver->advance(4410)), 16384, 1000);
}

TEST_F(BassStream, AFileWhoseDecoderCannotBeSetUpPlaysSilenceAndSurvivesMoving) {
  // Its headers read, but a damaged codebook stops the decoder at its first packet; moving
  // the stream afterwards once made the decoder divide by zero.
  const HSTREAM stream = openOgg(L"/damaged-codebook.ogg");
  ASSERT_NE(stream, 0u) << bass::lastErrorText();
  EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), kToneBytes);
  BASS_ChannelPlay(stream, FALSE);
  EXPECT_EQ(peak(driver->advance(4410)), 0);
  for (QWORD target : {QWORD{4 * 22050}, QWORD{0}}) {
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, target, BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_EQ(peak(driver->advance(4410)), 0);
  }
  driver->advance(44100);
  EXPECT_EQ(position(stream), kToneBytes);
}

TEST_F(BassStream, TheProductionsSongHasItsExactLengthAndIsDecodedToItsEnd) {
  const HSTREAM song = openOgg(L"/../../resources/brannoch-edit-2bar.ogg");
  ASSERT_NE(song, 0u) << bass::lastErrorText();
  constexpr QWORD kFrames = 9779616;
  EXPECT_EQ(BASS_ChannelGetLength(song, BASS_POS_BYTE), 4 * kFrames);
  BASS_ChannelPlay(song, FALSE);
  for (QWORD left = kFrames - 2 * 44100; left > 0;) {
    const QWORD step = std::min<QWORD>(left, 44100);
    driver->advance(step);
    left -= step;
  }
  // The second before the last still sounds (the last one fades out).
  EXPECT_GT(peak(driver->advance(44100)), 8000);
  driver->advance(2 * 44100);
  EXPECT_EQ(position(song), 4 * kFrames);
}

TEST_F(BassStream, OpensFromMemoryAndByNonAsciiPaths) {
  const auto folder = scratchPath("ostrel-bass");
  std::filesystem::create_directories(folder);
  const auto copy = folder / std::filesystem::path(u8"t\u00f6ne \u266B.ogg");
  const std::wstring wideName = folder.wstring() + L"/t\u00f6ne \u266B.ogg";
  std::filesystem::copy_file(kData + L"/tone-1s.ogg", copy,
                             std::filesystem::copy_options::overwrite_existing);
  const HSTREAM byPath = BASS_StreamCreateFile(FALSE, wideName.c_str(), 0, 0, BASS_UNICODE);
  EXPECT_NE(byPath, 0u) << bass::lastErrorText();

  const auto bytes = fileBytes(copy);
  const HSTREAM fromMemory = BASS_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), 0);
  ASSERT_NE(fromMemory, 0u) << bass::lastErrorText();
  EXPECT_EQ(BASS_ChannelGetLength(fromMemory, BASS_POS_BYTE), kToneBytes);
  std::filesystem::remove_all(folder);
}

TEST_F(BassStream, LibraryLifetimeAndDevices) {
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  BASS_DEVICEINFO info{};
  ASSERT_TRUE(BASS_GetDeviceInfo(1, &info));
  EXPECT_STREQ(info.name, "Test output");
  EXPECT_EQ(info.flags, BASS_DEVICE_ENABLED | BASS_DEVICE_DEFAULT);
  EXPECT_FALSE(BASS_GetDeviceInfo(2, &info));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  EXPECT_FALSE(BASS_GetDeviceInfo(0, &info));

  const HSTREAM stream = openOgg(L"/tone-1s.ogg");
  ASSERT_TRUE(BASS_Free());
  EXPECT_FALSE(driver->isOpen());
  EXPECT_EQ(position(stream), ~QWORD{0});
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_ChannelPlay(stream, FALSE));
  EXPECT_LT(BASS_ChannelBytes2Seconds(stream, 4), 0.0);
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_EQ(openOgg(L"/tone-1s.ogg"), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);

  EXPECT_FALSE(BASS_Init(-1, 48000, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_FALSE(BASS_Init(2, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));  // the listed device by number
  EXPECT_TRUE(driver->isOpen());
}

}  // namespace
}  // namespace ostrel::testing
