// Glow around the bright parts of the picture: a bright pass with a soft threshold blurred
// horizontally (blurX into blurTargetA), then vertically (blurY into blurTargetB), and a
// combine that adds the glow to the unblurred input.
#pragma once

#include "render/PostProcessorBase.h"
#include "render/RenderTarget.h"

#include <cstddef>

namespace ostrel {

// The bloom group of the timeline's effect values (bloom 0 to bloom 9: a float4, a float4
// and a float2), as the three bloom programs read them at b1. Ranges, and what the
// production's defaults below give, are documented in resources/shaders/post/bloom/.
struct BloomConstants {
  float knee = 0.206f;        // how far below threshold the glow fades in
  float threshold = 0.931f;   // on-screen brightness from which light glows fully
  float intensity = 0.137f;   // how much glow is added
  float anamorphic = 0.0f;    // horizontal stretch of the glow
  float warmth = 0.14f;       // tint of the glow, cool (-1) to warm (1)
  float halo = 0.171f;        // share of a twice as wide halo in the glow
  float radius = 0.5f;        // size of the glow
  float whiteness = 0.221f;   // how much the glow loses its source's colour
  float sceneGain = 1.0f;     // how much of the unblurred picture is kept
  float glowGain = 1.0f;      // overall glow level, for fades
};
static_assert(sizeof(BloomConstants) == 40);
static_assert(offsetof(BloomConstants, warmth) == 16 && offsetof(BloomConstants, sceneGain) == 32);

class PostBloom : public PostProcessorBase {
public:
  static constexpr UINT kParameterBufferSize = 48;
  static_assert(kParameterBufferSize % 16 == 0 && kParameterBufferSize >= sizeof(BloomConstants));

  // The set-up pattern: a 48-byte pass buffer, blurX, blurY and combine ("post_blur_p0" to
  // "post_blur_p2"), then both intermediates at width x height in RGBA16F.
  void create(ID3D11Device* device, std::int32_t width, std::int32_t height);
  void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
             ID3D11RenderTargetView* output) override;

  Shader blurX;
  Shader blurY;
  Shader combine;
  RenderTarget blurTargetA;
  RenderTarget blurTargetB;
  BloomConstants bloomParameters;
  ComPtr<ID3D11Buffer> parameterBuffer;
};

}  // namespace ostrel
