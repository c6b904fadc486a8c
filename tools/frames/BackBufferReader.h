// What a frame drew into the swap chain's back buffer, read back before it is presented, and
// a wait for the device to finish what it was given (to time passes apart).
#pragma once

#include <d3d11.h>
#include <dxgi.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::frames {

// 8-bit RGBA, sRGB-encoded as shown on screen, rows top to bottom, alpha 255.
struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;
};

class BackBufferReader {
public:
  // Throws std::runtime_error, naming the call, when its staging texture or query cannot be
  // made.
  BackBufferReader(ID3D11Device* device, ID3D11DeviceContext* context, IDXGISwapChain* swapChain);

  Picture read();
  void waitForDevice();

private:
  ID3D11DeviceContext* context;  // not owned
  IDXGISwapChain* swapChain;     // not owned
  Microsoft::WRL::ComPtr<ID3D11Texture2D> staging;
  Microsoft::WRL::ComPtr<ID3D11Query> finished;
  D3D11_TEXTURE2D_DESC description{};
};

// Writes picture as a PNG file (path in UTF-8). Throws std::runtime_error naming the file.
void writePng(const std::string& path, const Picture& picture);

}  // namespace ostrel::frames
