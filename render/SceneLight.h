// A light of a scene, placed by the node of the same name.
#pragma once

#include "render/SceneNode.h"
#include "render/Vectors.h"

#include <string>

namespace ostrel {

struct SceneLight {
  Float4 color;        // diffuse (r, g, b) in linear values, and 0
  Float3 attenuation;  // constant, linear, quadratic: 1 / (c + l d + q d^2) at distance d
  bool isPoint = true;  // true: shines from the node's origin; false: from towardsLight
  std::string name;
  const SceneNode* node = nullptr;  // none: the light is not drawn
  // A directional light: the unit direction from a lit surface towards the light, in its
  // node's axes (a Collada light shines along its node's -z, so +z after the left-handed turn
  // and towards it -z).
  Float3 towardsLight{0, 0, -1};
};

}  // namespace ostrel
