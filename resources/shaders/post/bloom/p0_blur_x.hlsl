// Bloom, pass 1 of 3: the bright pass (what is brighter than threshold, with a soft knee)
// blurred horizontally, into a 16-bit intermediate. Constants: see Bloom.hlsli.
#define BLOOM_BRIGHT_PASS
#include "BloomBlur.hlsli"

float4 p(QuadOutput input) : SV_Target0
{
    float3 glow = bloomBlur(pixelUv(input), float2(1.0, 0.0), bloomPairs(horizontalStretch()));
    return float4(glow, 1.0);
}
