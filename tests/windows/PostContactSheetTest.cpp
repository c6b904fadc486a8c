// The contact sheet of the post-processing passes: a colourful test picture through each
// pass at the production's resting values and at strong settings, and through the whole
// chain, kept as artifacts/post-contact-sheet.png for people to look at. Each tile is
// rendered at 960 x 540 (the passes size their effects by the output's height) and shown
// at half size with its label.
#include "render/PostBloom.h"
#include "render/PostColorCorrect.h"
#include "render/PostDepthOfField.h"
#include "render/PostFastApproximateAntiAlias.h"
#include "render/PostLensDistort.h"
#include "render/PostTextureOverlay.h"
#include "tests/windows/RenderTesting.h"
#include "tests/windows/TestPicture.h"

#include <gtest/gtest.h>
#include <stb/stb_easy_font.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace ostrel {
namespace {

using testing::ComPtr;
using testing::Picture;
using testing::testDevice;

constexpr int kWidth = 960;
constexpr int kHeight = 540;
constexpr int kColumns = 4;
constexpr int kTile = 2;  // tiles show every second pixel each way (a 2 x 2 average)

struct Tile {
  std::string label;
  Picture picture;
};

// Half size by averaging 2 x 2 blocks.
Picture halfSize(const Picture& picture) {
  Picture half(picture.width / kTile, picture.height / kTile);
  for (int y = 0; y < half.height; ++y) {
    for (int x = 0; x < half.width; ++x) {
      for (int c = 0; c < 4; ++c) {
        const int sum = picture.at(2 * x, 2 * y)[c] + picture.at(2 * x + 1, 2 * y)[c] +
                        picture.at(2 * x, 2 * y + 1)[c] + picture.at(2 * x + 1, 2 * y + 1)[c];
        half.at(x, y)[c] = std::uint8_t((sum + 2) / 4);
      }
    }
  }
  return half;
}

// A 4x magnified crop: the left half of the tile from before, the right half from after.
Picture magnifiedComparison(const Picture& before, const Picture& after, int left, int top) {
  Picture tile(kWidth / kTile, kHeight / kTile);
  for (int y = 0; y < tile.height; ++y) {
    for (int x = 0; x < tile.width; ++x) {
      const bool right = x >= tile.width / 2;
      const Picture& source = right ? after : before;
      const int sx = left + (x - (right ? tile.width / 2 : 0)) / 4, sy = top + y / 4;
      std::copy_n(source.at(sx, sy), 4, tile.at(x, y));
      if (x == tile.width / 2) {
        std::fill_n(tile.at(x, y), 3, std::uint8_t(255));
      }
    }
  }
  return tile;
}

// Writes text at (x, y) in white on a dark box, at twice the font's size.
void label(Picture& sheet, int x, int y, const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  static float vertices[4 * 4 * 2000];
  const int quads = stb_easy_font_print(0, 0, buffer.data(), nullptr, vertices, sizeof(vertices));
  const int width = stb_easy_font_width(buffer.data()) * 2 + 8, height = 26;
  for (int py = y; py < y + height && py < sheet.height; ++py) {
    for (int px = x; px < x + width && px < sheet.width; ++px) {
      std::uint8_t* pixel = sheet.at(px, py);
      for (int c = 0; c < 3; ++c) pixel[c] = std::uint8_t(pixel[c] / 4);
    }
  }
  for (int q = 0; q < quads; ++q) {
    const float* corner = &vertices[q * 16];  // four vertices of x, y, z, colour
    const int x0 = x + 4 + int(corner[0] * 2), y0 = y + 6 + int(corner[1] * 2);
    const int x1 = x + 4 + int(corner[8] * 2), y1 = y + 6 + int(corner[9] * 2);
    for (int py = y0; py < y1 && py < sheet.height; ++py) {
      for (int px = x0; px < x1 && px < sheet.width; ++px) {
        std::fill_n(sheet.at(px, py), 3, std::uint8_t(255));
      }
    }
  }
}

Picture contactSheet(const std::vector<Tile>& tiles) {
  const int tileWidth = kWidth / kTile, tileHeight = kHeight / kTile;
  const int rows = int(tiles.size() + kColumns - 1) / kColumns;
  Picture sheet(kColumns * tileWidth, rows * tileHeight);
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const int left = int(i % kColumns) * tileWidth, top = int(i / kColumns) * tileHeight;
    for (int y = 0; y < tileHeight; ++y) {
      std::copy_n(tiles[i].picture.at(0, y), tileWidth * 4, sheet.at(left, top + y));
    }
    label(sheet, left + 4, top + 4, tiles[i].label);
  }
  return sheet;
}

// Standard deviation of the green channel: a flat picture has none.
double spread(const Picture& picture) {
  double sum = 0, squares = 0;
  const double count = double(picture.width) * picture.height;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const double value = picture.at(x, y)[1];
      sum += value, squares += value * value;
    }
  }
  return std::sqrt(std::max(0.0, squares / count - (sum / count) * (sum / count)));
}

class ContactSheet : public ::testing::Test {
protected:
  ContactSheet() : root(testing::sourceFolder()) {
    for (PostProcessorBase* pass : std::initializer_list<PostProcessorBase*>{
             &dof, &lens, &colour, &overlay, &bloom, &fxaa}) {
      pass->resize(kWidth, kHeight);
    }
    testing::drawDepthRamp(depth);
  }

  template <class Pass>
  Pass created() {
    Pass pass;
    pass.create(testDevice().device, kWidth, kHeight);
    return pass;
  }

  // Runs draw into a fresh target and reads it back.
  Picture run(const std::function<void(ID3D11RenderTargetView*)>& draw) {
    draw(result.renderTargetView.Get());
    return testing::readBack(result.texture.Get());
  }

  // Depth of field, lens, bloom, overlay and colour, as the production runs them.
  Picture chain() {
    dof.apply(context, input.Get(), depth.shaderResourceView.Get(), targetA.renderTargetView.Get());
    lens.apply(context, targetA.shaderResourceView.Get(), targetB.renderTargetView.Get());
    bloom.apply(context, targetB.shaderResourceView.Get(), targetA.renderTargetView.Get());
    overlay.apply(context, targetA.shaderResourceView.Get(), logo.Get(),
                  targetB.renderTargetView.Get());
    return run([&](auto* out) { colour.apply(context, targetB.shaderResourceView.Get(), out); });
  }

  testing::ScopedWorkingDirectory root;
  ID3D11DeviceContext* context = testDevice().context;
  Picture picture = testing::testPicture(kWidth, kHeight);
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(picture);
  ComPtr<ID3D11ShaderResourceView> logo = testing::upload(testing::overlayImage(kWidth, kHeight));
  DepthTarget depth = testing::makeDepth(kWidth, kHeight, 1.0f);
  RenderTarget targetA = testing::makeTarget(kWidth, kHeight);
  RenderTarget targetB = testing::makeTarget(kWidth, kHeight);
  RenderTarget result = testing::makeTarget(kWidth, kHeight);
  PostDepthOfField dof = created<PostDepthOfField>();
  PostLensDistort lens = created<PostLensDistort>();
  PostColorCorrect colour = created<PostColorCorrect>();
  PostTextureOverlay overlay = created<PostTextureOverlay>();
  PostBloom bloom = created<PostBloom>();
  PostFastApproximateAntiAlias fxaa = created<PostFastApproximateAntiAlias>();
};

TEST_F(ContactSheet, ShowsEveryPassAtRestAndAtStrongSettings) {
  std::vector<Tile> tiles;
  auto add = [&](std::string name, const Picture& full) {
    tiles.push_back({std::move(name), halfSize(full)});
  };
  add("input", picture);
  add("whole chain at rest", chain());

  auto depthOfField = [&](auto* out) {
    dof.apply(context, input.Get(), depth.shaderResourceView.Get(), out);
  };
  add("depth of field at rest (near left, far right)", run(depthOfField));
  dof.aperture = 0.04f, dof.limit = 1.0f, dof.focus = 0.6f;
  add("depth of field: aperture 0.04, focus 0.6, limit 1", run(depthOfField));

  auto lensPass = [&](auto* out) { lens.apply(context, input.Get(), out); };
  add("lens at rest", run(lensPass));
  lens.lensParameters = {.distortion = 0.8f, .fringe = 0.15f, .curvature = 0.55f,
                         .vignetteSize = 0.3f, .vignette = 1.0f};
  add("lens: barrel 0.8, fringe 0.15, vignette 1", run(lensPass));

  auto bloomPass = [&](auto* out) { bloom.apply(context, input.Get(), out); };
  add("bloom at rest", run(bloomPass));
  bloom.bloomParameters = {.knee = 0.4f, .threshold = 0.75f, .intensity = 0.4f, .warmth = 0.4f,
                           .halo = 0.6f, .radius = 1.0f, .whiteness = 0.3f};
  add("bloom: threshold 0.75, intensity 0.4, radius 1", run(bloomPass));
  bloom.bloomParameters = {.intensity = 0.4f, .anamorphic = 1.0f, .warmth = -0.4f};
  add("bloom: anamorphic 1, warmth -0.4", run(bloomPass));

  auto colourPass = [&](auto* out) { colour.apply(context, input.Get(), out); };
  add("colour at rest", run(colourPass));
  colour.colorParameters = {.exposure = 0.6f, .saturation = 0.8f, .shadowTint = 0.1f,
                            .grain = 1.0f, .red = 0.9f, .green = 0.5f, .blue = 0.2f,
                            .contrast = 0.9f};
  add("colour: red 0.9, blue 0.2, contrast 0.9, grain 1", run(colourPass));
  colour.colorParameters = ColorConstants{};
  colour.colorParameters.glitchBlocks = colour.colorParameters.glitchSplit =
      colour.colorParameters.glitchTear = 0.6f;
  add("colour: glitch 0.6, 0.6, 0.6", run(colourPass));
  colour.colorParameters = ColorConstants{};
  colour.colorParameters.flash = 0.5f;
  add("colour: flash 0.5", run(colourPass));

  overlay.opacity = 0.8f;
  add("overlay: opacity 0.8",
      run([&](auto* out) { overlay.apply(context, input.Get(), logo.Get(), out); }));

  const Picture smoothed = run([&](auto* out) { fxaa.apply(context, input.Get(), out); });
  tiles.push_back({"fxaa x4: before | after",
                   magnifiedComparison(picture, smoothed, kWidth * 83 / 100, kHeight * 3 / 5)});

  for (const Tile& tile : tiles) {
    EXPECT_GT(spread(tile.picture), 12.0) << tile.label << " is flat";
  }
  const Picture sheet = contactSheet(tiles);
  const std::wstring path = testing::artifactsFolder() + L"/post-contact-sheet.png";
  EXPECT_TRUE(testing::writePng(path, sheet));
  std::printf("Contact sheet: %ls\n", path.c_str());
}

}  // namespace
}  // namespace ostrel
