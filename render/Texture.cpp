// Image decoding with stb_image and the upload as an immutable texture.
#include "render/Texture.h"

#include "render/CreationCheck.h"
#include "render/TextureDescription.h"
#include "registry/TextConversion.h"

#include <stb/stb_image.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ostrel {
namespace {

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// Pixels as uploaded: tightly packed rows of bytesPerPixel bytes.
struct Image {
  int width = 0;
  int height = 0;
  int bytesPerPixel = 0;
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
  std::vector<stbi_uc> pixels;
};

DXGI_FORMAT formatForChannels(int channels) {
  switch (channels) {
    case 1: return DXGI_FORMAT_R8_UNORM;
    case 2: return DXGI_FORMAT_R8G8_UNORM;
    default: return DXGI_FORMAT_R8G8B8A8_UNORM_SRGB;  // three are widened to four
  }
}

// Red, green and blue copied, alpha 255: there is no three-byte texture format.
std::vector<stbi_uc> widenToFourChannels(const stbi_uc* rgb, std::size_t pixelCount) {
  std::vector<stbi_uc> rgba(pixelCount * 4);
  for (std::size_t i = 0; i < pixelCount; ++i) {
    std::memcpy(&rgba[i * 4], &rgb[i * 3], 3);
    rgba[i * 4 + 3] = 255;
  }
  return rgba;
}

Image decode(const std::string& path) {
  Image image;
  int channels = 0;
  // Asking for 0 channels keeps the file's own count.
  std::unique_ptr<stbi_uc, StbFree> decoded(
      stbi_load(path.c_str(), &image.width, &image.height, &channels, 0));
  if (!decoded) {
    throw std::runtime_error("Unable to load texture file: " + path);
  }
  const std::size_t pixelCount = std::size_t(image.width) * std::size_t(image.height);
  image.format = formatForChannels(channels);
  if (channels == 3) {
    image.pixels = widenToFourChannels(decoded.get(), pixelCount);
    image.bytesPerPixel = 4;
  } else {
    image.pixels.assign(decoded.get(), decoded.get() + pixelCount * std::size_t(channels));
    image.bytesPerPixel = channels;
  }
  return image;
}

}  // namespace

Texture::Texture() : resources(masterResources()), folder(toUtf8(resources.files["textures"])) {}

void Texture::load(ID3D11Device* device, const std::string& fileName) {
  const std::string path = folder + fileName;
  const Image image = decode(path);

  const D3D11_TEXTURE2D_DESC description = textureDescription(
      UINT(image.width), UINT(image.height), image.format, D3D11_BIND_SHADER_RESOURCE);
  const D3D11_SUBRESOURCE_DATA data{image.pixels.data(), UINT(image.width * image.bytesPerPixel),
                                    0};
  Microsoft::WRL::ComPtr<ID3D11Texture2D> texture;
  if (!logCreation(device->CreateTexture2D(&description, &data, &texture),
                   "CreateTexture2D for " + path)) {
    return;
  }

  D3D11_SHADER_RESOURCE_VIEW_DESC viewDescription{};
  viewDescription.Format = image.format;
  viewDescription.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
  viewDescription.Texture2D = {0, 1};
  logCreation(device->CreateShaderResourceView(texture.Get(), &viewDescription, &view),
              "CreateShaderResourceView for " + path);
}

}  // namespace ostrel
