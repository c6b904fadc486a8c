// Finding the keys around a time, from any cursor, forwards and backwards.
#include "render/AnimationChannel.h"
#include "render/KeySearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace ostrel {
namespace {

// Keys at 0, 10, 20, 30 and 40 ticks.
const std::vector<VectorKey> kKeys = {{0, {}}, {10, {}}, {20, {}}, {30, {}}, {40, {}}};

struct Case {
  const char* what;
  double time;
  std::int32_t cursor;  // where the previous frame left the search
  KeyInterval expected;
};

TEST(KeySearch, FindsTheKeysAroundATimeFromAnyCursor) {
  const Case cases[] = {
      {"before the first key", -5, 3, {0, 0, 0.0f}},
      {"on the first key", 0, 4, {0, 1, 0.0f}},
      {"after the last key", 55, 1, {4, 4, 0.0f}},
      {"on the last key, from below", 40, 0, {3, 4, 1.0f}},
      {"on the last key, from there", 40, 4, {4, 4, 0.0f}},
      {"on key 2, from below", 20, 0, {1, 2, 1.0f}},
      {"on key 2, from above", 20, 4, {2, 3, 0.0f}},
      {"between keys, forwards", 25, 1, {2, 3, 0.5f}},
      {"between keys, backwards", 15, 4, {1, 2, 0.5f}},
      {"cursor out of range", 12.5, 99, {1, 2, 0.25f}},
      {"negative cursor", 12.5, -7, {1, 2, 0.25f}},
  };
  for (const Case& each : cases) {
    std::int32_t cursor = each.cursor;
    const KeyInterval found = findKeyInterval<VectorKey>(kKeys, each.time, cursor);
    EXPECT_EQ(found.current, each.expected.current) << each.what;
    EXPECT_EQ(found.next, each.expected.next) << each.what;
    EXPECT_FLOAT_EQ(found.factor, each.expected.factor) << each.what;
    EXPECT_EQ(cursor, found.current) << each.what;
  }
}

// The walk one key at a time that the search shortens for long distances.
std::int32_t walkedOneByOne(const std::vector<VectorKey>& keys, double time, std::int32_t c) {
  const std::int32_t last = std::int32_t(keys.size()) - 1;
  c = std::clamp(c, 0, last);
  if (c > 0 && keys[c].time > time) {
    do {
      --c;
    } while (c > 0 && keys[c].time > time);
  } else {
    while (c < last && keys[c + 1].time < time) {
      ++c;
    }
  }
  return c;
}

TEST(KeySearch, LongJumpsLandWhereWalkingOneKeyAtATimeWould) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> gap(0, 3);  // some keys share a time
  std::vector<VectorKey> keys;
  float time = 0;
  for (int i = 0; i < 300; ++i) {
    keys.push_back({time, {}});
    time += float(gap(random));
  }
  std::uniform_int_distribution<std::int32_t> anyCursor(-5, 305);
  std::uniform_real_distribution<double> anyTime(-10, time + 10);
  for (int round = 0; round < 20000; ++round) {
    const std::int32_t start = anyCursor(random);
    // Every fourth time exactly on a key.
    const double at = round % 4 == 0 ? keys[std::clamp(start, 0, 299)].time + gap(random)
                                     : anyTime(random);
    std::int32_t cursor = start;
    findKeyInterval<VectorKey>(keys, at, cursor);
    ASSERT_EQ(cursor, walkedOneByOne(keys, at, start)) << "from " << start << " to " << at;
  }
}

TEST(KeySearch, CameraFactorIsComputedInDoublePrecision) {
  // Far from zero a single-precision time loses the fraction: 100000.3 narrows to
  // 100000.296875, so the two precisions give different factors.
  const std::vector<VectorKey> keys = {{100000.0f, {}}, {100001.0f, {}}};
  std::int32_t cursor = 0;
  EXPECT_FLOAT_EQ(findKeyInterval<VectorKey>(keys, 100000.3, cursor).factor, 0.296875f);
  EXPECT_FLOAT_EQ(findKeyIntervalPrecise<VectorKey>(keys, 100000.3).factor, 0.3f);
}

TEST(KeySearch, OneKeyOrRepeatedTimesGiveFactorsInsideZeroToOne) {
  const std::vector<VectorKey> single = {{5, {}}};
  std::int32_t cursor = 0;
  const KeyInterval alone = findKeyInterval<VectorKey>(single, 7, cursor);
  EXPECT_EQ(alone.current, 0);
  EXPECT_EQ(alone.next, 0);
  // Two keys at one time (a damaged file): no division by zero reaches the result.
  const std::vector<VectorKey> repeated = {{0, {}}, {5, {}}, {5, {}}, {9, {}}};
  for (double time : {4.0, 5.0, 6.0}) {
    for (std::int32_t start : {0, 3}) {
      cursor = start;
      const float factor = findKeyInterval<VectorKey>(repeated, time, cursor).factor;
      EXPECT_TRUE(factor >= 0.0f && factor <= 1.0f) << time << " from " << start;
      EXPECT_TRUE(findKeyIntervalPrecise<VectorKey>(repeated, time).factor >= 0.0f);
    }
  }
}

}  // namespace
}  // namespace ostrel
