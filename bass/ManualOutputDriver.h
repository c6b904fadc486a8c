// An output driver for tests: its device plays only when the test says so (advance), with a
// chosen latency between what it asks for and what is heard, hands back what it played, and
// it can list made-up devices or fail to open with a chosen error code.
#pragma once

#include "bass/OutputDriver.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace ostrel::bass {

class ManualOutputDriver : public OutputDriver {
public:
  // latencyFrames: frames asked for ahead of what has been heard (a device's buffer).
  explicit ManualOutputDriver(std::uint32_t latencyFrames = 0);

  std::vector<OutputDeviceInfo> listDevices() override;
  std::unique_ptr<OutputDevice> open(int number, FrameSource& source) override;

  // The devices listDevices reports; by default one enabled default device.
  void setDevices(std::vector<OutputDeviceInfo> devices);
  // open throws BassError with this code (0: open succeeds).
  void failOpeningWith(int errorCode);
  // Plays frames more frames on the open device and returns them (2 samples a frame).
  std::vector<std::int16_t> advance(std::size_t frames);
  bool isOpen() const;

  struct State {
    FrameSource* source = nullptr;  // null while no device is open
    std::uint32_t latencyFrames = 0;
    std::uint64_t playedFrames = 0;
    std::deque<std::int16_t> queued;  // rendered, not yet heard
  };

private:
  std::shared_ptr<State> state;
  std::vector<OutputDeviceInfo> devices;
  int openError = 0;
};

}  // namespace ostrel::bass
