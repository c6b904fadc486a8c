#include "tools/frames/CopyYardstick.h"

#include <d3dcompiler.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>

namespace ostrel::frames {
namespace {

// The same program as the post-processing benchmark's copy, self-contained so that the
// installed production needs no file for it.
constexpr char kCopyProgram[] = R"(
Texture2D source : register(t0);
float4 p(float4 position : SV_Position) : SV_Target0
{
    return source.Load(int3(position.xy, 0));
}
)";

Microsoft::WRL::ComPtr<ID3D11PixelShader> compiledCopy(ID3D11Device* device) {
  Microsoft::WRL::ComPtr<ID3DBlob> code;
  Microsoft::WRL::ComPtr<ID3DBlob> errors;
  const char* profile = device->GetFeatureLevel() >= D3D_FEATURE_LEVEL_11_0 ? "ps_5_0" : "ps_4_0";
  if (FAILED(D3DCompile(kCopyProgram, sizeof(kCopyProgram) - 1, "copy", nullptr, nullptr, "p",
                        profile, 0, 0, &code, &errors))) {
    const std::string message =
        errors ? static_cast<const char*>(errors->GetBufferPointer()) : "no message";
    throw std::runtime_error("The benchmark's copy program does not compile: " + message);
  }
  Microsoft::WRL::ComPtr<ID3D11PixelShader> program;
  if (FAILED(device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr,
                                       &program))) {
    throw std::runtime_error("The benchmark's copy program cannot be created");
  }
  return program;
}

}  // namespace

CopyYardstick::CopyYardstick(ID3D11Device* device, ID3D11DeviceContext* context,
                             std::uint32_t width, std::uint32_t height,
                             std::function<void()> waitForDevice)
    : context(context), waitForDevice(std::move(waitForDevice)), program(compiledCopy(device)) {
  pass.init(device);
  pass.resize(std::int32_t(width), std::int32_t(height));
  from.create(device, width, height, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
  to.create(device, width, height, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
}

void CopyYardstick::copyOnce() {
  pass.apply(context, from.shaderResourceView.Get(), to.renderTargetView.Get());
  pass.inputs = {from.shaderResourceView.Get()};
  pass.outputs = {to.renderTargetView.Get()};
  pass.draw(program.Get());
  waitForDevice();
}

double CopyYardstick::milliseconds(int runs) {
  copyOnce();
  double fastest = 1e30;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    copyOnce();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    fastest = std::min(fastest, took.count());
  }
  return fastest;
}

}  // namespace ostrel::frames
