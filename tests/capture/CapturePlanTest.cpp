// Which frames a capture draws and the samples of music they stand at.
#include "tools/capture/CapturePlan.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ostrel::capture {
namespace {

constexpr std::uint64_t kSongSamples = 9779616;  // 221.76 s, the production's song

TEST(CapturePlanTest, FramesStandAtWholeStepsOfTheMusic) {
  const CapturePlan plan = planCapture(60, 0, std::nullopt, kSongSamples);
  EXPECT_EQ(plan.firstFrame, 0u);
  EXPECT_EQ(plan.endFrame, 13306u);  // 13305 x 735 = 9779175, the last frame before the end
  EXPECT_EQ(plan.sampleOf(1690), 1690u * 735);
  EXPECT_EQ(plan.positionOf(1690), 1690u * 735 * 4);
  EXPECT_EQ(plan.endSample(), kSongSamples);  // the music ends within the last frame

  const CapturePlan film = planCapture(24, 0, std::nullopt, kSongSamples);
  EXPECT_EQ(film.sampleOf(1), 1837u);  // 1837.5 rounded down
  EXPECT_EQ(film.sampleOf(2), 3675u);
  EXPECT_EQ(film.endFrame, 5323u);     // 5322 x 1837.5 = 9779175
}

TEST(CapturePlanTest, ARangeHoldsTheFramesFromItsStartUpToItsEnd) {
  struct Case {
    std::uint32_t fps;
    double from;
    double to;
    std::uint64_t firstFrame;
    std::uint64_t endFrame;
  };
  const Case cases[] = {
      {60, 28.1, 28.2, 1686, 1692},
      {60, 16.1, 16.2, 966, 972},     // 16.1 x 60 is 966.0000000000001 in doubles
      {60, 4.15, 4.2, 249, 252},      // 4.15 x 60 is 249.00000000000003
      {60, 28.16, 28.17, 1690, 1691}, // "Buildup" at 28.16 s: the first frame after it
      {60, 221.7, 300, 13302, 13306}, // to the end of the music
      {30, 0.5, 1, 15, 30},
  };
  for (const Case& c : cases) {
    const CapturePlan plan = planCapture(c.fps, c.from, c.to, kSongSamples);
    EXPECT_EQ(plan.firstFrame, c.firstFrame) << c.from;
    EXPECT_EQ(plan.endFrame, c.endFrame) << c.to;
    EXPECT_EQ(plan.firstSample(), plan.sampleOf(c.firstFrame));
  }
  EXPECT_EQ(planCapture(60, 28.1, 28.2, kSongSamples).endSample(), 1692u * 735);
}

TEST(CapturePlanTest, ARangeWithoutAFrameOfTheMusicIsRefused) {
  EXPECT_THROW(planCapture(60, 221.76, std::nullopt, kSongSamples), std::invalid_argument);
  EXPECT_THROW(planCapture(60, 300, 310, kSongSamples), std::invalid_argument);
  EXPECT_THROW(planCapture(60, 10.001, 10.01, kSongSamples), std::invalid_argument);
}

}  // namespace
}  // namespace ostrel::capture
