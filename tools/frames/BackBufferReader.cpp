// Reading the back buffer through a staging copy.
#include "tools/frames/BackBufferReader.h"

#include <fmt/format.h>
#include <stb/stb_image_write.h>

#include <cstring>
#include <stdexcept>

namespace ostrel::frames {
namespace {

void check(HRESULT result, const char* call) {
  if (FAILED(result)) {
    throw std::runtime_error(fmt::format("{} failed (0x{:08X})", call, unsigned(result)));
  }
}

Microsoft::WRL::ComPtr<ID3D11Texture2D> backBufferOf(IDXGISwapChain* swapChain) {
  Microsoft::WRL::ComPtr<ID3D11Texture2D> buffer;
  check(swapChain->GetBuffer(0, IID_PPV_ARGS(&buffer)), "IDXGISwapChain::GetBuffer");
  return buffer;
}

}  // namespace

BackBufferReader::BackBufferReader(ID3D11Device* device, ID3D11DeviceContext* context,
                                   IDXGISwapChain* swapChain)
    : context(context), swapChain(swapChain) {
  backBufferOf(swapChain)->GetDesc(&description);
  D3D11_TEXTURE2D_DESC copy = description;
  copy.Usage = D3D11_USAGE_STAGING;
  copy.BindFlags = 0;
  copy.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  copy.MiscFlags = 0;
  check(device->CreateTexture2D(&copy, nullptr, &staging), "CreateTexture2D (staging)");
  const D3D11_QUERY_DESC query{D3D11_QUERY_EVENT, 0};
  check(device->CreateQuery(&query, &finished), "CreateQuery (event)");
}

Picture BackBufferReader::read() {
  context->CopyResource(staging.Get(), backBufferOf(swapChain).Get());
  D3D11_MAPPED_SUBRESOURCE mapped{};
  check(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped), "Map (staging)");
  Picture picture{description.Width, description.Height, {}};
  const std::size_t rowBytes = std::size_t(picture.width) * 4;
  picture.rgba.resize(rowBytes * picture.height);
  for (std::uint32_t row = 0; row < picture.height; ++row) {
    std::memcpy(&picture.rgba[row * rowBytes],
                static_cast<const std::uint8_t*>(mapped.pData) + std::size_t(row) * mapped.RowPitch,
                rowBytes);
  }
  context->Unmap(staging.Get(), 0);
  for (std::size_t alpha = 3; alpha < picture.rgba.size(); alpha += 4) {
    picture.rgba[alpha] = 255;  // the screen shows no alpha
  }
  return picture;
}

void BackBufferReader::waitForDevice() {
  context->End(finished.Get());
  BOOL done = FALSE;
  HRESULT result = S_FALSE;
  while ((result = context->GetData(finished.Get(), &done, sizeof done, 0)) == S_FALSE) {
    Sleep(0);
  }
  check(result, "GetData (event query)");
}

void writePng(const std::string& path, const Picture& picture) {
  if (!stbi_write_png(path.c_str(), int(picture.width), int(picture.height), 4,
                      picture.rgba.data(), int(picture.width * 4))) {
    throw std::runtime_error("Unable to write the picture " + path);
  }
}

}  // namespace ostrel::frames
