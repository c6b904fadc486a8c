// The grade's one draw.
#include "render/PostColorCorrect.h"

namespace ostrel {

void PostColorCorrect::create(ID3D11Device* device, std::int32_t width, std::int32_t height) {
  setUp(device, width, height, kParameterBufferSize, parameterBuffer);
  program = loadProgram("post_color_p0");
}

void PostColorCorrect::apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
                             ID3D11RenderTargetView* output) {
  applyProgram(context, input, output, program, parameterBuffer.Get(), &colorParameters,
               sizeof(colorParameters));
}

}  // namespace ostrel
