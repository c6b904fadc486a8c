// The tempo map: ticks to whole sample frames at 44100 Hz through any number of tempo
// changes, exactly.
#include "bass/TempoMap.h"

#include <gtest/gtest.h>

namespace ostrel::bass {
namespace {

TEST(TempoMap, StartsAt120BeatsAMinuteAndRoundsDownToWholeFrames) {
  const TempoMap map(480, {});
  EXPECT_EQ(map.frameAt(0), 0u);
  EXPECT_EQ(map.frameAt(1), 45u);        // 1/960 s = 45.9375 frames
  EXPECT_EQ(map.frameAt(480), 22050u);   // one beat, half a second
  EXPECT_EQ(map.frameAt(960 * 60), 2646000u);  // one minute
  EXPECT_DOUBLE_EQ(map.secondsAt(480), 0.5);
}

TEST(TempoMap, FollowsChangesInTickOrderAndTheLastChangeAtATickWins) {
  // Given out of order and twice at tick 96, as two tracks may hold them.
  const TempoMap map(96, {{192, 1000000}, {96, 300000}, {96, 250000}});
  EXPECT_EQ(map.frameAt(96), 22050u);           // 0.5 s at 120 bpm
  EXPECT_EQ(map.frameAt(192), 22050u + 11025u);  // + one beat at 240 bpm
  EXPECT_EQ(map.frameAt(288), 33075u + 44100u);  // + one beat at 60 bpm
  EXPECT_DOUBLE_EQ(map.secondsAt(288), 1.75);
}

TEST(TempoMap, StaysExactForLongSongsAndExtremeTempos) {
  const TempoMap slow(1, {{0, 0xFFFFFF}});  // 16.7 s a tick
  EXPECT_EQ(slow.frameAt(1000), 1000ull * 0xFFFFFF * 44100 / 1000000);
  const TempoMap frozen(96, {{0, 0}, {96, 500000}});  // tempo 0: time stands still
  EXPECT_EQ(frozen.frameAt(96), 0u);
  EXPECT_EQ(frozen.frameAt(192), 22050u);
  const TempoMap huge(1, {{0, 0xFFFFFF}});
  EXPECT_EQ(huge.frameAt(~std::uint64_t{0}), ~std::uint64_t{0});  // saturates, no wrap
}

}  // namespace
}  // namespace ostrel::bass
