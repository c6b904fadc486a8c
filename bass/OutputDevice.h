// An open output device: it pulls frames from its source on a thread of its own (or, for
// tests, when told to) and reports its clock as frames played.
#pragma once

#include <cstdint>

namespace ostrel::bass {

class OutputDevice {
public:
  // Stops output: once the destructor returns, the source is no longer asked for frames.
  virtual ~OutputDevice() = default;

  // Frames the device has played (heard) since it opened, counted in the frames rendered
  // from its source: never decreasing, never more than were rendered. Callable from any
  // thread; does not call the source.
  virtual std::uint64_t playedFrames() = 0;
};

}  // namespace ostrel::bass
