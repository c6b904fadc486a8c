// Creation of the sampled depth buffer.
#include "render/DepthTarget.h"

#include "render/CreationCheck.h"
#include "render/TextureDescription.h"

namespace ostrel {

void DepthTarget::create(ID3D11Device* device, std::uint32_t width, std::uint32_t height) {
  const D3D11_TEXTURE2D_DESC description = textureDescription(
      width, height, DXGI_FORMAT_R24G8_TYPELESS,
      D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_DEPTH_STENCIL);
  logCreation(device->CreateTexture2D(&description, nullptr, &texture),
              "CreateTexture2D (depth target)");

  D3D11_DEPTH_STENCIL_VIEW_DESC depthDescription{};
  depthDescription.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
  depthDescription.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
  depthDescription.Flags = 0;
  depthDescription.Texture2D.MipSlice = 0;
  ComPtr<ID3D11DepthStencilView> view;
  depthStencilViews.clear();
  logCreation(device->CreateDepthStencilView(texture.Get(), &depthDescription, &view),
              "CreateDepthStencilView");
  depthStencilViews.push_back(view);
  depthStencilView = depthStencilViews.front();

  D3D11_SHADER_RESOURCE_VIEW_DESC readDescription{};
  readDescription.Format = DXGI_FORMAT_R24_UNORM_X8_TYPELESS;
  readDescription.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
  readDescription.Texture2D = {0, 1};
  logCreation(device->CreateShaderResourceView(texture.Get(), &readDescription,
                                               &shaderResourceView),
              "CreateShaderResourceView (depth target)");
  this->width = width;
  this->height = height;
  format = DXGI_FORMAT_D24_UNORM_S8_UINT;
}

}  // namespace ostrel
