// Lens distortion: the picture (t0) seen through a simple camera lens. Radial distortion
// bends straight lines toward the edges, lateral chromatic aberration pulls the red and
// blue images apart toward the edges, and a vignette darkens the corners. The centre of
// the picture stays where it is.
//
// LensConstants (b1), the timeline's lens group, with the production's resting values in
// brackets. 0.5 is neutral for the first four; together the defaults give a subtle lens:
// a barely noticeable barrel, faint fringes at the edges, corners a third darker.
#include "../../PostProcessing.hlsl"

cbuffer LensConstants : register(b1)
{
    float distortion;    // lens 0 (0.502): below 0.5 pincushion, above barrel; at 0 or 1
                         //   the corners bend by about 40 %
    float fringe;        // lens 1 (0.47): 0.5 none; red and blue are scaled apart by
                         //   (fringe - 0.5) x 4 % at the corners, red inside for values
                         //   below 0.5; 0.47 gives fringes of about 2 pixels at the corners
                         //   of a 1080-line picture
    float curvature;     // lens 2 (0.497): the distortion's fourth-order term, same scale;
                         //   bends the edges more than the middle
    float zoom;          // lens 3 (0.5): magnification 2^(2 x (zoom - 0.5)); 0.5 none
    float vignetteSize;  // lens 4 (0.51): distance from the centre where darkening begins,
                         //   as a fraction of the distance to a corner
    float vignette;      // lens 5 (0.723): darkness at the corners, 0..1; 0.723 darkens the
                         //   corners by about a third
};

Texture2D source : register(t0);

// A sample that fades to black outside the picture (a zoomed-out or pincushion lens shows
// the black of the lens barrel there, not smeared edge pixels).
float3 sampleInside(float2 uv)
{
    float2 inside = saturate((0.5 - abs(uv - 0.5)) * inputSize0 + 0.5);
    return source.SampleLevel(linearSampler, uv, 0).rgb * (inside.x * inside.y);
}

float4 p(QuadOutput input) : SV_Target0
{
    float2 uv = pixelUv(input);
    float2 offset = uv - 0.5;
    // Radius 1 at the corners, measured on the screen's own shape (circles stay round).
    float2 shape = float2(outputSize.x / outputSize.y, 1.0);
    float r2 = dot(offset * shape, offset * shape) / dot(0.5 * shape, 0.5 * shape);

    float k1 = 0.8 * (distortion - 0.5);
    float k2 = 0.8 * (curvature - 0.5);
    float bend = 1.0 + k1 * r2 + k2 * r2 * r2;
    // A barrel would show beyond the picture's corners: scale it back so they stay inside.
    float fit = max(1.0 + k1 + k2, 1.0) * exp2(2.0 * (zoom - 0.5));
    float2 bent = offset * bend / fit;

    float spread = 0.04 * (fringe - 0.5) * r2;
    float3 colour;
    colour.r = sampleInside(0.5 + bent * (1.0 + spread)).r;
    colour.g = sampleInside(0.5 + bent).g;
    colour.b = sampleInside(0.5 + bent * (1.0 - spread)).b;

    float start = min(vignetteSize, 0.99);
    float darkening = 0.46 * vignette * smoothstep(start, 1.0, sqrt(r2));
    return float4(colour * (1.0 - darkening), 1.0);
}
