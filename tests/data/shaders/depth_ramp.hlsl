// Writes a depth buffer that recedes from left to right: from 8 near-plane distances at
// the left edge to 1000 at the right, stored as the scene's projection stores depth
// (d = 1 - near / distance for a far plane well beyond the near plane).
#include "../../../resources/shaders/PostProcessing.hlsl"

float p(QuadOutput input) : SV_Depth
{
    float distance = exp2(lerp(3.0, 9.97, input.uv.x));
    return 1.0 - 1.0 / distance;
}
