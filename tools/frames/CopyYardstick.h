// The yardstick of the frame benchmarks: one plain full-screen copy, 8-bit sRGB to 8-bit
// sRGB, on the production's own device at the frame's size, so that the scene pass and the
// post chain read as multiples of it (figures that mean something on any machine).
#pragma once

#include "render/PostProcessorBase.h"
#include "render/RenderTarget.h"

#include <d3d11.h>
#include <wrl/client.h>

#include <functional>

namespace ostrel::frames {

class CopyYardstick {
public:
  // waitForDevice returns once the device has finished everything submitted.
  CopyYardstick(ID3D11Device* device, ID3D11DeviceContext* context, std::uint32_t width,
                std::uint32_t height, std::function<void()> waitForDevice);

  // The fastest of runs copies after one to warm up, in milliseconds: the machine is
  // shared, and the fastest run is the one least disturbed.
  double milliseconds(int runs = 20);

private:
  void copyOnce();

  ID3D11DeviceContext* context;
  std::function<void()> waitForDevice;
  PostProcessorBase pass;
  Microsoft::WRL::ComPtr<ID3D11PixelShader> program;
  RenderTarget from;
  RenderTarget to;
};

}  // namespace ostrel::frames
