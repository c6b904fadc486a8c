// The depth of field's eight sub-passes.
#include "render/PostDepthOfField.h"

namespace ostrel {

void PostDepthOfField::create(ID3D11Device* device, std::int32_t width, std::int32_t height) {
  setUp(device, width, height, kParameterBufferSize, parameterBuffer);
  blurAmount = loadProgram("post_dof_p0");
  blur10 = loadProgram("post_dof_p1");
  blur11 = loadProgram("post_dof_p2");
  blur20 = loadProgram("post_dof_p3");
  blur21 = loadProgram("post_dof_p4");
  blur30 = loadProgram("post_dof_p5");
  blur31 = loadProgram("post_dof_p6");
  combine = loadProgram("post_dof_p7");
  for (RenderTarget* target : {&dofTarget0, &dofTarget1, &dofTarget2, &dofTarget3}) {
    target->create(device, UINT(width), UINT(height), DXGI_FORMAT_R16G16B16A16_FLOAT);
  }
}

void PostDepthOfField::apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* colour,
                             ID3D11ShaderResourceView* depth, ID3D11RenderTargetView* output) {
  PostProcessorBase::apply(context, colour, output);
  const DofConstants constants{aperture, focus, limit};
  bindParameters(parameterBuffer.Get(), &constants, sizeof(constants));

  inputs = {colour, depth};
  outputs = {dofTarget1.renderTargetView.Get()};
  draw(blurAmount.pixelShader.Get());

  // Every level starts again from the blur-amount picture; the last one may overwrite it.
  blurLevel(blur10, blur11, dofTarget3);
  blurLevel(blur20, blur21, dofTarget2);
  blurLevel(blur30, blur31, dofTarget1);

  inputs = {dofTarget1.shaderResourceView.Get(), dofTarget2.shaderResourceView.Get(),
            dofTarget3.shaderResourceView.Get()};
  outputs = {output};
  draw(combine.pixelShader.Get());
}

void PostDepthOfField::blurLevel(const Shader& horizontal, const Shader& vertical,
                                 RenderTarget& result) {
  inputs = {dofTarget1.shaderResourceView.Get()};
  outputs = {dofTarget0.renderTargetView.Get()};
  draw(horizontal.pixelShader.Get());
  inputs = {dofTarget0.shaderResourceView.Get()};
  outputs = {result.renderTargetView.Get()};
  draw(vertical.pixelShader.Get());
}

}  // namespace ostrel
