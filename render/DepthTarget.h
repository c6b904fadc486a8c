// A 24-bit depth and 8-bit stencil buffer that the depth of field can also sample: the
// texture is typeless, drawn through a D24_UNORM_S8_UINT view and read through an
// R24_UNORM_X8_TYPELESS view (depth as stored, 0 at the near plane to 1 at the far plane).
#pragma once

#include <d3d11.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace ostrel {

struct DepthTarget {
  template <class T>
  using ComPtr = Microsoft::WRL::ComPtr<T>;

  void create(ID3D11Device* device, std::uint32_t width, std::uint32_t height);

  ComPtr<ID3D11Texture2D> texture;
  ComPtr<ID3D11DepthStencilView> depthStencilView;  // depthStencilViews[0]
  ComPtr<ID3D11ShaderResourceView> shaderResourceView;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  DXGI_FORMAT format = DXGI_FORMAT_D24_UNORM_S8_UINT;
  std::vector<ComPtr<ID3D11DepthStencilView>> depthStencilViews;
};

}  // namespace ostrel
