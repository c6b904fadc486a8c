// The lens's one draw.
#include "render/PostLensDistort.h"

namespace ostrel {

void PostLensDistort::create(ID3D11Device* device, std::int32_t width, std::int32_t height) {
  setUp(device, width, height, kParameterBufferSize, parameterBuffer);
  program = loadProgram("post_lens_p0");
}

void PostLensDistort::apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
                            ID3D11RenderTargetView* output) {
  applyProgram(context, input, output, program, parameterBuffer.Get(), &lensParameters,
               sizeof(lensParameters));
}

}  // namespace ostrel
