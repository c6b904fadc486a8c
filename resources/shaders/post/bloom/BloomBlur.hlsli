// A Gaussian blur of t0 along one axis for the bloom. Each fetch lies between two texels,
// placed by their kernel weights, so that the linear sampler reads both at once: N fetches
// each side cover 2N texels, which keeps a wide glow cheap. Define BLOOM_BRIGHT_PASS to
// pass every fetch through the bright pass first.
#include "Bloom.hlsli"

Texture2D source : register(t0);

float3 bloomTap(float2 uv)
{
    float3 colour = source.SampleLevel(linearSampler, uv, 0).rgb;
#ifdef BLOOM_BRIGHT_PASS
    colour = brightPass(colour);
#endif
    return colour;
}

// axis is (1, 0) or (0, 1).
float3 bloomBlur(float2 uv, float2 axis, float pairs)
{
    float spacing = bloomScale();
    float2 texel = spacing * axis / inputSize0;
    GaussianWalk walk = startGaussianWalk(spacing, bloomSigma(pairs));

    float3 sum = bloomTap(uv);
    float total = 1.0;
    for (float i = 1.0; i <= pairs; i += 1.0)
    {
        float innerWeight = nextGaussianWeight(walk);
        float outerWeight = nextGaussianWeight(walk);
        float weight = innerWeight + outerWeight;
        float offset = 2.0 * i - innerWeight / weight;  // in spacings, between the two
        sum += weight * (bloomTap(uv + texel * offset) + bloomTap(uv - texel * offset));
        total += 2.0 * weight;
    }
    return sum / total;
}
