// Blur by distance from a focus plane: a blur amount per pixel from the depth buffer, three
// separable blurs of increasing radius, and a combine that picks between them by the blur
// amount, so that what lies at the focus stays sharp.
#pragma once

#include "render/PostProcessorBase.h"
#include "render/RenderTarget.h"

#include <cstddef>

namespace ostrel {

// The depth-of-field values as the eight programs read them at b1; their meaning is
// documented in resources/shaders/post/dof/DofCommon.hlsli.
struct DofConstants {
  float aperture;
  float focus;
  float limit;
};
static_assert(sizeof(DofConstants) == 12);
static_assert(offsetof(DofConstants, focus) == 4 && offsetof(DofConstants, limit) == 8);

class PostDepthOfField : public PostProcessorBase {
public:
  static constexpr UINT kParameterBufferSize = 16;
  static_assert(kParameterBufferSize % 16 == 0 && kParameterBufferSize >= sizeof(DofConstants));

  // The set-up pattern: a 16-byte pass buffer, the eight programs "post_dof_p0" to
  // "post_dof_p7", then dofTarget0 to dofTarget3 at width x height in RGBA16F.
  void create(ID3D11Device* device, std::int32_t width, std::int32_t height);

  // The virtual apply is the base one: it needs the depth too, so it draws nothing.
  using PostProcessorBase::apply;
  // Blurs colour by the depth in depth (a DepthTarget's shader-resource view) into output.
  void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* colour,
             ID3D11ShaderResourceView* depth, ID3D11RenderTargetView* output);

  Shader blurAmount;
  Shader blur10, blur11;  // first blur level: horizontal, vertical
  Shader blur20, blur21;  // second level
  Shader blur30, blur31;  // third level
  Shader combine;
  RenderTarget dofTarget0, dofTarget1, dofTarget2, dofTarget3;
  // The production's resting values; the timeline's "DOF" blocks move them.
  float aperture = 0.01f;
  float focus = 0.5f;
  float limit = 0.8f;
  ComPtr<ID3D11Buffer> parameterBuffer;

private:
  // One blur level from the blur-amount picture in dofTarget1, through dofTarget0.
  void blurLevel(const Shader& horizontal, const Shader& vertical, RenderTarget& result);
};

}  // namespace ostrel
