// The post-processing framework and its six passes on the real device: the sizes every
// program is told, the state left behind, and each pass's picture checked by its
// properties.
#include "demo/EffectParameters.h"
#include "render/ParameterBlock.h"
#include "render/PostBloom.h"
#include "render/PostColorCorrect.h"
#include "render/PostDepthOfField.h"
#include "render/PostFastApproximateAntiAlias.h"
#include "render/PostLensDistort.h"
#include "render/PostTextureOverlay.h"
#include "tests/core/LogCapture.h"
#include "tests/windows/RenderTesting.h"
#include "tests/windows/TestPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

namespace ostrel {
namespace {

using testing::ComPtr;
using testing::Picture;
using testing::testDevice;

constexpr int kWidth = 192;
constexpr int kHeight = 108;

// Depth at which an object lies in focus for focus f: the stored depth of 2^(12 f)
// near-plane distances.
float depthInFocus(float focus) { return 1.0f - std::exp2(-12.0f * focus); }

Picture filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = picture.at(x, y);
      pixel[0] = r, pixel[1] = g, pixel[2] = b, pixel[3] = 255;
    }
  }
  return picture;
}

Picture checkerboard(int width, int height) {
  Picture picture = filled(width, height, 20, 20, 20);
  for (int y = 0; y < height; ++y) {
    for (int x = (y % 2); x < width; x += 2) {
      std::fill_n(picture.at(x, y), 3, std::uint8_t(235));
    }
  }
  return picture;
}

// Largest minus smallest red value inside the picture, away from its edges.
int innerSpread(const Picture& picture, int margin) {
  int lowest = 255, highest = 0;
  for (int y = margin; y < picture.height - margin; ++y) {
    for (int x = margin; x < picture.width - margin; ++x) {
      lowest = std::min<int>(lowest, picture.at(x, y)[0]);
      highest = std::max<int>(highest, picture.at(x, y)[0]);
    }
  }
  return highest - lowest;
}

class PostProcessingTest : public ::testing::Test {
protected:
  PostProcessingTest() : root(testing::sourceFolder()) {}

  template <class Pass>
  void create(Pass& pass, int width = kWidth, int height = kHeight) {
    pass.create(testDevice().device, width, height);
    pass.resize(width, height);
  }

  Picture output() { return testing::readBack(target.texture.Get()); }

  testing::ScopedWorkingDirectory root;
  ID3D11DeviceContext* context = testDevice().context;
  RenderTarget target = testing::makeTarget(kWidth, kHeight);
};

TEST_F(PostProcessingTest, ProgramsAreToldTheSizesOfTheirInputsAndOutputAtTheirMipLevels) {
  PostProcessorBase base;
  base.init(testDevice().device);
  testing::LogCapture log;
  Shader sizes(testDevice().device);
  sizes.loadPixelShader(testing::testDataPath(L"shaders/post_sizes.hlsl"), "p");
  ASSERT_NE(sizes.pixelShader, nullptr) << (log.lines().empty() ? "" : log.lines()[0]);
  RenderTarget floats = testing::makeTarget(1920, 1080, DXGI_FORMAT_R32G32B32A32_FLOAT);
  RenderTarget fullSize = testing::makeTarget(1920, 1080);

  base.apply(context, nullptr, nullptr);
  base.inputs = {fullSize.shaderResourceView.Get()};
  base.outputs = {floats.renderTargetView.Get()};
  base.draw(sizes.pixelShader.Get());
  std::vector<float> seen = testing::readBackFloats(floats.texture.Get());
  EXPECT_EQ(std::vector<float>(seen.begin(), seen.begin() + 2), (std::vector<float>{1920, 1080}));
  EXPECT_EQ(std::vector<float>(seen.begin() + 8, seen.begin() + 12),
            (std::vector<float>{1920, 1080, 1920, 1080}));
  D3D11_VIEWPORT viewports[D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE] = {};
  UINT viewportCount = std::size(viewports);
  context->RSGetViewports(&viewportCount, viewports);
  EXPECT_EQ(viewportCount, 1u);
  EXPECT_EQ(viewports[0].Width, 1920.0f);
  EXPECT_EQ(viewports[0].Height, 1080.0f);

  // Three inputs, the third a view of mip level 1 of a 3 x 3 texture.
  RenderTarget wide = testing::makeTarget(64, 32);
  RenderTarget small = testing::makeTarget(16, 8);
  D3D11_TEXTURE2D_DESC mipmapped{3, 3, 2, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0},
                                 D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
  ComPtr<ID3D11Texture2D> texture;
  ASSERT_HRESULT_SUCCEEDED(testDevice().device->CreateTexture2D(&mipmapped, nullptr, &texture));
  D3D11_SHADER_RESOURCE_VIEW_DESC secondMip{};
  secondMip.Format = mipmapped.Format;
  secondMip.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
  secondMip.Texture2D = {1, 1};
  ComPtr<ID3D11ShaderResourceView> mipView;
  ASSERT_HRESULT_SUCCEEDED(
      testDevice().device->CreateShaderResourceView(texture.Get(), &secondMip, &mipView));

  base.inputs = {wide.shaderResourceView.Get(), small.shaderResourceView.Get(), mipView.Get()};
  base.outputs = {floats.renderTargetView.Get()};
  base.draw(sizes.pixelShader.Get());
  seen = testing::readBackFloats(floats.texture.Get());
  EXPECT_EQ(std::vector<float>(seen.begin(), seen.begin() + 6),
            (std::vector<float>{64, 32, 16, 8, 1, 1}));
  EXPECT_TRUE(base.inputs.empty());
  EXPECT_TRUE(base.outputs.empty());
}

TEST_F(PostProcessingTest, EveryPassLeavesNoPixelShaderInputBound) {
  Picture picture = testing::testPicture(kWidth, kHeight);
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(picture);
  DepthTarget depth = testing::makeDepth(kWidth, kHeight, 0.99f);
  ID3D11ShaderResourceView* everywhere[16];
  std::fill(std::begin(everywhere), std::end(everywhere), input.Get());

  PostBloom bloom;
  PostDepthOfField dof;
  PostLensDistort lens;
  PostColorCorrect colour;
  PostTextureOverlay overlay;
  PostFastApproximateAntiAlias fxaa;
  create(bloom), create(dof), create(lens), create(colour), create(overlay), create(fxaa);
  const std::function<void()> passes[] = {
      [&] { bloom.apply(context, input.Get(), target.renderTargetView.Get()); },
      [&] { dof.apply(context, input.Get(), depth.shaderResourceView.Get(),
                      target.renderTargetView.Get()); },
      [&] { lens.apply(context, input.Get(), target.renderTargetView.Get()); },
      [&] { colour.apply(context, input.Get(), target.renderTargetView.Get()); },
      [&] { overlay.apply(context, input.Get(), input.Get(), target.renderTargetView.Get()); },
      [&] { fxaa.apply(context, input.Get(), target.renderTargetView.Get()); }};
  for (std::size_t i = 0; i < std::size(passes); ++i) {
    context->PSSetShaderResources(0, 16, everywhere);
    passes[i]();
    ID3D11ShaderResourceView* bound[16] = {};
    context->PSGetShaderResources(0, 16, bound);
    for (UINT slot = 0; slot < 16; ++slot) {
      EXPECT_EQ(bound[slot], nullptr) << "pass " << i << ", slot " << slot;
      if (bound[slot]) {
        bound[slot]->Release();
      }
    }
  }
}

// A pass straight from set-up shows the production's resting look, the same one the
// timeline's effect values fall back to.
TEST(PostPasses, RestAtTheEffectParametersDefaults) {
  const EffectParameters defaults;
  auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; };
  EXPECT_TRUE(same(parameterBlock<BloomConstants>(defaults.bloomParameters), BloomConstants{}));
  EXPECT_TRUE(same(parameterBlock<LensConstants>(defaults.lensParameters), LensConstants{}));
  EXPECT_TRUE(same(parameterBlock<ColorConstants>(defaults.colorParameters), ColorConstants{}));
  const PostDepthOfField dof;
  EXPECT_EQ((std::array<float, 3>{dof.aperture, dof.focus, dof.limit}), defaults.dofParameters);
  EXPECT_EQ(PostTextureOverlay().opacity, defaults.overlayAlpha);
}

TEST_F(PostProcessingTest, OverlayShowsThePictureAtOpacityZeroAndTheImageAtOne) {
  const Picture picture = testing::testPicture(kWidth, kHeight);
  const Picture image = filled(kWidth, kHeight, 200, 40, 90);
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(picture);
  ComPtr<ID3D11ShaderResourceView> overlayView = testing::upload(image);
  PostTextureOverlay overlay;
  create(overlay);

  overlay.opacity = 0.0f;
  overlay.apply(context, input.Get(), overlayView.Get(), target.renderTargetView.Get());
  EXPECT_EQ(testing::largestDifference(output(), picture), 0);

  overlay.opacity = 1.0f;
  overlay.apply(context, input.Get(), overlayView.Get(), target.renderTargetView.Get());
  EXPECT_LE(testing::largestDifference(output(), image), 1);
}

TEST_F(PostProcessingTest, BloomSpreadsABrightDotAndLeavesADarkFrameDark) {
  PostBloom bloom;
  create(bloom);
  const Picture dark = filled(kWidth, kHeight, 0, 0, 0);
  ComPtr<ID3D11ShaderResourceView> darkView = testing::upload(dark);
  bloom.apply(context, darkView.Get(), target.renderTargetView.Get());
  EXPECT_EQ(testing::largestDifference(output(), dark), 0);

  Picture dot = dark;
  const int cx = kWidth / 2, cy = kHeight / 2;
  for (int y = cy - 1; y <= cy; ++y) {
    for (int x = cx - 1; x <= cx; ++x) {
      std::fill_n(dot.at(x, y), 3, std::uint8_t(255));
    }
  }
  ComPtr<ID3D11ShaderResourceView> dotView = testing::upload(dot);
  bloom.apply(context, dotView.Get(), target.renderTargetView.Get());
  const Picture glow = output();
  EXPECT_EQ(glow.at(cx, cy)[0], 255);
  for (const auto& [dx, dy] : {std::pair{4, 0}, {-5, 0}, {0, 4}, {0, -5}, {3, 3}}) {
    EXPECT_GT(glow.at(cx + dx, cy + dy)[1], 5) << dx << ", " << dy;  // lit by the glow
  }
  EXPECT_GT(glow.at(cx + 3, cy)[1], glow.at(cx + 8, cy)[1]);  // fading with distance
  EXPECT_EQ(glow.at(4, 4)[1], 0);  // the far corner stays black
}

// A white backdrop is no light: what stands in front of it keeps its shape and most of its
// darkness instead of vanishing in the backdrop's glow.
TEST_F(PostProcessingTest, BloomLeavesDarkThingsBeforeABrightBackdropDark) {
  PostBloom bloom;
  create(bloom);
  Picture backdrop = filled(kWidth, kHeight, 255, 255, 255);
  const int cx = kWidth / 2;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = cx - 1; x <= cx + 1; ++x) {
      std::fill_n(backdrop.at(x, y), 3, std::uint8_t(0));  // a thin black pole
    }
  }
  ComPtr<ID3D11ShaderResourceView> view = testing::upload(backdrop);
  bloom.apply(context, view.Get(), target.renderTargetView.Get());
  const Picture glowed = output();
  const std::uint8_t pole = glowed.at(cx, kHeight / 2)[1];
  EXPECT_GT(pole, 20);   // veiled a little by the light around it
  EXPECT_LT(pole, 128);  // but still darker than mid-grey
  EXPECT_EQ(glowed.at(8, kHeight / 2)[1], 255);
}

TEST_F(PostProcessingTest, DepthOfFieldKeepsTheFocusPlaneSharpAndBlursAwayFromIt) {
  PostDepthOfField dof;
  create(dof);
  dof.aperture = 0.02f;  // full blur at infinity up to the limit
  const Picture fine = checkerboard(kWidth, kHeight);
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(fine);

  DepthTarget inFocus = testing::makeDepth(kWidth, kHeight, depthInFocus(dof.focus));
  dof.apply(context, input.Get(), inFocus.shaderResourceView.Get(), target.renderTargetView.Get());
  EXPECT_LE(testing::largestDifference(output(), fine), 1);

  for (const float depth : {0.99999f, 0.5f}) {  // far behind, well in front
    DepthTarget away = testing::makeDepth(kWidth, kHeight, depth);
    dof.apply(context, input.Get(), away.shaderResourceView.Get(), target.renderTargetView.Get());
    const Picture blurred = output();
    EXPECT_LT(innerSpread(blurred, 16), 40) << "depth " << depth;
    EXPECT_NEAR(blurred.at(kWidth / 2, kHeight / 2)[0], 170, 25) << "depth " << depth;
  }
}

TEST_F(PostProcessingTest, ColourCorrectionFlashesToWhiteAndItsGlitchAtZeroMovesNothing) {
  const Picture picture = testing::testPicture(kWidth, kHeight);
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(picture);
  PostColorCorrect colour;
  create(colour);

  colour.colorParameters.flash = 1.0f;
  colour.apply(context, input.Get(), target.renderTargetView.Get());
  EXPECT_EQ(testing::largestDifference(output(), filled(kWidth, kHeight, 255, 255, 255)), 0);

  // A neutral grade without grain: the picture must come back as it went in.
  const ColorConstants neutral{.exposure = 0.5f, .saturation = 0.5f, .shadowTint = 0.5f,
                               .grain = 0.0f, .red = 0.5f, .green = 0.5f, .blue = 0.5f,
                               .lift = 0.5f, .gamma = 0.5f, .gain = 0.5f, .contrast = 0.5f};
  colour.colorParameters = neutral;
  colour.apply(context, input.Get(), target.renderTargetView.Get());
  EXPECT_LE(testing::largestDifference(output(), picture), 1);

  for (float ColorConstants::*glitch :
       {&ColorConstants::glitchBlocks, &ColorConstants::glitchSplit, &ColorConstants::glitchTear}) {
    colour.colorParameters = neutral;
    colour.colorParameters.*glitch = 0.7f;
    colour.apply(context, input.Get(), target.renderTargetView.Get());
    EXPECT_GT(testing::largestDifference(output(), picture), 60);
  }
}

TEST_F(PostProcessingTest, LensDistortionLeavesTheCentreWhereItWas) {
  // A red square centred on grey.
  Picture marked = filled(kWidth, kHeight, 128, 128, 128);
  for (int y = kHeight / 2 - 3; y < kHeight / 2 + 3; ++y) {
    for (int x = kWidth / 2 - 3; x < kWidth / 2 + 3; ++x) {
      marked.at(x, y)[0] = 255, marked.at(x, y)[1] = 0, marked.at(x, y)[2] = 0;
    }
  }
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(marked);
  PostLensDistort lens;
  create(lens);
  const LensConstants strong{.distortion = 0.95f, .fringe = 0.1f, .curvature = 0.7f,
                             .zoom = 0.6f, .vignetteSize = 0.2f, .vignette = 1.0f};
  for (const LensConstants& settings : {LensConstants{}, strong}) {
    lens.lensParameters = settings;
    lens.apply(context, input.Get(), target.renderTargetView.Get());
    const Picture seen = output();
    double sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint8_t* pixel = seen.at(x, y);
        if (pixel[0] > 180 && pixel[1] < 90) {
          sumX += x, sumY += y, ++count;
        }
      }
    }
    ASSERT_GT(count, 20) << "distortion " << settings.distortion;
    EXPECT_NEAR(sumX / count + 0.5, kWidth / 2.0, 0.75) << "distortion " << settings.distortion;
    EXPECT_NEAR(sumY / count + 0.5, kHeight / 2.0, 0.75) << "distortion " << settings.distortion;
  }
}

}  // namespace
}  // namespace ostrel
