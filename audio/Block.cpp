// Reading parameter values of a block.
#include "audio/Block.h"

#include <cmath>
#include <stdexcept>

namespace ostrel {
namespace {

const Parameter& parameterNamed(const Block& block, const std::string& name) {
  const auto found = block.parameters.find(name);
  if (found == block.parameters.end()) {
    throw std::out_of_range("invalid map<K, T> key");
  }
  return *found->second;
}

std::uint32_t velocityAsByte(std::int32_t velocity) {
  return static_cast<std::uint32_t>(std::floor(float(velocity - 1) * 255.0f / 126.0f));
}

}  // namespace

float velocityValue(std::int32_t velocity) {
  return float(velocity - 1) / 126.0f;
}

float packedVelocityValue(std::int32_t red, std::int32_t green, std::int32_t blue) {
  const std::uint32_t packed =
      velocityAsByte(red) * 65536 + velocityAsByte(green) * 256 + velocityAsByte(blue);
  return float(packed) / 16777215.0f;
}

float Block::getValue(const std::string& parameterName) const {
  return velocityValue(parameterNamed(*this, parameterName).value);
}

float Block::getColor(const std::string& red, const std::string& green,
                      const std::string& blue) const {
  return packedVelocityValue(parameterNamed(*this, red).value,
                             parameterNamed(*this, green).value,
                             parameterNamed(*this, blue).value);
}

}  // namespace ostrel
