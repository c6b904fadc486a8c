// Overlay: an image (t1, stretched over the whole output) laid over the picture (t0) by
// the image's own alpha times opacity, in linear light. Opacity 0 returns the picture
// unchanged; opacity 1 with an opaque image returns the image.
//
// OverlayConstants (b1): opacity 0..1 (0 at rest; 1 while a logo or the loading picture
// is shown).
#include "../PostProcessing.hlsl"

cbuffer OverlayConstants : register(b1)
{
    float opacity;
};

Texture2D picture : register(t0);
Texture2D image : register(t1);

float4 p(QuadOutput input) : SV_Target0
{
    float4 under = picture.Load(pixelOf(input));
    // At rest (opacity 0, most of the production) the image is not even read.
    if (opacity <= 0.0)
    {
        return under;
    }
    float4 over = image.SampleLevel(linearSampler, pixelUv(input), 0);
    float coverage = saturate(over.a * opacity);
    return float4(lerp(under.rgb, over.rgb, coverage), under.a);
}
