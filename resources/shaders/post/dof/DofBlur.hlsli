// One pass of one blur level of the depth of field: a Gaussian blur of t0 along DOF_AXIS
// reaching DOF_REACH pixels each way (at 1080 lines) with DOF_PAIRS bilinear fetches each
// side, each placed between two points of the kernel by their weights so that one fetch
// reads both: fetches lie at most two pixels apart, so every texel is read and small
// bright details blur into discs, not into grids of dots. t0 holds the colour in rgb and
// the blur amount of each pixel in alpha; the result keeps the pixel's own blur amount in
// alpha for the next pass and the combine.
//
// Each fetch counts by its own blur amount, so sharp pixels hardly bleed into the blurred
// ones around them (no halo of a sharp subject over a soft background). With
// DOF_FOLLOWS_AMOUNT the reach grows with the pixel's own blur amount, from nothing at the
// focus plane, which therefore stays exactly sharp.
//
// A pixel whose blur amount is at most DOF_USED_ABOVE never shows this level in the
// combine, so it passes unblurred and costs one fetch. Its neighbours hardly miss its blur:
// sharp pixels count for little in theirs.
#include "DofCommon.hlsli"

Texture2D source : register(t0);

float4 p(QuadOutput input) : SV_Target0
{
    float2 uv = pixelUv(input);
    float4 centre = source.Load(pixelOf(input));
    if (centre.a <= DOF_USED_ABOVE)
    {
        return centre;
    }
    float reach = DOF_REACH * dofScale();
#ifdef DOF_FOLLOWS_AMOUNT
    reach *= saturate(3.0 * centre.a);
#endif
    float spacing = reach / (2.0 * DOF_PAIRS);
    float2 texel = spacing * DOF_AXIS / inputSize0;
    GaussianWalk walk = startGaussianWalk(1.0, 2.0 * DOF_PAIRS / 3.0);  // in spacings
    const float kSharpWeight = 0.02;  // what a sharp pixel still counts for

    float centreWeight = centre.a + kSharpWeight;
    float3 sum = centre.rgb * centreWeight;
    float total = centreWeight;
    for (float i = 1.0; i <= DOF_PAIRS; i += 1.0)
    {
        float innerWeight = nextGaussianWeight(walk);
        float outerWeight = nextGaussianWeight(walk);
        float weight = innerWeight + outerWeight;
        float offset = 2.0 * i - innerWeight / weight;  // in spacings, between the two
        float4 ahead = source.SampleLevel(linearSampler, uv + texel * offset, 0);
        float4 behind = source.SampleLevel(linearSampler, uv - texel * offset, 0);
        float aheadWeight = weight * (ahead.a + kSharpWeight);
        float behindWeight = weight * (behind.a + kSharpWeight);
        sum += ahead.rgb * aheadWeight + behind.rgb * behindWeight;
        total += aheadWeight + behindWeight;
    }
    return float4(sum / total, centre.a);
}
