// Bloom, pass 3 of 3: the glow (t0) widened by a halo, tinted, and added to the unblurred
// picture (t1). What is added is the glow beyond the glowing light already at the pixel:
// light spills around bright things, while a flat bright area keeps its own level instead
// of brightening as a whole. Constants: see Bloom.hlsli.
#include "Bloom.hlsli"

Texture2D glowPicture : register(t0);
Texture2D picture : register(t1);

float3 glowAt(float2 uv)
{
    return glowPicture.SampleLevel(linearSampler, uv, 0).rgb;
}

// Eight taps on a ring around the pixel. The glow is already smooth at the ring's tap
// spacing, so a sparse ring widens it without showing single taps.
float3 haloAround(float2 uv)
{
    float ring = 2.5 * bloomSigma(bloomPairs(verticalStretch()));
    float2 reach = ring * float2(horizontalStretch() / verticalStretch(), 1.0) / inputSize0;
    float2 diagonal = reach * 0.7071;
    float3 sum = glowAt(uv + float2(reach.x, 0.0)) + glowAt(uv - float2(reach.x, 0.0)) +
                 glowAt(uv + float2(0.0, reach.y)) + glowAt(uv - float2(0.0, reach.y)) +
                 glowAt(uv + diagonal) + glowAt(uv - diagonal) +
                 glowAt(uv + float2(diagonal.x, -diagonal.y)) +
                 glowAt(uv + float2(-diagonal.x, diagonal.y));
    return sum / 8.0;
}

// How much the glow is raised. An 8-bit picture clips its lights at white, so a small
// light's blurred glow is only a small part of the light it stands for: it is raised six
// times the intensity. A broad bright area (a white backdrop) is no such light: it fills the
// blur and its wide ring alike, and raised as much it would lay most of white over every
// dark thing in front of it, washing the picture out. So the more of the wide surround
// glows, the less the glow is raised: around a lone light the gain is whole; inside a bright
// field the veil on what stands in front of it is intensity alone.
float glowRaise(float3 wideGlow)
{
    float broad = saturate(max(wideGlow.r, max(wideGlow.g, wideGlow.b)));
    return 6.0 * intensity / (1.0 + 5.0 * broad);
}

float4 p(QuadOutput input) : SV_Target0
{
    float2 uv = pixelUv(input);
    float3 core = glowPicture.Load(pixelOf(input)).rgb;
    float3 wide = 0.5 * (core + haloAround(uv));
    float4 scene = picture.Load(pixelOf(input));
    float3 spill = max(lerp(core, wide, halo) - brightPass(scene.rgb), 0.0);
    spill = lerp(spill, luma(spill), whiteness);
    float3 tint = float3(1.0 + 0.3 * warmth, 1.0 + 0.05 * warmth, 1.0 - 0.3 * warmth);
    float3 result = scene.rgb * sceneGain + spill * tint * (glowRaise(wide) * glowGain);
    return float4(result, scene.a);
}
