// A full-screen image (a logo, the loading picture) laid over the picture by its own alpha
// times opacity; at opacity 0 the picture passes unchanged.
#pragma once

#include "render/PostProcessorBase.h"

namespace ostrel {

class PostTextureOverlay : public PostProcessorBase {
public:
  static constexpr UINT kParameterBufferSize = 16;
  static_assert(kParameterBufferSize % 16 == 0 && kParameterBufferSize >= sizeof(float));

  // The set-up pattern with a 16-byte pass buffer and "post_overlay_p0".
  void create(ID3D11Device* device, std::int32_t width, std::int32_t height);

  // The virtual apply is the base one: it needs the image too, so it draws nothing.
  using PostProcessorBase::apply;
  // input in slot 0, the image stretched over the whole output in slot 1.
  void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
             ID3D11ShaderResourceView* overlay, ID3D11RenderTargetView* output);

  Shader program;
  float opacity = 0.0f;  // 0..1, written at b1 offset 0
  ComPtr<ID3D11Buffer> parameterBuffer;
};

}  // namespace ostrel
