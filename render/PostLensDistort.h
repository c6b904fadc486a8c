// A camera lens: radial distortion, chromatic fringes toward the edges and a vignette.
#pragma once

#include "render/PostProcessorBase.h"

#include <cstddef>

namespace ostrel {

// The lens group of the timeline's effect values (a float4 and a float2) as the program
// reads them at b1; ranges and what the production's defaults below give are documented in
// resources/shaders/post/lens/p0_lens.hlsl. 0.5 is neutral for the first four.
struct LensConstants {
  float distortion = 0.502f;    // lens 0: pincushion (0) to barrel (1)
  float fringe = 0.47f;         // lens 1: chromatic fringes, either way round
  float curvature = 0.497f;     // lens 2: the distortion's fourth-order term
  float zoom = 0.5f;            // lens 3
  float vignetteSize = 0.51f;   // lens 4: where the vignette starts
  float vignette = 0.723f;      // lens 5: how dark the corners get
};
static_assert(sizeof(LensConstants) == 24);
static_assert(offsetof(LensConstants, vignetteSize) == 16);

class PostLensDistort : public PostProcessorBase {
public:
  static constexpr UINT kParameterBufferSize = 32;
  static_assert(kParameterBufferSize % 16 == 0 && kParameterBufferSize >= sizeof(LensConstants));

  // The set-up pattern with a 32-byte pass buffer and "post_lens_p0".
  void create(ID3D11Device* device, std::int32_t width, std::int32_t height);
  void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
             ID3D11RenderTargetView* output) override;

  Shader program;
  LensConstants lensParameters;
  ComPtr<ID3D11Buffer> parameterBuffer;
};

}  // namespace ostrel
