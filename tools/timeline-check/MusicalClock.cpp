// Seconds and bar:beat of stream positions.
#include "tools/timeline-check/MusicalClock.h"

#include <fmt/format.h>

#include <vector>

namespace ostrel {
namespace {

constexpr std::uint64_t kBytesPerFrame = 4;  // 16-bit stereo
constexpr double kBytesPerSecond = 44100.0 * kBytesPerFrame;

}  // namespace

MusicalClock::MusicalClock(const bass::MidiFile& file) : file(file) {}

double MusicalClock::seconds(std::uint64_t bytePosition) {
  return double(bytePosition) / kBytesPerSecond;
}

// The tempo map only goes from ticks to frames; it rises with the tick, so search it.
std::uint64_t MusicalClock::tickAtByte(std::uint64_t bytePosition) const {
  const std::uint64_t frame = bytePosition / kBytesPerFrame;
  std::uint64_t low = 0;
  std::uint64_t high = 1;
  while (file.tempoMap.frameAt(high) <= frame && high < (std::uint64_t(1) << 40)) {
    high *= 2;
  }
  while (low + 1 < high) {
    const std::uint64_t middle = low + (high - low) / 2;
    (file.tempoMap.frameAt(middle) <= frame ? low : high) = middle;
  }
  return low;
}

std::string MusicalClock::barBeatAtTick(std::uint64_t tick) const {
  std::vector<bass::MidiFile::TimeSignature> signatures = file.timeSignatures;
  if (signatures.empty() || signatures.front().tick > 0) {
    signatures.insert(signatures.begin(), {0, 4, 4});
  }
  std::uint64_t bar = 0;
  for (std::size_t index = 0;; ++index) {
    const auto& signature = signatures[index];
    const std::uint64_t ticksPerBeat = std::uint64_t(file.ticksPerQuarter) * 4 / signature.beatUnit;
    const std::uint64_t ticksPerBar = std::max<std::uint64_t>(1, ticksPerBeat * signature.beatsPerBar);
    const bool isLast = index + 1 == signatures.size() || signatures[index + 1].tick > tick;
    if (isLast) {
      const std::uint64_t intoSignature = tick - signature.tick;
      bar += intoSignature / ticksPerBar;
      const std::uint64_t intoBar = intoSignature % ticksPerBar;
      const double beat = 1.0 + double(intoBar) / double(std::max<std::uint64_t>(1, ticksPerBeat));
      if (intoBar % std::max<std::uint64_t>(1, ticksPerBeat) == 0) {
        return fmt::format("{}:{}", bar + 1, std::uint64_t(beat));
      }
      return fmt::format("{}:{:.2f}", bar + 1, beat);
    }
    // A signature change starts a new bar (rounding up a bar left incomplete).
    const std::uint64_t span = signatures[index + 1].tick - signature.tick;
    bar += (span + ticksPerBar - 1) / ticksPerBar;
  }
}

}  // namespace ostrel
