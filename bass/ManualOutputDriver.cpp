// The hand-driven test device.
#include "bass/ManualOutputDriver.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#include <vector>

namespace ostrel::bass {
namespace {

class ManualOutputDevice : public OutputDevice {
public:
  ManualOutputDevice(std::shared_ptr<ManualOutputDriver::State> state, FrameSource& source)
      : state(std::move(state)) {
    this->state->source = &source;
    this->state->playedFrames = 0;
    this->state->queued.clear();
    // Like a real device, start with a buffer's worth of what plays now (silence).
    std::vector<std::int16_t> prefill(std::size_t(this->state->latencyFrames) * kChannels);
    source.render(prefill.data(), this->state->latencyFrames);
    this->state->queued.assign(prefill.begin(), prefill.end());
  }

  ~ManualOutputDevice() override { state->source = nullptr; }

  std::uint64_t playedFrames() override { return state->playedFrames; }

private:
  std::shared_ptr<ManualOutputDriver::State> state;
};

}  // namespace

ManualOutputDriver::ManualOutputDriver(std::uint32_t latencyFrames)
    : state(std::make_shared<State>()),
      devices{{"Test output", "manual", BASS_DEVICE_ENABLED | BASS_DEVICE_DEFAULT}} {
  state->latencyFrames = latencyFrames;
}

std::vector<OutputDeviceInfo> ManualOutputDriver::listDevices() { return devices; }

std::unique_ptr<OutputDevice> ManualOutputDriver::open(int number, FrameSource& source) {
  if (openError != 0) {
    throw BassError(openError, "the test driver was told to fail");
  }
  if (number == 0 || number > static_cast<int>(devices.size()) || number < -1) {
    throw BassError(BASS_ERROR_DEVICE, "there is no output device " + std::to_string(number));
  }
  return std::make_unique<ManualOutputDevice>(state, source);
}

void ManualOutputDriver::setDevices(std::vector<OutputDeviceInfo> devices) {
  this->devices = std::move(devices);
}

void ManualOutputDriver::failOpeningWith(int errorCode) { openError = errorCode; }

bool ManualOutputDriver::isOpen() const { return state->source != nullptr; }

std::vector<std::int16_t> ManualOutputDriver::advance(std::size_t frames) {
  if (!state->source) {
    throw BassError(BASS_ERROR_INIT, "no test device is open");
  }
  const std::size_t wanted = (frames + state->latencyFrames) * kChannels;
  if (state->queued.size() < wanted) {
    std::vector<std::int16_t> rendered(wanted - state->queued.size());
    state->source->render(rendered.data(), rendered.size() / kChannels);
    state->queued.insert(state->queued.end(), rendered.begin(), rendered.end());
  }
  const auto heardEnd = state->queued.begin() + static_cast<std::ptrdiff_t>(frames * kChannels);
  std::vector<std::int16_t> heard(state->queued.begin(), heardEnd);
  state->queued.erase(state->queued.begin(), heardEnd);
  state->playedFrames += frames;
  return heard;
}

}  // namespace ostrel::bass
