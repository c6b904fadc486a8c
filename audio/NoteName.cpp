// Key names.
#include "audio/NoteName.h"

#include <array>

namespace ostrel {
namespace {

constexpr std::array<const char*, 12> kPitchNames = {
    "C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};

}  // namespace

std::string noteName(std::uint32_t key) {
  return kPitchNames[key % 12] + std::to_string(key / 12);
}

}  // namespace ostrel
