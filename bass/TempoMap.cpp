// Ticks to frames through the tempo segments, in exact integer arithmetic.
#include "bass/TempoMap.h"

#include "bass/AudioFormat.h"

#include <algorithm>

namespace ostrel::bass {
namespace {
constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000;
constexpr std::uint64_t kMicrosecondsPerSecond = 1000000;
}  // namespace

TempoMap::TempoMap(std::uint32_t ticksPerQuarter, std::vector<Change> changes)
    : ticksPerQuarter(ticksPerQuarter) {
  std::stable_sort(changes.begin(), changes.end(),
                   [](const Change& a, const Change& b) { return a.tick < b.tick; });
  segments.push_back({0, kDefaultMicrosecondsPerQuarter, 0});
  for (const Change& change : changes) {
    Segment& last = segments.back();
    if (change.tick == last.startTick) {
      last.microsecondsPerQuarter = change.microsecondsPerQuarter;
      continue;
    }
    const unsigned __int128 elapsed =
        last.elapsed +
        static_cast<unsigned __int128>(change.tick - last.startTick) * last.microsecondsPerQuarter;
    segments.push_back({change.tick, change.microsecondsPerQuarter, elapsed});
  }
}

unsigned __int128 TempoMap::elapsedAt(std::uint64_t tick) const {
  const auto after = std::upper_bound(
      segments.begin(), segments.end(), tick,
      [](std::uint64_t value, const Segment& segment) { return value < segment.startTick; });
  const Segment& segment = *(after - 1);
  return segment.elapsed +
         static_cast<unsigned __int128>(tick - segment.startTick) * segment.microsecondsPerQuarter;
}

std::uint64_t TempoMap::frameAt(std::uint64_t tick) const {
  const unsigned __int128 frames = elapsedAt(tick) * kSampleRate /
                                   (static_cast<unsigned __int128>(ticksPerQuarter) *
                                    kMicrosecondsPerSecond);
  const unsigned __int128 largest = ~std::uint64_t{0};
  return static_cast<std::uint64_t>(std::min(frames, largest));
}

double TempoMap::secondsAt(std::uint64_t tick) const {
  return static_cast<double>(elapsedAt(tick)) /
         (static_cast<double>(ticksPerQuarter) * kMicrosecondsPerSecond);
}

}  // namespace ostrel::bass
