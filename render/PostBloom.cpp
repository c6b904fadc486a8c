// The bloom's three sub-passes.
#include "render/PostBloom.h"

namespace ostrel {

void PostBloom::create(ID3D11Device* device, std::int32_t width, std::int32_t height) {
  setUp(device, width, height, kParameterBufferSize, parameterBuffer);
  blurX = loadProgram("post_blur_p0");
  blurY = loadProgram("post_blur_p1");
  combine = loadProgram("post_blur_p2");
  blurTargetA.create(device, UINT(width), UINT(height), DXGI_FORMAT_R16G16B16A16_FLOAT);
  blurTargetB.create(device, UINT(width), UINT(height), DXGI_FORMAT_R16G16B16A16_FLOAT);
}

void PostBloom::apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
                      ID3D11RenderTargetView* output) {
  PostProcessorBase::apply(context, input, output);
  bindParameters(parameterBuffer.Get(), &bloomParameters, sizeof(bloomParameters));

  inputs = {input};
  outputs = {blurTargetA.renderTargetView.Get()};
  draw(blurX.pixelShader.Get());

  inputs = {blurTargetA.shaderResourceView.Get()};
  outputs = {blurTargetB.renderTargetView.Get()};
  draw(blurY.pixelShader.Get());

  // The glow in slot 0, the unblurred picture in slot 1.
  inputs = {blurTargetB.shaderResourceView.Get(), input};
  outputs = {output};
  draw(combine.pixelShader.Get());
}

}  // namespace ostrel
