// The description of a plain 2D texture: one mip level, one layer, no multisampling,
// default usage, no CPU access.
#pragma once

#include <d3d11.h>

#include <cstdint>

namespace ostrel {

D3D11_TEXTURE2D_DESC textureDescription(std::uint32_t width, std::uint32_t height,
                                        DXGI_FORMAT format, UINT bindFlags);

}  // namespace ostrel
