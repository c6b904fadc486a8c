// Edge-aware anti-aliasing of a finished picture (FXAA): finds luma edges, searches along
// them for their ends and blends across them, and softens sub-pixel detail.
#pragma once

#include "render/PostProcessorBase.h"

namespace ostrel {

class PostFastApproximateAntiAlias : public PostProcessorBase {
public:
  static constexpr UINT kParameterBufferSize = 16;
  static_assert(kParameterBufferSize % 16 == 0 && kParameterBufferSize >= sizeof(float));

  // The set-up pattern with a 16-byte pass buffer and "post_fxaa_p0".
  void create(ID3D11Device* device, std::int32_t width, std::int32_t height);
  void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
             ID3D11RenderTargetView* output) override;

  Shader program;
  // Sub-pixel smoothing, 0..1 (written at b1 offset 0); edges are smoothed at any value.
  // Nothing in the production sets it, so it rests at a common choice.
  float fxaaValue = 0.75f;
  ComPtr<ID3D11Buffer> parameterBuffer;
};

}  // namespace ostrel
