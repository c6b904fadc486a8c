// The timeline picture: sections, logo windows, blocks and the frame's values where they
// belong on the time axis; the waveform as the audio library decodes it.
#include "tools/timeline-check/TimelineChecker.h"
#include "tools/timeline-check/TimelinePlot.h"

#include "TimelineFiles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ostrel {
namespace {

using testing::TimelineBuilder;

constexpr std::uint32_t kTicksPerSecond = 441;  // one beat a second
constexpr std::uint64_t kBytesPerSecond = 176400;
constexpr int kBlockKey = 0, kD0 = 2, kDs0 = 3;

int brightness(Rgb colour) { return (colour.r + colour.g + colour.b) / 3; }

class TimelinePicture : public testing::ManualOutputTest {
protected:
  // Quorvel 0-60 s, Buildup 60-120 s, Nowhere (no scene) 120-170 s, Tessane 170-188 s; a
  // flash from 10 to 20 s fading from full to nothing; an exposure block at 130 s that
  // lacks its parameters.
  void SetUp() override {
    ManualOutputTest::SetUp();
    TimelineBuilder builder;
    builder.marker(0, 0, "Quorvel").marker(0, 60 * kTicksPerSecond, "Buildup");
    builder.marker(0, 120 * kTicksPerSecond, "Nowhere").marker(0, 170 * kTicksPerSecond, "Tessane");
    builder.marker(0, 188 * kTicksPerSecond, "Finish");
    builder.trackName(1, "Flash").trackName(2, "Exposure");
    builder.note(1, 10 * kTicksPerSecond, 10 * kTicksPerSecond, kBlockKey, 100)
        .note(1, 10 * kTicksPerSecond, 1, kD0, 127)
        .note(1, 10 * kTicksPerSecond, 1, kDs0, 1);
    builder.note(2, 130 * kTicksPerSecond, 5 * kTicksPerSecond, kBlockKey, 100);
    bytes = builder.bytes();
    report = checkTimeline("test.mid", bytes, 190 * kBytesPerSecond, Resources());
    plot = std::make_unique<TimelinePlot>(report, waveform, text);
  }

  int x(double seconds) const { return plot->xAtByte(std::uint64_t(seconds * kBytesPerSecond)); }
  Rgb at(double seconds, int y) const { return plot->picture().at(x(seconds), y); }

  testing::Bytes bytes;
  TimelineReport report;
  Waveform waveform;
  TextRenderer text;
  std::unique_ptr<TimelinePlot> plot;
};

TEST_F(TimelinePicture, SectionsAndLogoWindowsSitAtTheirTimes) {
  const int sectionRow = plot->sectionsBand().top + 3;  // above the names
  const Rgb quorvel = at(30, sectionRow);
  EXPECT_EQ(at(59.5, sectionRow), quorvel);
  EXPECT_EQ(at(185, sectionRow), quorvel);  // "Tessane" shows the same scene: same colour
  const Rgb buildup = at(60.5, sectionRow);
  EXPECT_NE(buildup, quorvel);
  EXPECT_EQ(at(119.5, sectionRow), buildup);
  const Rgb nowhere = at(145, sectionRow);  // no scene: grey
  EXPECT_TRUE(nowhere.r == nowhere.g && nowhere.g == nowhere.b) << int(nowhere.r);
  EXPECT_NE(nowhere, buildup);

  const int logoRow = plot->logosBand().top + 2;
  EXPECT_EQ(at(172.5, logoRow), Rgb::hex(0xFFFFFF));
  EXPECT_LT(brightness(at(173.2, logoRow)), 80);
  EXPECT_LT(brightness(at(179, logoRow)), 80);
  EXPECT_EQ(at(181.5, logoRow), Rgb::hex(0xFFFFFF));

  // Bar numbers come from the file's meter: 4/4 at a beat a second.
  ASSERT_GE(report.barStarts.size(), 47u);
  EXPECT_EQ(report.barStarts[1], 4 * kBytesPerSecond);
  EXPECT_EQ(report.barStarts[46], 184 * kBytesPerSecond);
}

TEST_F(TimelinePicture, BlocksAndTheFramesValuesSitInTheirTracksLane) {
  const TimelinePlot::Band flash = plot->laneOf("Flash");
  const int groundRow = flash.top + 2;
  const Rgb inBlock = at(15, groundRow);
  EXPECT_NE(inBlock, at(25, groundRow));
  EXPECT_EQ(at(5, groundRow), at(25, groundRow));
  EXPECT_EQ(at(19.8, groundRow), inBlock);

  // The frame's flash: 1 at the block's start, 0.75 a quarter through, 0.25 at three
  // quarters (linear ease), drawn two pixels thick.
  const Rgb curve = plot->valueColour("Flash", 0);
  for (const auto& [seconds, value] : {std::pair{10.2, 0.98}, {12.5, 0.75}, {17.5, 0.25}}) {
    const int y = plot->yOfValue("Flash", value);
    const bool drawn = at(seconds, y) == curve || at(seconds, y - 1) == curve;
    EXPECT_TRUE(drawn) << seconds << " s";
    EXPECT_NE(at(seconds, plot->yOfValue("Flash", value - 0.15)), curve) << seconds << " s";
  }

  // The exposure block misses what its effect reads: hatched in red, no curve from it.
  const TimelinePlot::Band exposure = plot->laneOf("Exposure");
  int red = 0;
  for (int y = exposure.top; y < exposure.bottom; ++y) {
    const Rgb pixel = at(132, y);
    red += pixel.r > pixel.g + 80;
  }
  EXPECT_GT(red, 5);
}

TEST(Waveform, MeasuresTheMusicAsTheLibraryDecodesIt) {
  const auto device = std::make_shared<bass::ManualOutputDriver>();
  bass::Library::instance().useOutputDriver(device);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  const HSTREAM tone = BASS_StreamCreateFile(FALSE, OSTREL_TEST_DATA "/tone-1s.ogg", 0, 0, 0);
  ASSERT_NE(tone, 0u) << BASS_ErrorGetCode();
  const Waveform waveform = Waveform::decode(*device, tone);
  BASS_Free();
  bass::Library::instance().useOutputDriver(nullptr);

  ASSERT_EQ(waveform.bins.size(), 100u);  // 10 ms each
  for (const Waveform::Bin& bin : waveform.bins) {
    // Two sines at half scale, one a channel: the mono mix peaks near 0.5.
    EXPECT_NEAR(bin.high, 0.5, 0.08);
    EXPECT_NEAR(bin.low, -0.5, 0.08);
    EXPECT_GT(bin.rms, 0.2);
  }
}

}  // namespace
}  // namespace ostrel
