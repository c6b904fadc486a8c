// Scene files and the drawing target of the scene tests.
#include "tests/windows/SceneTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace ostrel::testing {

std::wstring sceneFile(const char* name) {
  return testDataPath(L"scenes/" + std::filesystem::path(name).wstring());
}

std::wstring assimpModel(const char* name) {
  return std::wstring(L"" OSTREL_ASSIMP_MODELS L"/") + std::filesystem::path(name).wstring();
}

Canvas::Canvas(int width, int height)
    : width(width),
      height(height),
      color(makeTarget(width, height)),
      depth(makeDepth(width, height, 1.0f)) {}

void Canvas::clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  auto linear = [](std::uint8_t byte) {
    const float c = byte / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
  };
  const float clearColor[4] = {linear(red), linear(green), linear(blue), 1.0f};
  ID3D11DeviceContext* context = testDevice().context;
  context->ClearRenderTargetView(color.renderTargetView.Get(), clearColor);
  context->ClearDepthStencilView(depth.depthStencilView.Get(),
                                 D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
  ID3D11RenderTargetView* const views[] = {color.renderTargetView.Get()};
  context->OMSetRenderTargets(1, views, depth.depthStencilView.Get());
  const D3D11_VIEWPORT viewport{0, 0, float(width), float(height), 0, 1};
  context->RSSetViewports(1, &viewport);
  // The scene pass draws with the default states, as the frame sets them.
  context->RSSetState(nullptr);
  context->OMSetDepthStencilState(nullptr, 0);
  context->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFF);
}

Picture Canvas::read() const {
  ID3D11RenderTargetView* const none[] = {nullptr};
  testDevice().context->OMSetRenderTargets(1, none, nullptr);
  return readBack(color.texture.Get());
}

void Canvas::save(const Picture& picture, const std::string& name) const {
  const std::wstring path =
      artifactsFolder() + L"/" + std::filesystem::path(name).wstring() + L".png";
  EXPECT_TRUE(writePng(path, picture));
}

}  // namespace ostrel::testing
