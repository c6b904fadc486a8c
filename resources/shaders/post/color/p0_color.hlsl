// Colour correction, the last pass: a three-part glitch that moves pixels, then the grade
// (exposure, colour balance, contrast, saturation, lift/gamma/gain, a shadow tint), film
// grain and a flash toward white. Exposure and balance work in linear light; the curves,
// grain and flash work on sRGB-encoded (perceptual) values, as a colourist's tools do.
//
// ColorConstants (b1), the timeline's colour group, with the production's resting values
// in brackets. 0.5 is neutral for every grading control, and exposure 0 is black; the
// defaults give a pleasant warm grade: a touch brighter, gently contrasted and saturated,
// cool shadows, fine grain.
// Flash 1 gives white. With all three glitch controls at 0 no pixel moves.
//
// Grain and glitch patterns are seeded from the picture itself and from the glitch values,
// so they change as the scene and the automation move.
#include "../../PostProcessing.hlsl"

cbuffer ColorConstants : register(b1)
{
    float exposure;      // colour 0 (0.547): light x 2 x exposure: 0 black (fades), 0.5 as it
                         //   is, 1 a stop brighter; 0.547 a touch brighter
    float saturation;    // colour 1 (0.552): 0.5 + saturation; 0 half, 1 one and a half
    float shadowTint;    // colour 2 (0.436): shadows cool (0) to warm (1); 0.436 a little cool
    float grain;         // colour 3 (0.697): film grain, 0..1; 0.697 is fine grain of about
                         //   +-2 % in the mid-tones
    float red;           // colour 4 (0.645): red gain 2^(0.75 x (red - 0.5)), up to +-0.4 stop
    float green;         // colour 5 (0.528): green gain, the same
    float blue;          // colour 6 (0.413): blue gain, the same; the defaults are warm
    float gradeAmount;   // colour 7 (1): 0 the ungraded picture, 1 the full grade
    float lift;          // colour 8 (0.387): blacks raised (above 0.5) or crushed (below),
                         //   by up to 5 % of white
    float gamma;         // colour 9 (0.46): mid-tones brighter (above 0.5) or darker
    float gain;          // colour 10 (0.588): whites brighter (above 0.5) or dimmer, by up to
                         //   12 %
    float contrast;      // colour 11 (0.676): an S-curve around mid-grey that keeps black
                         //   and white, steepness 2^(contrast - 0.5); 0.5 none, 0.676 gentle
    float flash;         // colour 12 (0): toward white; 1 is white
    float glitchBlocks;  // colour 13 (0): 0..1, how many blocks of the picture are pushed
                         //   sideways, and how far
    float glitchSplit;   // colour 14 (0): 0..1, red and blue pulled apart sideways, up to
                         //   3 % of the width
    float glitchTear;    // colour 15 (0): 0..1, torn, wavering scanlines
};

Texture2D source : register(t0);

// A seed that changes whenever a glitch value moves, so the pattern jumps as it animates.
float glitchSeed()
{
    return floor(glitchBlocks * 24.0) + 7.0 * floor(glitchSplit * 24.0) +
           13.0 * floor(glitchTear * 24.0);
}

// Sideways shift, in pixels, of this row and column by blocks and tearing.
float glitchShift(float2 pixel, float seed)
{
    float scale = outputSize.y / 1080.0;
    float2 block = floor(pixel / (float2(160.0, 24.0) * scale));
    float chosen = step(hash(block, seed), 0.6 * glitchBlocks);
    float blocks = chosen * (hash(block, seed + 1.0) - 0.5) * 0.3 * outputSize.x * glitchBlocks;

    float band = floor(pixel.y / (48.0 * scale));
    float torn = step(hash(float2(band, 3.0), seed), glitchTear);
    float wave = sin(pixel.y * 0.07 / scale + seed) * 12.0 * scale;
    float jitter = (hash(float2(floor(pixel.y / 2.0), 5.0), seed) - 0.5) * 0.05 * outputSize.x;
    float tear = glitchTear * (wave + torn * jitter);
    return blocks + tear;
}

float4 texelAt(float2 pixel)
{
    int2 size = int2(outputSize);
    int2 at = int2(pixel);
    at.x = ((at.x % size.x) + size.x) % size.x;  // pushed blocks wrap round
    at.y = clamp(at.y, 0, size.y - 1);
    return source.Load(int3(at, 0));
}

// The picture with its pixels moved by the glitch: exactly the input when all are 0.
float3 glitched(float2 pixel)
{
    float seed = glitchSeed();
    float shift = round(glitchShift(pixel, seed));
    float band = floor(pixel.y / (8.0 * outputSize.y / 1080.0));
    float split = round(glitchSplit * 0.03 * outputSize.x * (0.5 + hash(float2(band, 9.0), seed)));
    float3 colour;
    colour.r = texelAt(pixel + float2(shift + split, 0.0)).r;
    colour.g = texelAt(pixel + float2(shift, 0.0)).g;
    colour.b = texelAt(pixel + float2(shift - split, 0.0)).b;
    float oddRow = fmod(pixel.y, 2.0);
    return colour * (1.0 - 0.35 * glitchTear * oddRow);
}

// Contrast on 0..1 perceptual values: an S-curve through mid-grey that keeps 0 and 1.
float3 sCurve(float3 value, float steepness)
{
    float3 rising = pow(value, steepness);
    float3 falling = pow(1.0 - value, steepness);
    return rising / max(rising + falling, 1e-6);
}

// The grade, from linear colour to perceptual (sRGB-encoded) values.
float3 grade(float3 linearColour)
{
    float3 c = linearColour * (2.0 * exposure);
    c *= exp2(0.75 * (float3(red, green, blue) - 0.5));
    float3 v = saturate(linearToSrgb(c));
    v = sCurve(v, exp2(contrast - 0.5));
    v = lerp(dot(v, float3(0.2126, 0.7152, 0.0722)), v, 0.5 + saturation);
    float blacks = 0.1 * (lift - 0.5);
    float whites = 1.0 + 0.25 * (gain - 0.5);
    v = saturate(v * whites + blacks * (1.0 - v));
    v = pow(v, exp2(-(gamma - 0.5)));
    float shadows = (1.0 - v.g) * (1.0 - v.g);
    v += 0.12 * (shadowTint - 0.5) * shadows * float3(1.0, 0.3, -1.0);
    return saturate(v);
}

// Zero-mean grain, strongest in the mid-tones and absent in pure black and white.
float grainAt(float2 pixel, float3 value)
{
    float seed = dot(value, float3(251.0, 113.0, 37.0));
    float noise = hash(pixel, seed) + hash(pixel + 17.0, seed) - 1.0;
    float midTones = 4.0 * value.g * (1.0 - value.g);
    return noise * 0.05 * grain * midTones;
}

float4 p(QuadOutput input) : SV_Target0
{
    float2 pixel = floor(input.position.xy);
    // Without glitch (most of the production) no pixel moves: the pixel's own texel, with
    // none of the glitch's hashing (an if, since ?: would evaluate both).
    float3 colour;
    if (max(glitchBlocks, max(glitchSplit, glitchTear)) > 0.0)
    {
        colour = glitched(pixel);
    }
    else
    {
        colour = source.Load(int3(pixel, 0)).rgb;
    }
    // The ungraded picture is only encoded when some of it shows.
    float3 value = grade(colour);
    if (gradeAmount != 1.0)
    {
        value = lerp(linearToSrgb(colour), value, gradeAmount);
    }
    value += grainAt(pixel, value);
    value = lerp(value, 1.0, flash);
    return float4(srgbToLinear(value), 1.0);
}
