// The grade and the last pass of the chain: exposure, colour balance, contrast, saturation,
// lift/gamma/gain, a shadow tint, film grain, a flash toward white and a three-part glitch.
#pragma once

#include "render/PostProcessorBase.h"

#include <cstddef>

namespace ostrel {

// The colour group of the timeline's effect values (four float4) as the program reads them
// at b1; ranges and what the production's defaults below give are documented in
// resources/shaders/post/color/p0_color.hlsl. 0.5 is neutral for every grading control;
// exposure 0 is black.
struct ColorConstants {
  float exposure = 0.547f;     // colour 0
  float saturation = 0.552f;   // colour 1
  float shadowTint = 0.436f;   // colour 2: cool (0) to warm (1) shadows
  float grain = 0.697f;        // colour 3
  float red = 0.645f;          // colour 4 to 6: colour balance
  float green = 0.528f;
  float blue = 0.413f;
  float gradeAmount = 1.0f;    // colour 7: 0 shows the ungraded picture
  float lift = 0.387f;         // colour 8: blacks
  float gamma = 0.46f;         // colour 9: mid-tones
  float gain = 0.588f;         // colour 10: whites
  float contrast = 0.676f;     // colour 11
  float flash = 0.0f;          // colour 12: 1 is white
  float glitchBlocks = 0.0f;   // colour 13: blocks pushed sideways
  float glitchSplit = 0.0f;    // colour 14: colour channels pulled apart
  float glitchTear = 0.0f;     // colour 15: torn scanlines
};
static_assert(sizeof(ColorConstants) == 64);
static_assert(offsetof(ColorConstants, red) == 16 && offsetof(ColorConstants, lift) == 32 &&
              offsetof(ColorConstants, flash) == 48);

class PostColorCorrect : public PostProcessorBase {
public:
  static constexpr UINT kParameterBufferSize = 80;
  static_assert(kParameterBufferSize % 16 == 0 && kParameterBufferSize >= sizeof(ColorConstants));

  // The set-up pattern with an 80-byte pass buffer and "post_color_p0".
  void create(ID3D11Device* device, std::int32_t width, std::int32_t height);
  void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
             ID3D11RenderTargetView* output) override;

  Shader program;
  ColorConstants colorParameters;
  ComPtr<ID3D11Buffer> parameterBuffer;
};

}  // namespace ostrel
