// A time span of one effect (named after its track) with the parameters that drive it.
#pragma once

#include "audio/Parameter.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace ostrel {

// A velocity 1..127 as the 0..1 value an effect reads.
float velocityValue(std::int32_t velocity);
// Three velocities as the bytes of one 24-bit number (red the high byte), scaled to 0..1.
float packedVelocityValue(std::int32_t red, std::int32_t green, std::int32_t blue);

class Block {
public:
  // The parameter's velocity scaled to 0..1 (1 -> 0.0, 64 -> 0.5, 127 -> 1.0).
  // Throws std::out_of_range for a parameter the block lacks.
  float getValue(const std::string& parameterName) const;

  // Three velocities as the bytes of one 24-bit number (red the high byte), scaled to 0..1:
  // three notes give a value 24 bits of precision. Throws like getValue.
  float getColor(const std::string& red, const std::string& green, const std::string& blue) const;

  bool contains(std::uint64_t position) const { return start <= position && position <= end; }

  std::map<std::string, std::unique_ptr<Parameter>> parameters;
  std::string name;
  std::uint64_t length = 0;  // bytes of the MIDI stream
  std::uint64_t start = 0;   // byte position of the block's key-0 note
  std::uint64_t end = 0;     // start plus that note's length
};

}  // namespace ostrel
