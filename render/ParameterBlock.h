// A pass's parameter block (BloomConstants, LensConstants, ColorConstants) from the floats
// of its effect group, which hold the same values in the same order.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace ostrel {

template <class Block, std::size_t Count>
Block parameterBlock(const std::array<float, Count>& values) {
  static_assert(std::is_trivially_copyable_v<Block> && std::is_standard_layout_v<Block>);
  static_assert(sizeof(Block) == Count * sizeof(float), "one float per field, no padding");
  Block block;
  // Trivially copyable (checked above); the default values make it non-trivial to GCC.
  std::memcpy(static_cast<void*>(&block), values.data(), sizeof(Block));
  return block;
}

}  // namespace ostrel
