// Creation of colour targets.
#include "render/RenderTarget.h"

#include "render/CreationCheck.h"
#include "render/TextureDescription.h"

namespace ostrel {

void RenderTarget::create(ID3D11Device* device, std::uint32_t width, std::uint32_t height,
                          DXGI_FORMAT format) {
  const D3D11_TEXTURE2D_DESC description = textureDescription(
      width, height, format, D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET);
  logCreation(device->CreateTexture2D(&description, nullptr, &texture),
              "CreateTexture2D (render target)");

  D3D11_RENDER_TARGET_VIEW_DESC viewDescription{};
  viewDescription.Format = format;
  viewDescription.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
  viewDescription.Texture2D.MipSlice = 0;
  renderTargetViews.clear();
  ComPtr<ID3D11RenderTargetView> view;
  logCreation(device->CreateRenderTargetView(texture.Get(), &viewDescription, &view),
              "CreateRenderTargetView");
  renderTargetViews.push_back(view);
  renderTargetView = renderTargetViews.front();

  logCreation(device->CreateShaderResourceView(texture.Get(), nullptr, &shaderResourceView),
              "CreateShaderResourceView (render target)");
  this->width = width;
  this->height = height;
  this->format = format;
}

}  // namespace ostrel
