// A light of a scene, placed by the node of the same name.
#pragma once

#include "render/SceneNode.h"
#include "render/Vectors.h"

#include <string>

namespace ostrel {

struct SceneLight {
  Float4 color;        // diffuse (r, g, b) in linear values, and 0
  Float3 attenuation;  // constant, linear, quadratic: 1 / (c + l d + q d^2) at distance d
  bool isPoint = true;  // true: shines from the node's origin; false: along the node's -y
  std::string name;
  const SceneNode* node = nullptr;  // none: the light is not drawn
};

}  // namespace ostrel
