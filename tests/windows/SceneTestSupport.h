// What the scene tests share: a Direct3D 11 device without a window, the project's own
// folder as working directory (the scene program is read from "resources\shaders"), a small
// sRGB target with a depth buffer to draw into and read back, and saving what was drawn.
#pragma once

#include <d3d11.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::testing {

template <class T>
using ComPtr = Microsoft::WRL::ComPtr<T>;

// The test data folder's scene files, as wide paths.
std::wstring sceneFile(const char* name);
// One of assimp's own Collada test files.
std::wstring assimpModel(const char* name);

// Changes the working directory to the project's folder for the life of the object.
class InProjectFolder {
public:
  InProjectFolder();
  ~InProjectFolder();

private:
  std::wstring previous;
};

struct TestDevice {
  TestDevice();
  ComPtr<ID3D11Device> device;
  ComPtr<ID3D11DeviceContext> context;
};

// An 8-bit sRGB colour target and a depth buffer of one size, bound with a viewport over
// them; pixels read back as sRGB bytes.
class Canvas {
public:
  Canvas(ID3D11Device* device, ID3D11DeviceContext* context, std::uint32_t width,
         std::uint32_t height);

  // Binds the target, the depth buffer and the viewport; clears colour (given in sRGB bytes,
  // so that reads compare with it directly) and depth (to 1).
  void clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  // Every pixel as RGBA bytes, row by row.
  std::vector<std::uint8_t> read();
  // Saves what read() returned as a PNG under the artifacts folder; returns its path.
  std::string save(const std::vector<std::uint8_t>& pixels, const std::string& name) const;

  std::uint32_t width;
  std::uint32_t height;

private:
  ID3D11Device* device;
  ID3D11DeviceContext* context;
  ComPtr<ID3D11Texture2D> color;
  ComPtr<ID3D11RenderTargetView> colorView;
  ComPtr<ID3D11Texture2D> depth;
  ComPtr<ID3D11DepthStencilView> depthView;
};

struct Pixel {
  std::uint8_t r, g, b;
};
Pixel pixelAt(const std::vector<std::uint8_t>& pixels, std::uint32_t width, std::uint32_t x,
              std::uint32_t y);

}  // namespace ostrel::testing
