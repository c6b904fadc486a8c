// The anti-aliasing's one draw.
#include "render/PostFastApproximateAntiAlias.h"

namespace ostrel {

void PostFastApproximateAntiAlias::create(ID3D11Device* device, std::int32_t width,
                                          std::int32_t height) {
  setUp(device, width, height, kParameterBufferSize, parameterBuffer);
  program = loadProgram("post_fxaa_p0");
}

void PostFastApproximateAntiAlias::apply(ID3D11DeviceContext* context,
                                         ID3D11ShaderResourceView* input,
                                         ID3D11RenderTargetView* output) {
  applyProgram(context, input, output, program, parameterBuffer.Get(), &fxaaValue,
               sizeof(fxaaValue));
}

}  // namespace ostrel
