// The surface of a scene mesh: colours and exponents as the file gives them (linear values),
// and the texture files it names.
#pragma once

#include "render/Vectors.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

class Texture;

struct TextureSlot {
  std::shared_ptr<Texture> texture;  // loaded from path; none when path is empty
  std::string path;                  // the file name as the scene file gives it
  bool present = false;              // the file names a texture of this kind
};

struct SceneMaterial {
  // The kinds of texture a material may name, in slot order.
  enum Slot { kLightmap, kDiffuse, kNormals, kSpecular, kReflection, kOpacity, kSlotCount };

  Float4 ambient{0, 0, 0, 1};
  Float4 diffuse{0.5f, 0.5f, 0.5f, 1};
  Float4 specular{1, 1, 1, 1};  // already multiplied by the file's specular strength
  std::uint32_t index = 0;      // the material's number in the file
  std::string name;
  float shininess = 1.0f;  // specular exponent
  float emissive = 0.0f;   // 0..1: the green component of the file's emissive colour
  std::array<TextureSlot, kSlotCount> textures;
};

}  // namespace ostrel
