// A plain copy of input 0: the measure the post-processing benchmark compares against.
#include "../../../resources/shaders/PostProcessing.hlsl"

Texture2D source : register(t0);

float4 p(QuadOutput input) : SV_Target0
{
    return source.Load(pixelOf(input));
}
