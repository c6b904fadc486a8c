// One vertex of a scene mesh as the vertex buffer holds it (56 bytes), in the order the
// scene program's input signature lists its fields.
#pragma once

#include "render/Vectors.h"

#include <cstddef>

namespace ostrel {

struct SceneVertex {
  Float3 position;
  Float3 normal;
  Float3 tangent;    // zero where the mesh has none
  Float3 bitangent;  // zero where the mesh has none
  Float2 texcoord;   // set 0; zero where the mesh has none
};

static_assert(sizeof(SceneVertex) == 56);
static_assert(offsetof(SceneVertex, normal) == 12 && offsetof(SceneVertex, tangent) == 24 &&
              offsetof(SceneVertex, bitangent) == 36 && offsetof(SceneVertex, texcoord) == 48);

}  // namespace ostrel
