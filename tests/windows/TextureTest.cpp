// Textures from image files: the format follows the channel count, three channels gain an
// opaque alpha, and a file that cannot be read is named in the error.
#include "render/Texture.h"
#include "tests/windows/RenderTesting.h"

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using testing::ComPtr;
using testing::testDevice;

constexpr int kWidth = 5;
constexpr int kHeight = 3;

// A working directory with a "resources\textures\" folder holding the test images.
class TextureTest : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() / "ostrel-texture-test";
    fs::remove_all(root);
    fs::create_directories(root / "resources" / "textures");
    workingDirectory = std::make_unique<testing::ScopedWorkingDirectory>(root.wstring());
  }
  void TearDown() override {
    workingDirectory.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  // An image whose bytes count up from channel seed, so that every texel differs.
  std::vector<std::uint8_t> writeImage(const char* name, int channels) {
    std::vector<std::uint8_t> bytes(kWidth * kHeight * channels);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = std::uint8_t(17 + i * 7);
    }
    const fs::path path = root / "resources" / "textures" / name;
    EXPECT_NE(stbi_write_png(path.string().c_str(), kWidth, kHeight, channels, bytes.data(),
                             kWidth * channels),
              0);
    return bytes;
  }

  static DXGI_FORMAT viewFormat(const Texture& texture) {
    D3D11_SHADER_RESOURCE_VIEW_DESC description{};
    texture.view->GetDesc(&description);
    return description.Format;
  }

  fs::path root;
  std::unique_ptr<testing::ScopedWorkingDirectory> workingDirectory;
};

TEST_F(TextureTest, FormatFollowsTheChannelCount) {
  const struct {
    const char* name;
    int channels;
    DXGI_FORMAT format;
  } cases[] = {{"one.png", 1, DXGI_FORMAT_R8_UNORM},
               {"two.png", 2, DXGI_FORMAT_R8G8_UNORM},
               {"three.png", 3, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB},
               {"four.png", 4, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB}};
  for (const auto& image : cases) {
    writeImage(image.name, image.channels);
    Texture texture;
    EXPECT_EQ(texture.folder, "resources\\textures\\");
    texture.load(testDevice().device, image.name);
    ASSERT_NE(texture.view, nullptr) << image.name;
    EXPECT_EQ(viewFormat(texture), image.format) << image.name;
  }
}

TEST_F(TextureTest, ThreeChannelsKeepTheirColourAndBecomeOpaque) {
  const std::vector<std::uint8_t> rgb = writeImage("three.png", 3);
  Texture texture;
  texture.load(testDevice().device, "three.png");
  ASSERT_NE(texture.view, nullptr);
  ComPtr<ID3D11Resource> resource;
  texture.view->GetResource(&resource);
  ComPtr<ID3D11Texture2D> uploaded;
  ASSERT_HRESULT_SUCCEEDED(resource.As(&uploaded));
  const testing::Picture picture = testing::readBack(uploaded.Get());
  ASSERT_EQ(picture.width, kWidth);
  ASSERT_EQ(picture.height, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint8_t* texel = picture.at(x, y);
      const std::size_t source = (std::size_t(y) * kWidth + x) * 3;
      EXPECT_EQ(texel[0], rgb[source]);
      EXPECT_EQ(texel[1], rgb[source + 1]);
      EXPECT_EQ(texel[2], rgb[source + 2]);
      EXPECT_EQ(texel[3], 255);
    }
  }
}

TEST_F(TextureTest, AnUnreadableFileIsNamedInTheError) {
  std::ofstream(root / "resources" / "textures" / "not-an-image.png") << "plain text";
  for (const char* name : {"missing.png", "not-an-image.png"}) {
    Texture texture;
    try {
      texture.load(testDevice().device, name);
      ADD_FAILURE() << name << " loaded";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()),
                std::string("Unable to load texture file: resources\\textures\\") + name);
    }
    EXPECT_EQ(texture.view, nullptr);
  }
}

}  // namespace
}  // namespace ostrel
