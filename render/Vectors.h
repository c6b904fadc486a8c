// The small vector records of scene data: plain floats, laid out as HLSL's float2, float3
// and float4 so that they can be copied into vertex and constant buffers as they are.
#pragma once

namespace ostrel {

struct Float2 {
  float x = 0, y = 0;
};

struct Float3 {
  float x = 0, y = 0, z = 0;
};

struct Float4 {
  float x = 0, y = 0, z = 0, w = 0;
};

static_assert(sizeof(Float2) == 8 && sizeof(Float3) == 12 && sizeof(Float4) == 16);

}  // namespace ostrel
