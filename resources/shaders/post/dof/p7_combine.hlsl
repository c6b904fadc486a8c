// Depth of field, pass 8 of 8: picks between the three blur levels (t0 the widest, t1 the
// middle, t2 the finest, which also carries each pixel's blur amount) by the blur amount:
// up to a third the finest level, which is sharp at the focus plane; then a blend to the
// middle level, and above two thirds to the widest (the levels leave the pixels they are
// not used for unblurred). Constants: see DofCommon.hlsli.
#include "DofCommon.hlsli"

Texture2D widest : register(t0);
Texture2D middle : register(t1);
Texture2D finest : register(t2);

float4 p(QuadOutput input) : SV_Target0
{
    int3 pixel = pixelOf(input);
    float4 fine = finest.Load(pixel);
    float level = 3.0 * fine.a;
    // The coarser levels are read only where they show (most of a picture is near focus).
    float3 colour = fine.rgb;
    if (level > 1.0)
    {
        colour = lerp(colour, middle.Load(pixel).rgb, saturate(level - 1.0));
    }
    if (level > 2.0)
    {
        colour = lerp(colour, widest.Load(pixel).rgb, saturate(level - 2.0));
    }
    return float4(colour, 1.0);
}
