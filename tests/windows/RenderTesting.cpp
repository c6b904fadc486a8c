// Device, uploads, readbacks and folders for the rendering tests.
#include "tests/windows/RenderTesting.h"

#include "registry/TextConversion.h"
#include "render/PostProcessorBase.h"
#include "render/Shader.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace ostrel::testing {
namespace {

void check(HRESULT result, const char* call) {
  if (FAILED(result)) {
    char text[96];
    std::snprintf(text, sizeof(text), "%s failed (0x%08lX)", call,
                  static_cast<unsigned long>(result));
    throw std::runtime_error(text);
  }
}

ComPtr<ID3D11Texture2D> stagingCopy(ID3D11Texture2D* texture) {
  D3D11_TEXTURE2D_DESC description{};
  texture->GetDesc(&description);
  description.Usage = D3D11_USAGE_STAGING;
  description.BindFlags = 0;
  description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  description.MiscFlags = 0;
  description.MipLevels = 1;
  ComPtr<ID3D11Texture2D> staging;
  check(testDevice().device->CreateTexture2D(&description, nullptr, &staging),
        "CreateTexture2D (staging)");
  testDevice().context->CopySubresourceRegion(staging.Get(), 0, 0, 0, 0, texture, 0, nullptr);
  return staging;
}

// Copies rows of rowBytes bytes out of a mapped staging texture.
std::vector<std::uint8_t> mappedRows(ID3D11Texture2D* staging, std::size_t rowBytes, UINT rows) {
  D3D11_MAPPED_SUBRESOURCE mapped{};
  check(testDevice().context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped), "Map (staging)");
  std::vector<std::uint8_t> bytes(rowBytes * rows);
  for (UINT y = 0; y < rows; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(mapped.pData) + y * mapped.RowPitch;
    std::memcpy(&bytes[y * rowBytes], row, rowBytes);
  }
  testDevice().context->Unmap(staging, 0);
  return bytes;
}

std::wstring fromEnvironment(const wchar_t* name, const wchar_t* fallback) {
  const wchar_t* value = _wgetenv(name);
  return value && *value ? value : fallback;
}

}  // namespace

TestDevice testDevice() {
  static ComPtr<ID3D11Device> device;
  static ComPtr<ID3D11DeviceContext> context;
  if (!device) {
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    check(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1,
                            D3D11_SDK_VERSION, &device, nullptr, &context),
          "D3D11CreateDevice");
  }
  return {device.Get(), context.Get()};
}

ComPtr<ID3D11ShaderResourceView> upload(const Picture& picture, DXGI_FORMAT format) {
  D3D11_TEXTURE2D_DESC description{};
  description.Width = UINT(picture.width);
  description.Height = UINT(picture.height);
  description.MipLevels = 1;
  description.ArraySize = 1;
  description.Format = format;
  description.SampleDesc = {1, 0};
  description.Usage = D3D11_USAGE_IMMUTABLE;
  description.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  const D3D11_SUBRESOURCE_DATA data{picture.rgba.data(), UINT(picture.width * 4), 0};
  ComPtr<ID3D11Texture2D> texture;
  check(testDevice().device->CreateTexture2D(&description, &data, &texture),
        "CreateTexture2D (picture)");
  ComPtr<ID3D11ShaderResourceView> view;
  check(testDevice().device->CreateShaderResourceView(texture.Get(), nullptr, &view),
        "CreateShaderResourceView (picture)");
  return view;
}

Picture readBack(ID3D11Texture2D* texture) {
  D3D11_TEXTURE2D_DESC description{};
  texture->GetDesc(&description);
  Picture picture(int(description.Width), int(description.Height));
  picture.rgba = mappedRows(stagingCopy(texture).Get(), description.Width * 4, description.Height);
  return picture;
}

std::vector<float> readBackFloats(ID3D11Texture2D* texture) {
  D3D11_TEXTURE2D_DESC description{};
  texture->GetDesc(&description);
  const std::vector<std::uint8_t> bytes =
      mappedRows(stagingCopy(texture).Get(), description.Width * 16, description.Height);
  std::vector<float> values(bytes.size() / sizeof(float));
  std::memcpy(values.data(), bytes.data(), bytes.size());
  return values;
}

RenderTarget makeTarget(int width, int height, DXGI_FORMAT format) {
  RenderTarget target;
  target.create(testDevice().device, UINT(width), UINT(height), format);
  if (!target.texture || !target.renderTargetView || !target.shaderResourceView) {
    throw std::runtime_error("No render target of format " + std::to_string(int(format)));
  }
  return target;
}

DepthTarget makeDepth(int width, int height, float depth) {
  DepthTarget target;
  target.create(testDevice().device, UINT(width), UINT(height));
  testDevice().context->ClearDepthStencilView(target.depthStencilView.Get(), D3D11_CLEAR_DEPTH,
                                              depth, 0);
  return target;
}

void drawDepthRamp(DepthTarget& depth) {
  ScopedWorkingDirectory root(sourceFolder());
  ID3D11Device* device = testDevice().device;
  ID3D11DeviceContext* context = testDevice().context;
  PostProcessorBase quad;
  quad.init(device);
  Shader ramp(device);
  ramp.loadPixelShader(testDataPath(L"shaders/depth_ramp.hlsl"), "p");

  D3D11_DEPTH_STENCIL_DESC writeAlways{};
  writeAlways.DepthEnable = TRUE;
  writeAlways.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
  writeAlways.DepthFunc = D3D11_COMPARISON_ALWAYS;
  ComPtr<ID3D11DepthStencilState> state;
  check(device->CreateDepthStencilState(&writeAlways, &state), "CreateDepthStencilState");

  quad.apply(context, nullptr, nullptr);
  context->OMSetDepthStencilState(state.Get(), 0);
  context->OMSetRenderTargets(0, nullptr, depth.depthStencilView.Get());
  const D3D11_VIEWPORT viewport{0, 0, float(depth.width), float(depth.height), 0, 1};
  context->RSSetViewports(1, &viewport);
  context->PSSetShader(ramp.pixelShader.Get(), nullptr, 0);
  context->DrawIndexed(6, 0, 0);
  context->OMSetRenderTargets(0, nullptr, nullptr);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::wstring& folder)
    : previous_(std::filesystem::current_path().wstring()) {
  std::filesystem::current_path(folder);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::wstring sourceFolder() { return fromEnvironment(L"OSTREL_SOURCE_DIR", L"" OSTREL_SOURCE_DIR); }

std::wstring testDataPath(const std::wstring& relative) {
  // Backslashes throughout: Wine's compiler finds a file's own includes beside it only then.
  std::wstring path = std::wstring(L"" OSTREL_TEST_DATA L"/") + relative;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring artifactsFolder() {
  const std::wstring folder = fromEnvironment(L"OSTREL_ARTIFACTS", L"" OSTREL_ARTIFACTS);
  std::filesystem::create_directories(folder);
  return folder;
}

bool writePng(const std::wstring& path, const Picture& picture) {
  return stbi_write_png(toUtf8(path).c_str(), picture.width, picture.height, 4, picture.rgba.data(),
                        picture.width * 4) != 0;
}

int largestDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) {
    return 256;
  }
  int largest = 0;
  for (std::size_t i = 0; i < a.rgba.size(); ++i) {
    largest = std::max(largest, std::abs(int(a.rgba[i]) - int(b.rgba[i])));
  }
  return largest;
}

}  // namespace ostrel::testing
