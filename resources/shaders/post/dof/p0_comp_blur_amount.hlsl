// Depth of field, pass 1 of 8: the scene colour (t0) with each pixel's blur amount, from
// the depth buffer (t1), in alpha. Constants and the reading of depth: see DofCommon.hlsli.
#include "DofCommon.hlsli"

Texture2D colour : register(t0);
Texture2D<float> depth : register(t1);

float4 p(QuadOutput input) : SV_Target0
{
    int3 pixel = pixelOf(input);
    return float4(colour.Load(pixel).rgb, blurAmount(depth.Load(pixel)));
}
