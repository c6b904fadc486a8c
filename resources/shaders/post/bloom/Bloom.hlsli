// The bloom's constants and the pieces its three programs share.
//
// BloomConstants (b1) is the timeline's bloom group, bloom 0 to bloom 9, with the
// production's resting values in brackets. Together the defaults give a visible but
// tasteful glow: lights and highlights bloom with a slightly warm, slightly whitened light
// reaching about 30 pixels at 1080 lines; mid-tones do not glow at all.
//
// Brightness here is the square root of the largest channel: close to the sRGB curve, so
// about how bright a pixel looks on screen, and cheap; taking the largest channel lets
// saturated lights bloom in their own colour.
#include "../../PostProcessing.hlsl"

cbuffer BloomConstants : register(b1)
{
    float knee;        // bloom 0 (0.206): how far below threshold the glow fades in, 0..1;
                       //   0.206 starts it at about 72 % brightness, without an edge
    float threshold;   // bloom 1 (0.931): brightness, 0..1, from which light glows fully;
                       //   0.931 keeps the glow to lights and near-white highlights
    float intensity;   // bloom 2 (0.137): glow strength, 0..1; 0.137 lights the dark around
                       //   a white light to about a fifth of its brightness, and veils a
                       //   dark thing in front of a white backdrop by 14 % of white
    float anamorphic;  // bloom 3 (0): 0 a round glow, 1 a horizontal streak about five
                       //   times wider than high
    float warmth;      // bloom 4 (0.14): tint of the glow, -1 cool blue .. 1 warm amber;
                       //   0.14 is a hint of warmth
    float halo;        // bloom 5 (0.171): share of a halo twice as wide in the glow, 0..1
    float radius;      // bloom 6 (0.5): size of the glow, 0..1; its blur reaches 16 pixels
                       //   each way at 1080 lines for 0.5, 28 for 1, and the halo about
                       //   twice that. Wider costs more taps: 2 + 12 x radius each side.
    float whiteness;   // bloom 7 (0.221): 0 keeps the colour of the light, 1 a white glow
    float sceneGain;   // bloom 8 (1): level of the unblurred picture under the glow
    float glowGain;    // bloom 9 (1): overall glow level, multiplying intensity (for fades)
};

// Pixels per step of the blur: the glow keeps its size on screen up to 1080 lines; above,
// it keeps its size in pixels, since fetches (two steps apart) must not skip texels.
float bloomScale()
{
    return clamp(outputSize.y / 1080.0, 0.5, 1.0);
}

// Fetches each side of the blur along an axis stretched by stretch; every fetch reads a
// pair of texels.
float bloomPairs(float stretch)
{
    return clamp(round((2.0 + 12.0 * radius) * stretch), 1.0, 40.0);
}

// Standard deviation, in pixels, of the blur with that many pairs: the last pair lies at
// three standard deviations.
float bloomSigma(float pairs)
{
    return 2.0 * pairs * bloomScale() / 3.0;
}

float horizontalStretch()
{
    return 1.0 + 4.0 * anamorphic;
}

float verticalStretch()
{
    return 1.0 - 0.5 * anamorphic;
}

// The light that glows: all of it from threshold up, fading in smoothly over the knee below.
float3 brightPass(float3 colour)
{
    float brightness = sqrt(max(colour.r, max(colour.g, colour.b)));
    return colour * smoothstep(threshold - max(knee, 1e-3), threshold, brightness);
}
