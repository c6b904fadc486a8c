// Bloom, pass 2 of 3: the horizontally blurred bright pass blurred vertically. Constants:
// see Bloom.hlsli.
#include "BloomBlur.hlsli"

float4 p(QuadOutput input) : SV_Target0
{
    float3 glow = bloomBlur(pixelUv(input), float2(0.0, 1.0), bloomPairs(verticalStretch()));
    return float4(glow, 1.0);
}
