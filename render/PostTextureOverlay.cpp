// The overlay's one draw.
#include "render/PostTextureOverlay.h"

namespace ostrel {

void PostTextureOverlay::create(ID3D11Device* device, std::int32_t width, std::int32_t height) {
  setUp(device, width, height, kParameterBufferSize, parameterBuffer);
  program = loadProgram("post_overlay_p0");
}

void PostTextureOverlay::apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
                               ID3D11ShaderResourceView* overlay,
                               ID3D11RenderTargetView* output) {
  PostProcessorBase::apply(context, input, output);
  bindParameters(parameterBuffer.Get(), &opacity, sizeof(opacity));
  inputs = {input, overlay};
  outputs = {output};
  draw(program.pixelShader.Get());
}

}  // namespace ostrel
