// A colour texture that passes render into and later passes sample from.
#pragma once

#include <d3d11.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace ostrel {

struct RenderTarget {
  template <class T>
  using ComPtr = Microsoft::WRL::ComPtr<T>;

  // One mip level, bound as render target and shader resource, no CPU access; one
  // render-target view (mip 0) and a shader-resource view of the whole texture.
  void create(ID3D11Device* device, std::uint32_t width, std::uint32_t height,
              DXGI_FORMAT format);

  ComPtr<ID3D11Texture2D> texture;
  ComPtr<ID3D11RenderTargetView> renderTargetView;  // renderTargetViews[0]
  ComPtr<ID3D11ShaderResourceView> shaderResourceView;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
  std::vector<ComPtr<ID3D11RenderTargetView>> renderTargetViews;
};

}  // namespace ostrel
