// The lights of one frame as the scene program reads them (constant buffer 1, 400 bytes):
// an array of eight light records of 48 bytes each, then the number in use.
#pragma once

#include "render/Vectors.h"

#include <cstddef>
#include <cstdint>

namespace ostrel {

inline constexpr int kMaxSceneLights = 8;

struct LightConstants {
  struct Light {
    Float4 lightVector;       // world position (w = 1) or direction the light travels (w = 0)
    Float4 lightColor;
    Float3 lightAttenuation;  // constant, linear, quadratic
    float unused;
  };

  Light lights[kMaxSceneLights];
  std::int32_t lightCount;  // 0..8 entries written this frame
  std::int32_t unused[3];
};

static_assert(sizeof(LightConstants::Light) == 48);
static_assert(offsetof(LightConstants::Light, lightVector) == 0);
static_assert(offsetof(LightConstants::Light, lightColor) == 16);
static_assert(offsetof(LightConstants::Light, lightAttenuation) == 32);
static_assert(offsetof(LightConstants, lights) == 0);
static_assert(offsetof(LightConstants, lightCount) == 384);
static_assert(sizeof(LightConstants) == 400 && sizeof(LightConstants) % 16 == 0);

}  // namespace ostrel
