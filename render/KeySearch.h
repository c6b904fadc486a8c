// Finding the pair of keys around a time in one key list, and how far between them the time
// lies. A cursor remembers where the last search ended, so that the search takes a step or
// two when time moves a little between frames, forwards or backwards; the result does not
// depend on where the cursor starts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

namespace ostrel {

struct KeyInterval {
  std::int32_t current = 0;  // key at or before the time (the first key before all keys)
  std::int32_t next = 0;     // the key after it, or current itself at the ends
  float factor = 0;          // 0..1 from current to next
};

namespace keysearch {

// Steps walked one key at a time before the rest of the way is found by halving: a frame
// usually moves a key or two, a jump (a new section, a fresh camera search) many.
inline constexpr std::int32_t kWalkedSteps = 8;

// Walking back from cursor: the last key at or before time, else 0. Walking forwards: the
// first key from cursor on whose successor is at or after time, else the last. (On a key's
// exact time the two stop on either side of it.) keys must not be empty and, for the
// halving, be in ascending time order.
template <class Key>
std::int32_t walk(std::span<const Key> keys, double time, std::int32_t cursor) {
  const std::int32_t last = static_cast<std::int32_t>(keys.size()) - 1;
  std::int32_t c = cursor < 0 ? 0 : (cursor > last ? last : cursor);
  auto before = [](const Key& key, double t) { return key.time < t; };
  auto after = [](double t, const Key& key) { return t < key.time; };
  if (c > 0 && keys[c].time > time) {
    --c;
    for (std::int32_t step = 0; c > 0 && keys[c].time > time; ++step, --c) {
      if (step == kWalkedSteps) {
        const auto found = std::upper_bound(keys.begin(), keys.begin() + c, time, after);
        return found == keys.begin() ? 0 : static_cast<std::int32_t>(found - keys.begin()) - 1;
      }
    }
    return c;
  }
  for (std::int32_t step = 0; c < last && keys[c + 1].time < time; ++step, ++c) {
    if (step == kWalkedSteps) {
      const auto found = std::lower_bound(keys.begin() + c + 1, keys.end(), time, before);
      return static_cast<std::int32_t>(found - keys.begin()) - 1;
    }
  }
  return c;
}

// Keeps a factor inside 0..1: key lists of a damaged file may repeat or reverse times.
inline float clampFactor(float factor) {
  if (!(factor > 0.0f)) {
    return 0.0f;  // also NaN
  }
  return factor > 1.0f ? 1.0f : factor;
}

inline bool atEnd(std::int32_t c, std::int32_t last, double keyTime, double time) {
  return c == last || keyTime > time;
}

}  // namespace keysearch

// For node channels: the factor in single precision, with time narrowed to 32 bits; the
// cursor is moved to the key found. keys must not be empty.
template <class Key>
KeyInterval findKeyInterval(std::span<const Key> keys, double time, std::int32_t& cursor) {
  const std::int32_t last = static_cast<std::int32_t>(keys.size()) - 1;
  const std::int32_t c = keysearch::walk(keys, time, cursor);
  cursor = c;
  if (keysearch::atEnd(c, last, keys[c].time, time)) {
    return {c, c, 0.0f};
  }
  const float factor =
      (static_cast<float>(time) - keys[c].time) / (keys[c + 1].time - keys[c].time);
  return {c, c + 1, keysearch::clampFactor(factor)};
}

// For cameras: a fresh search, the factor's difference and division in double precision.
template <class Key>
KeyInterval findKeyIntervalPrecise(std::span<const Key> keys, double time) {
  const std::int32_t last = static_cast<std::int32_t>(keys.size()) - 1;
  const std::int32_t c = keysearch::walk(keys, time, 0);
  if (keysearch::atEnd(c, last, keys[c].time, time)) {
    return {c, c, 0.0f};
  }
  const double span = static_cast<double>(keys[c + 1].time) - keys[c].time;
  const double factor = (time - keys[c].time) / span;
  return {c, c + 1, keysearch::clampFactor(static_cast<float>(factor))};
}

}  // namespace ostrel
