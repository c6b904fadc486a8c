// Seconds and bar:beat of stream positions.
#include "audio/MusicalClock.h"

#include "bass/FileByteSource.h"
#include "bass/MidiFileReader.h"

#include <fmt/format.h>

#include <algorithm>

namespace ostrel {
namespace {

constexpr std::uint64_t kBytesPerFrame = 4;  // 16-bit stereo
constexpr double kBytesPerSecond = 44100.0 * kBytesPerFrame;

std::uint64_t atLeastOne(std::uint64_t value) { return std::max<std::uint64_t>(1, value); }

}  // namespace

MusicalClock::MusicalClock(const bass::MidiFile& file) : tempoMap(file.tempoMap) {
  std::vector<bass::MidiFile::TimeSignature> signatures = file.timeSignatures;
  if (signatures.empty() || signatures.front().tick > 0) {
    signatures.insert(signatures.begin(), {0, 4, 4});
  }
  std::uint64_t bar = 0;
  for (const auto& signature : signatures) {
    if (!meters.empty()) {
      // A change starts a new bar, rounding up a bar left incomplete.
      const Meter& previous = meters.back();
      const std::uint64_t span = signature.tick - previous.tick;
      bar += (span + previous.ticksPerBar - 1) / previous.ticksPerBar;
    }
    const std::uint64_t ticksPerBeat =
        atLeastOne(std::uint64_t(file.ticksPerQuarter) * 4 / signature.beatUnit);
    meters.push_back({signature.tick, bar, ticksPerBeat,
                      atLeastOne(ticksPerBeat * signature.beatsPerBar)});
  }
}

MusicalClock MusicalClock::ofFile(const std::filesystem::path& path) {
  return MusicalClock(bass::MidiFileReader::read(bass::FileByteSource(path, 0, 0).readAll()));
}

double MusicalClock::seconds(std::uint64_t bytePosition) {
  return double(bytePosition) / kBytesPerSecond;
}

// The tempo map only goes from ticks to frames; it rises with the tick, so search it.
std::uint64_t MusicalClock::tickAtByte(std::uint64_t bytePosition) const {
  const std::uint64_t frame = bytePosition / kBytesPerFrame;
  std::uint64_t low = 0;
  std::uint64_t high = 1;
  while (tempoMap.frameAt(high) <= frame && high < (std::uint64_t(1) << 40)) {
    high *= 2;
  }
  while (low + 1 < high) {
    const std::uint64_t middle = low + (high - low) / 2;
    (tempoMap.frameAt(middle) <= frame ? low : high) = middle;
  }
  return low;
}

std::uint64_t MusicalClock::byteAtTick(std::uint64_t tick) const {
  return tempoMap.frameAt(tick) * kBytesPerFrame;
}

const MusicalClock::Meter& MusicalClock::meterAt(std::uint64_t tick) const {
  const auto after = std::upper_bound(meters.begin(), meters.end(), tick,
                                      [](std::uint64_t t, const Meter& m) { return t < m.tick; });
  return *std::prev(after);  // the first meter starts at tick 0
}

std::string MusicalClock::barBeatAtTick(std::uint64_t tick) const {
  const Meter& meter = meterAt(tick);
  const std::uint64_t intoMeter = tick - meter.tick;
  const std::uint64_t bar = meter.firstBar + intoMeter / meter.ticksPerBar;
  const std::uint64_t intoBar = intoMeter % meter.ticksPerBar;
  if (intoBar % meter.ticksPerBeat == 0) {
    return fmt::format("{}:{}", bar + 1, 1 + intoBar / meter.ticksPerBeat);
  }
  return fmt::format("{}:{:.2f}", bar + 1, 1.0 + double(intoBar) / double(meter.ticksPerBeat));
}

std::vector<std::uint64_t> MusicalClock::barStartTicks(std::uint64_t endTick) const {
  std::vector<std::uint64_t> starts;
  for (std::size_t index = 0; index < meters.size(); ++index) {
    const Meter& meter = meters[index];
    const std::uint64_t meterEnd =
        index + 1 < meters.size() ? std::min(meters[index + 1].tick, endTick) : endTick;
    for (std::uint64_t tick = meter.tick; tick < meterEnd; tick += meter.ticksPerBar) {
      starts.push_back(tick);
    }
  }
  return starts;
}

}  // namespace ostrel
