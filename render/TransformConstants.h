// What the scene program reads for one drawn mesh (constant buffer 0, 208 bytes): its
// matrices, stored row by row for row vectors, its material and the camera position.
#pragma once

#include "render/Matrix.h"
#include "render/Vectors.h"

#include <cstddef>

namespace ostrel {

struct TransformConstants {
  Matrix worldViewProjection;
  Matrix world;
  Float4 diffuse;   // linear colours
  Float4 ambient;
  Float4 specular;
  float emissive = 0;   // 0..1, how much of the diffuse colour the surface gives off itself
  float shininess = 1;  // specular exponent
  float reservedZero = 0.0f;
  float reservedOne = 1.0f;
  Float4 cameraPosition;  // world, w = 1
};

static_assert(offsetof(TransformConstants, worldViewProjection) == 0);
static_assert(offsetof(TransformConstants, world) == 64);
static_assert(offsetof(TransformConstants, diffuse) == 128);
static_assert(offsetof(TransformConstants, ambient) == 144);
static_assert(offsetof(TransformConstants, specular) == 160);
static_assert(offsetof(TransformConstants, emissive) == 176);
static_assert(offsetof(TransformConstants, shininess) == 180);
static_assert(offsetof(TransformConstants, reservedZero) == 184);
static_assert(offsetof(TransformConstants, reservedOne) == 188);
static_assert(offsetof(TransformConstants, cameraPosition) == 192);
static_assert(sizeof(TransformConstants) == 208 && sizeof(TransformConstants) % 16 == 0);

}  // namespace ostrel
