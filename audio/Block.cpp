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

std::uint32_t velocityAsByte(const Parameter& parameter) {
  return static_cast<std::uint32_t>(std::floor(float(parameter.value - 1) * 255.0f / 126.0f));
}

}  // namespace

float Block::getValue(const std::string& parameterName) const {
  return float(parameterNamed(*this, parameterName).value - 1) / 126.0f;
}

float Block::getColor(const std::string& red, const std::string& green,
                      const std::string& blue) const {
  const std::uint32_t packed = velocityAsByte(parameterNamed(*this, red)) * 65536 +
                               velocityAsByte(parameterNamed(*this, green)) * 256 +
                               velocityAsByte(parameterNamed(*this, blue));
  return float(packed) / 16777215.0f;
}

}  // namespace ostrel
