// Device, working directory, drawing target and readback of the scene tests.
#include "SceneTestSupport.h"

#include "registry/TextConversion.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace ostrel::testing {
namespace {

std::wstring widen(const std::string& text) {
  return std::filesystem::path(text).wstring();
}

}  // namespace

std::wstring sceneFile(const char* name) {
  return widen(std::string(OSTREL_TEST_DATA) + "/scenes/" + name);
}

std::wstring assimpModel(const char* name) {
  return widen(std::string(OSTREL_ASSIMP_MODELS) + "/" + name);
}

InProjectFolder::InProjectFolder() {
  wchar_t buffer[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, buffer);
  previous = buffer;
  EXPECT_TRUE(SetCurrentDirectoryW(widen(OSTREL_SOURCE_DIR).c_str()));
}

InProjectFolder::~InProjectFolder() { SetCurrentDirectoryW(previous.c_str()); }

TestDevice::TestDevice() {
  const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0};
  const HRESULT made = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels, 1,
                                         D3D11_SDK_VERSION, &device, nullptr, &context);
  if (FAILED(made)) {
    throw std::runtime_error("D3D11CreateDevice failed");
  }
}

Canvas::Canvas(ID3D11Device* device, ID3D11DeviceContext* context, std::uint32_t width,
               std::uint32_t height)
    : width(width), height(height), device(device), context(context) {
  D3D11_TEXTURE2D_DESC description{};
  description.Width = width;
  description.Height = height;
  description.MipLevels = 1;
  description.ArraySize = 1;
  description.Format = DXGI_FORMAT_R8G8B8A8_UNORM_SRGB;
  description.SampleDesc = {1, 0};
  description.Usage = D3D11_USAGE_DEFAULT;
  description.BindFlags = D3D11_BIND_RENDER_TARGET;
  EXPECT_HRESULT_SUCCEEDED(device->CreateTexture2D(&description, nullptr, &color));
  EXPECT_HRESULT_SUCCEEDED(device->CreateRenderTargetView(color.Get(), nullptr, &colorView));
  description.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
  description.BindFlags = D3D11_BIND_DEPTH_STENCIL;
  EXPECT_HRESULT_SUCCEEDED(device->CreateTexture2D(&description, nullptr, &depth));
  EXPECT_HRESULT_SUCCEEDED(device->CreateDepthStencilView(depth.Get(), nullptr, &depthView));
}

void Canvas::clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  // The target stores sRGB: clear with the linear values those bytes stand for.
  auto linear = [](std::uint8_t byte) {
    const float c = byte / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
  };
  const float clearColor[4] = {linear(red), linear(green), linear(blue), 1.0f};
  context->ClearRenderTargetView(colorView.Get(), clearColor);
  context->ClearDepthStencilView(depthView.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
  ID3D11RenderTargetView* const views[] = {colorView.Get()};
  context->OMSetRenderTargets(1, views, depthView.Get());
  const D3D11_VIEWPORT viewport{0, 0, float(width), float(height), 0, 1};
  context->RSSetViewports(1, &viewport);
}

std::vector<std::uint8_t> Canvas::read() {
  D3D11_TEXTURE2D_DESC description{};
  color->GetDesc(&description);
  description.Usage = D3D11_USAGE_STAGING;
  description.BindFlags = 0;
  description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  ComPtr<ID3D11Texture2D> staging;
  EXPECT_HRESULT_SUCCEEDED(device->CreateTexture2D(&description, nullptr, &staging));
  context->CopyResource(staging.Get(), color.Get());
  D3D11_MAPPED_SUBRESOURCE mapped{};
  std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
  if (FAILED(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped))) {
    ADD_FAILURE() << "Map of the staging copy failed";
    return pixels;
  }
  for (std::uint32_t row = 0; row < height; ++row) {
    std::memcpy(&pixels[std::size_t(row) * width * 4],
                static_cast<const std::uint8_t*>(mapped.pData) + std::size_t(row) * mapped.RowPitch,
                std::size_t(width) * 4);
  }
  context->Unmap(staging.Get(), 0);
  return pixels;
}

std::string Canvas::save(const std::vector<std::uint8_t>& pixels, const std::string& name) const {
  const std::string folder = OSTREL_ARTIFACTS;
  std::filesystem::create_directories(widen(folder));
  const std::string path = folder + "/" + name + ".png";
  EXPECT_TRUE(stbi_write_png(path.c_str(), int(width), int(height), 4, pixels.data(),
                             int(width) * 4))
      << path;
  return path;
}

Pixel pixelAt(const std::vector<std::uint8_t>& pixels, std::uint32_t width, std::uint32_t x,
              std::uint32_t y) {
  const std::size_t at = (std::size_t(y) * width + x) * 4;
  return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

}  // namespace ostrel::testing
