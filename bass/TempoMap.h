// The song's tempo map: converts ticks to sample frames at 44100 Hz. Tempo changes may sit
// in any track; the map is global, and before the first change the tempo is 120 beats a
// minute (500000 microseconds a quarter note).
#pragma once

#include <cstdint>
#include <vector>

namespace ostrel::bass {

class TempoMap {
public:
  struct Change {
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;  // 0..0xFFFFFF
  };

  // ticksPerQuarter: the file's division (1..0x7FFF). changes: in file order; at one tick
  // the last change in file order wins.
  TempoMap(std::uint32_t ticksPerQuarter, std::vector<Change> changes);

  // The whole sample frame in which the tick falls (rounded down).
  std::uint64_t frameAt(std::uint64_t tick) const;
  // The same instant in seconds.
  double secondsAt(std::uint64_t tick) const;

private:
  struct Segment {
    std::uint64_t startTick;
    std::uint32_t microsecondsPerQuarter;
    unsigned __int128 elapsed;  // microseconds * ticksPerQuarter before startTick
  };

  unsigned __int128 elapsedAt(std::uint64_t tick) const;

  std::uint32_t ticksPerQuarter;
  std::vector<Segment> segments;  // by start tick, the first at tick 0
};

}  // namespace ostrel::bass
