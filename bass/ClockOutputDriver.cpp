// The clock-driven silent device.
#include "bass/ClockOutputDriver.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace ostrel::bass {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kLeadFrames = kSampleRate / 100;  // rendered 10 ms ahead of the clock
constexpr auto kWakeInterval = std::chrono::milliseconds(5);

class ClockOutputDevice : public OutputDevice {
public:
  explicit ClockOutputDevice(FrameSource& source)
      : source(source), start(Clock::now()), worker([this] { run(); }) {}

  ~ClockOutputDevice() override {
    {
      std::lock_guard lock(wakeMutex);
      stopping = true;
    }
    wake.notify_all();
    worker.join();
  }

  std::uint64_t playedFrames() override {
    std::lock_guard lock(clockMutex);
    lastReported = std::max(lastReported, std::min(clockFrames(), rendered));
    return lastReported;
  }

private:
  std::uint64_t elapsedFrames() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start);
    return static_cast<std::uint64_t>(elapsed.count()) * kSampleRate / 1000000000u;
  }

  // The device's clock: wall time less the time it stood starved. Call with clockMutex held.
  std::uint64_t clockFrames() const { return elapsedFrames() - stalledFrames; }

  // A thread woken (or finishing its frames) too late finds the clock past what the device
  // had been given. Like a real device whose buffer ran dry, the clock then waits for the
  // frames instead of counting sound it never had as played. Call with clockMutex held.
  void stallIfStarved() {
    const std::uint64_t clock = clockFrames();
    if (clock > rendered) {
      stalledFrames += clock - rendered;
    }
  }

  // How many frames to render now: up to the lead ahead of the clock.
  std::size_t framesDue() {
    std::lock_guard lock(clockMutex);
    stallIfStarved();
    const std::uint64_t target = clockFrames() + kLeadFrames;
    return target > rendered ? static_cast<std::size_t>(target - rendered) : 0;
  }

  void run() {
    std::vector<std::int16_t> buffer;
    std::unique_lock lock(wakeMutex);
    while (!stopping) {
      const std::size_t frames = framesDue();
      if (frames > 0) {
        buffer.resize(frames * kChannels);
        source.render(buffer.data(), frames);
        std::lock_guard clockLock(clockMutex);
        stallIfStarved();  // the frames arrived after their time: they start playing now
        rendered += frames;
      }
      wake.wait_for(lock, kWakeInterval, [this] { return stopping; });
    }
  }

  FrameSource& source;
  const Clock::time_point start;
  std::mutex clockMutex;  // guards the three counts below
  std::uint64_t rendered = 0;
  std::uint64_t stalledFrames = 0;
  std::uint64_t lastReported = 0;
  std::mutex wakeMutex;
  std::condition_variable wake;
  bool stopping = false;
  std::thread worker;  // last: it starts running in the constructor
};

}  // namespace

std::vector<OutputDeviceInfo> ClockOutputDriver::listDevices() {
  return {{"Clock (no sound)", "clock", BASS_DEVICE_ENABLED | BASS_DEVICE_DEFAULT}};
}

std::unique_ptr<OutputDevice> ClockOutputDriver::open(int number, FrameSource& source) {
  if (number != -1 && number != 1) {
    throw BassError(BASS_ERROR_DEVICE, "there is no output device " + std::to_string(number));
  }
  return std::make_unique<ClockOutputDevice>(source);
}

}  // namespace ostrel::bass
