// Moving the music by hand.
#include "audio/HandDrivenClock.h"

#include "bass/AudioFormat.h"
#include "bass/Library.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace ostrel {
namespace {

// A second of sound at most per step, so that a long jump never holds the whole song.
constexpr QWORD kFramesPerStep = 44100;

}  // namespace

HandDrivenClock::HandDrivenClock() : device(std::make_shared<bass::ManualOutputDriver>()) {
  bass::Library::instance().useOutputDriver(device);
}

void HandDrivenClock::advanceTo(const AudioManagerInterface& channel, QWORD position) {
  const QWORD target = std::min(position, channel.getLength()) / bass::kBytesPerFrame;
  const QWORD now = channel.getPosition() / bass::kBytesPerFrame;
  if (position / bass::kBytesPerFrame < now) {
    throw std::invalid_argument("The music stands at byte " +
                                std::to_string(channel.getPosition()) +
                                " and cannot go back to byte " + std::to_string(position));
  }
  for (QWORD frame = now; frame < target;) {
    const QWORD step = std::min(kFramesPerStep, target - frame);
    device->advance(step);
    frame += step;
  }
}

}  // namespace ostrel
