// What each post-processing pass and the whole chain cost on this machine's device, at
// 1920 x 1080 and 1280 x 720, as a multiple of one plain copy pass measured in the same run
// (so the figures mean something on any machine). Prints figures; asserts nothing. Other
// sizes may be named instead, e.g. 640x360.
//
//   tools/harness.sh wine out/windows/tests/post_benchmark.exe [WIDTHxHEIGHT ...]
#include "render/PostBloom.h"
#include "render/PostColorCorrect.h"
#include "render/PostDepthOfField.h"
#include "render/PostFastApproximateAntiAlias.h"
#include "render/PostLensDistort.h"
#include "render/PostTextureOverlay.h"
#include "tests/windows/RenderTesting.h"
#include "tests/windows/TestPicture.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace ostrel {
namespace {

using testing::ComPtr;
using testing::testDevice;

constexpr int kRuns = 5;
constexpr int kCopyRuns = 20;  // the yardstick: cheap, so measured often

double seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

// Waits until the device has finished everything submitted so far.
void finish() {
  static ComPtr<ID3D11Query> query = [] {
    D3D11_QUERY_DESC description{D3D11_QUERY_EVENT, 0};
    ComPtr<ID3D11Query> made;
    testDevice().device->CreateQuery(&description, &made);
    return made;
  }();
  testDevice().context->End(query.Get());
  BOOL done = FALSE;
  while (testDevice().context->GetData(query.Get(), &done, sizeof(done), 0) != S_OK) {
  }
}

// Fastest of runs runs after one to warm up, in milliseconds: the machine is shared, and
// the fastest run is the one least disturbed.
double milliseconds(const std::function<void()>& draw, int runs = kRuns) {
  draw();
  finish();
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const double start = seconds();
    draw();
    finish();
    times.push_back((seconds() - start) * 1000.0);
  }
  return *std::min_element(times.begin(), times.end());
}

template <class Pass>
Pass created(int width, int height) {
  Pass pass;
  pass.create(testDevice().device, width, height);
  pass.resize(width, height);
  return pass;
}

void measure(int width, int height) {
  ID3D11DeviceContext* context = testDevice().context;
  ComPtr<ID3D11ShaderResourceView> input = testing::upload(testing::testPicture(width, height));
  ComPtr<ID3D11ShaderResourceView> logo = testing::upload(testing::overlayImage(width, height));
  DepthTarget depth = testing::makeDepth(width, height, 1.0f);
  testing::drawDepthRamp(depth);
  RenderTarget a = testing::makeTarget(width, height);
  RenderTarget b = testing::makeTarget(width, height);
  auto dof = created<PostDepthOfField>(width, height);
  auto lens = created<PostLensDistort>(width, height);
  auto bloom = created<PostBloom>(width, height);
  auto overlay = created<PostTextureOverlay>(width, height);
  auto colour = created<PostColorCorrect>(width, height);
  auto fxaa = created<PostFastApproximateAntiAlias>(width, height);
  overlay.opacity = 1.0f;

  PostProcessorBase copy;
  copy.init(testDevice().device);
  Shader copyProgram(testDevice().device);
  copyProgram.loadPixelShader(testing::testDataPath(L"shaders/copy.hlsl"), "p");

  auto* in = input.Get();
  auto* outA = a.renderTargetView.Get();
  const double copyTime = milliseconds([&] {
    copy.apply(context, in, outA);
    copy.inputs = {in};
    copy.outputs = {outA};
    copy.draw(copyProgram.pixelShader.Get());
  }, kCopyRuns);
  // What the 16-bit float intermediates of bloom and depth of field cost by themselves.
  RenderTarget half = testing::makeTarget(width, height, DXGI_FORMAT_R16G16B16A16_FLOAT);
  auto copyInto = [&](ID3D11ShaderResourceView* from, ID3D11RenderTargetView* to) {
    copy.apply(context, from, to);
    copy.inputs = {from};
    copy.outputs = {to};
    copy.draw(copyProgram.pixelShader.Get());
  };
  const struct {
    const char* name;
    std::function<void()> draw;
  } passes[] = {
      {"copy into RGBA16F", [&] { copyInto(in, half.renderTargetView.Get()); }},
      {"copy out of RGBA16F", [&] { copyInto(half.shaderResourceView.Get(), outA); }},
      {"depth of field (8 draws)",
       [&] { dof.apply(context, in, depth.shaderResourceView.Get(), outA); }},
      {"lens distortion", [&] { lens.apply(context, in, outA); }},
      {"bloom (3 draws)", [&] { bloom.apply(context, in, outA); }},
      {"overlay", [&] { overlay.apply(context, in, logo.Get(), outA); }},
      {"colour correction", [&] { colour.apply(context, in, outA); }},
      {"fxaa (not in the chain)", [&] { fxaa.apply(context, in, outA); }},
      {"whole chain (14 draws)",
       [&] {
         dof.apply(context, in, depth.shaderResourceView.Get(), outA);
         lens.apply(context, a.shaderResourceView.Get(), b.renderTargetView.Get());
         bloom.apply(context, b.shaderResourceView.Get(), outA);
         overlay.apply(context, a.shaderResourceView.Get(), logo.Get(), b.renderTargetView.Get());
         colour.apply(context, b.shaderResourceView.Get(), outA);
       }},
  };
  std::printf("%d x %d: plain copy %.1f ms\n", width, height, copyTime);
  std::vector<double> multiples;
  for (const auto& pass : passes) {
    const double time = milliseconds(pass.draw);
    multiples.push_back(time / copyTime);
    std::printf("  %-26s %7.1f ms  %5.1f x copy\n", pass.name, time, time / copyTime);
  }
  // The chain's passes one line, in the order they run, so that runs compare at a glance.
  std::printf("  summary in copies: dof %.1f, lens %.1f, bloom %.1f, overlay %.1f, colour %.1f;"
              " chain %.1f\n",
              multiples[2], multiples[3], multiples[4], multiples[5], multiples[6], multiples[8]);
}

}  // namespace
}  // namespace ostrel

int main(int argc, char** argv) {
  ostrel::testing::ScopedWorkingDirectory root(ostrel::testing::sourceFolder());
  if (argc == 1) {
    ostrel::measure(1920, 1080);
    ostrel::measure(1280, 720);
  }
  for (int index = 1; index < argc; ++index) {
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[index], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
      std::fprintf(stderr, "post_benchmark: \"%s\" is not a size such as 1280x720\n",
                   argv[index]);
      return 1;
    }
    ostrel::measure(width, height);
  }
  return 0;
}
