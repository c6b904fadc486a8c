// The description of a plain 2D texture.
#include "render/TextureDescription.h"

namespace ostrel {

D3D11_TEXTURE2D_DESC textureDescription(std::uint32_t width, std::uint32_t height,
                                        DXGI_FORMAT format, UINT bindFlags) {
  D3D11_TEXTURE2D_DESC description{};
  description.Width = width;
  description.Height = height;
  description.MipLevels = 1;
  description.ArraySize = 1;
  description.Format = format;
  description.SampleDesc = {1, 0};
  description.Usage = D3D11_USAGE_DEFAULT;
  description.BindFlags = bindFlags;
  return description;
}

}  // namespace ostrel
