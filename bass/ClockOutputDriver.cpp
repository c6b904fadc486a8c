// The clock-driven silent device.
#include "bass/ClockOutputDriver.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#include <algorithm>
#include <atomic>
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
      std::lock_guard lock(mutex);
      stopping = true;
    }
    wake.notify_all();
    worker.join();
  }

  std::uint64_t playedFrames() override {
    return std::min(elapsedFrames(), rendered.load());
  }

private:
  std::uint64_t elapsedFrames() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start);
    return static_cast<std::uint64_t>(elapsed.count()) * kSampleRate / 1000000000u;
  }

  void run() {
    std::vector<std::int16_t> buffer;
    std::unique_lock lock(mutex);
    while (!stopping) {
      const std::uint64_t target = elapsedFrames() + kLeadFrames;
      const std::uint64_t done = rendered.load();
      if (target > done) {
        const auto frames = static_cast<std::size_t>(target - done);
        buffer.resize(frames * kChannels);
        source.render(buffer.data(), frames);
        rendered.store(target);
      }
      wake.wait_for(lock, kWakeInterval, [this] { return stopping; });
    }
  }

  FrameSource& source;
  const Clock::time_point start;
  std::atomic<std::uint64_t> rendered{0};
  std::mutex mutex;
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
