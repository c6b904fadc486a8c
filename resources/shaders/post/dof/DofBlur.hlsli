// One pass of one blur level of the depth of field: a Gaussian blur of t0 along DOF_AXIS
// reaching DOF_REACH pixels each way (at 1080 lines) with DOF_PAIRS bilinear fetches each
// side. t0 holds the colour in rgb and the blur amount of each pixel in alpha; the result
// keeps the pixel's own blur amount in alpha for the next pass and the combine.
//
// Each fetch counts by its own blur amount, so sharp pixels hardly bleed into the blurred
// ones around them (no halo of a sharp subject over a soft background). With
// DOF_FOLLOWS_AMOUNT the reach grows with the pixel's own blur amount, from nothing at the
// focus plane, which therefore stays exactly sharp.
#include "DofCommon.hlsli"

Texture2D source : register(t0);

float4 p(QuadOutput input) : SV_Target0
{
    float2 uv = pixelUv(input);
    float4 centre = source.SampleLevel(pointSampler, uv, 0);
    float reach = DOF_REACH * dofScale();
#ifdef DOF_FOLLOWS_AMOUNT
    reach *= saturate(3.0 * centre.a);
#endif
    float spacing = reach / (2.0 * DOF_PAIRS);
    float sigma = max(reach / 3.0, 1e-3);
    float falloff = -0.5 / (sigma * sigma);
    float2 texel = DOF_AXIS / inputSize0;
    const float kSharpWeight = 0.02;  // what a sharp pixel still counts for

    float centreWeight = centre.a + kSharpWeight;
    float3 sum = centre.rgb * centreWeight;
    float total = centreWeight;
    for (float i = 1.0; i <= DOF_PAIRS; i += 1.0)
    {
        float inner = (2.0 * i - 1.0) * spacing;
        float outer = 2.0 * i * spacing;
        float innerWeight = exp(inner * inner * falloff);
        float outerWeight = exp(outer * outer * falloff);
        float weight = innerWeight + outerWeight;
        float offset = (inner * innerWeight + outer * outerWeight) / weight;
        float4 ahead = source.SampleLevel(linearSampler, uv + texel * offset, 0);
        float4 behind = source.SampleLevel(linearSampler, uv - texel * offset, 0);
        float aheadWeight = weight * (ahead.a + kSharpWeight);
        float behindWeight = weight * (behind.a + kSharpWeight);
        sum += ahead.rgb * aheadWeight + behind.rgb * behindWeight;
        total += aheadWeight + behindWeight;
    }
    return float4(sum / total, centre.a);
}
