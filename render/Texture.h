// One image from the textures folder, decoded on the CPU and uploaded once as an immutable
// 2D texture with a shader-resource view (the overlay's logos, the scenes' materials).
#pragma once

#include "registry/Resources.h"

#include <d3d11.h>
#include <wrl/client.h>

#include <string>

namespace ostrel {

class Texture {
public:
  // Takes a copy of the registry and resolves the textures folder; no view yet.
  Texture();

  // Decodes folder + fileName (no separator added) and makes the texture and its view:
  // one channel R8_UNORM, two R8G8_UNORM (both linear), three (widened to four with alpha
  // 255) and four R8G8B8A8_UNORM_SRGB. Throws std::runtime_error "Unable to load texture
  // file: <path>" when the file cannot be opened or decoded.
  void load(ID3D11Device* device, const std::string& fileName);

  Resources resources;
  // The registry's "textures" folder in UTF-8, ending with a backslash.
  std::string folder;
  // The only reference to the texture; null until load succeeds.
  Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> view;
};

}  // namespace ostrel
