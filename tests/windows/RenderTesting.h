// What the rendering tests and the post-processing benchmark share: a Direct3D 11 device
// without a window, pictures moved between the CPU and the GPU, and a working directory
// from which the production's resources are found.
#pragma once

#include "render/DepthTarget.h"
#include "render/RenderTarget.h"

#include <d3d11.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::testing {

template <class T>
using ComPtr = Microsoft::WRL::ComPtr<T>;

// A hardware device at feature level 11_0 and its immediate context, made once.
struct TestDevice {
  ID3D11Device* device;
  ID3D11DeviceContext* context;
};
TestDevice testDevice();

// 8-bit RGBA pixels, rows top to bottom, as stored in an R8G8B8A8 texture (sRGB-encoded for
// the sRGB formats).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;

  Picture() = default;
  Picture(int width, int height)
      : width(width), height(height), rgba(std::size_t(width) * height * 4) {}
  std::uint8_t* at(int x, int y) { return &rgba[(std::size_t(y) * width + x) * 4]; }
  const std::uint8_t* at(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

// An immutable texture holding picture, and its view.
ComPtr<ID3D11ShaderResourceView> upload(const Picture& picture,
                                        DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);

// The pixels of an R8G8B8A8 texture, through a staging copy.
Picture readBack(ID3D11Texture2D* texture);
// The pixels of an R32G32B32A32_FLOAT texture, four floats each.
std::vector<float> readBackFloats(ID3D11Texture2D* texture);

// A target of that size on the test device (8-bit sRGB unless said otherwise).
RenderTarget makeTarget(int width, int height,
                        DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
// A depth target of that size holding depth everywhere.
DepthTarget makeDepth(int width, int height, float depth);
// Fills a depth target with a depth that recedes from left to right, from 8 near-plane
// distances at the left edge to 1000 at the right (tests/data/shaders/depth_ramp.hlsl).
void drawDepthRamp(DepthTarget& depth);

// Makes the folder the current directory for the object's lifetime.
class ScopedWorkingDirectory {
public:
  explicit ScopedWorkingDirectory(const std::wstring& folder);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
  std::wstring previous_;
};

// The checkout's root, which holds the production's "resources" folder.
std::wstring sourceFolder();
// A file of the tests' own data (tests/data/...), as a Windows path with backslashes.
std::wstring testDataPath(const std::wstring& relative);
// The folder for pictures the tests keep, created on first use.
std::wstring artifactsFolder();

// Writes picture as a PNG file.
bool writePng(const std::wstring& path, const Picture& picture);

// Largest difference of any channel between two pictures of the same size.
int largestDifference(const Picture& a, const Picture& b);

}  // namespace ostrel::testing
