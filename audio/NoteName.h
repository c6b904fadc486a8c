// Names of MIDI keys as the timeline's authors write them: letter, "-" or "#", octave.
#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

// Key 0 is "C-0", key 2 "D-0", key 15 "D#1", key 127 "G-10".
std::string noteName(std::uint32_t key);

}  // namespace ostrel
