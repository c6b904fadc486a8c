// The keys that move one node over time, copied out of the imported file. Key times are the
// file's animation ticks as 32-bit floats, ascending within each list.
#pragma once

#include "render/Quaternion.h"
#include "render/Vectors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

struct VectorKey {
  float time = 0;
  Float3 value;
};

struct QuaternionKey {
  float time = 0;
  Quaternion value;  // (x, y, z, w), normalised; 16-byte aligned
};

struct AnimationChannel {
  std::int32_t index = 0;  // consecutive over all channels of all animations of the file
  std::string nodeName;
  float duration = 0;      // of the animation the channel belongs to, in ticks
  std::vector<VectorKey> positionKeys;
  std::vector<QuaternionKey> rotationKeys;
  std::vector<VectorKey> scalingKeys;
};

}  // namespace ostrel
