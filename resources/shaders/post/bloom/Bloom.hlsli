// The bloom's constants and the pieces its three programs share.
//
// BloomConstants (b1) is the timeline's bloom group, bloom 0 to bloom 9, with the
// production's resting values in brackets. Together the defaults give a visible but
// tasteful glow: highlights and bright lights bloom softly with a slightly warm, slightly
// whitened light about 16 pixels wide at 1080 lines; mid-tones gain very little.
#include "../../PostProcessing.hlsl"

cbuffer BloomConstants : register(b1)
{
    float threshold;   // bloom 0 (0.206): linear brightness where the glow begins, 0..1;
                       //   0.206 is about the middle grey of the screen
    float knee;        // bloom 1 (0.931): softness of that beginning, 0 a hard cut, 1 the
                       //   glow fades in from zero brightness; 0.931 leaves no visible edge
    float intensity;   // bloom 2 (0.137): glow strength, 0..1; 0.137 lights the surroundings
                       //   of a white light by about a tenth of its brightness
    float anamorphic;  // bloom 3 (0): 0 a round glow, 1 a horizontal streak about five
                       //   times wider than high
    float warmth;      // bloom 4 (0.14): tint of the glow, -1 cool blue .. 1 warm amber;
                       //   0.14 is a hint of warmth
    float halo;        // bloom 5 (0.171): share of a halo twice as wide in the glow, 0..1
    float radius;      // bloom 6 (0.5): size of the glow, 0..1; about 16 pixels each way at
                       //   1080 lines for 0.5, 28 for 1. Wider costs more taps.
    float whiteness;   // bloom 7 (0.221): 0 keeps the colour of the light, 1 a white glow
    float sceneGain;   // bloom 8 (1): level of the unblurred picture under the glow
    float glowGain;    // bloom 9 (1): overall glow level, multiplying intensity (for fades)
};

// Pixels per texel step: the glow keeps its size on screen between 720 and 1080 lines.
float bloomScale()
{
    return clamp(outputSize.y / 1080.0, 0.5, 1.5);
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

// Keeps what is brighter than threshold. Brightness is the largest channel, so saturated
// lights bloom in their own colour; the soft knee fades the glow in without an edge.
float3 brightPass(float3 colour)
{
    float brightness = max(colour.r, max(colour.g, colour.b));
    float softness = max(threshold * knee, 1e-4);
    float soft = clamp(brightness - threshold + softness, 0.0, 2.0 * softness);
    soft = soft * soft / (4.0 * softness);
    float kept = max(soft, brightness - threshold) / max(brightness, 1e-4);
    return colour * kept;
}
