// Fast approximate anti-aliasing of a finished picture (t0). For each pixel: find whether
// it lies on a luma edge, decide whether the edge runs horizontally or vertically and on
// which side its neighbour across the edge lies, walk along the edge both ways to its
// ends, and blend toward the neighbour by how near the pixel lies to the nearer end, so
// that stair steps become ramps. Single-pixel detail that stands out from its neighbours
// is also softened, by fxaaValue. Luma is taken on sRGB-encoded values, as the eye sees
// edges.
//
// FxaaConstants (b1): fxaaValue, sub-pixel smoothing 0..1 (0.75 at rest): 0 smooths only
// along edges, 1 softens most.
#include "../PostProcessing.hlsl"

cbuffer FxaaConstants : register(b1)
{
    float fxaaValue;
};

Texture2D source : register(t0);

static const float kEdgeThreshold = 0.125;     // local contrast, relative to the brightest
static const float kEdgeThresholdMin = 0.0312;  // and absolute, below which nothing is done
static const int kSearchSteps = 10;

float lumaAt(float2 uv)
{
    return sqrt(luma(source.SampleLevel(linearSampler, uv, 0).rgb));
}

// Distance walked per search step: fine near the pixel, coarser farther out.
float searchStride(int i)
{
    return 1.0 + step(3.0, float(i)) + 2.0 * step(6.0, float(i));
}

float4 p(QuadOutput input) : SV_Target0
{
    float2 texel = 1.0 / inputSize0;
    float2 uv = pixelUv(input);
    float4 centre = source.SampleLevel(pointSampler, uv, 0);
    float m = sqrt(luma(centre.rgb));
    float n = lumaAt(uv + float2(0.0, -texel.y));
    float s = lumaAt(uv + float2(0.0, texel.y));
    float e = lumaAt(uv + float2(texel.x, 0.0));
    float w = lumaAt(uv + float2(-texel.x, 0.0));
    float brightest = max(m, max(max(n, s), max(e, w)));
    float darkest = min(m, min(min(n, s), min(e, w)));
    float range = brightest - darkest;
    if (range < max(kEdgeThresholdMin, brightest * kEdgeThreshold))
    {
        return centre;
    }

    float nw = lumaAt(uv - texel);
    float se = lumaAt(uv + texel);
    float ne = lumaAt(uv + float2(texel.x, -texel.y));
    float sw = lumaAt(uv + float2(-texel.x, texel.y));

    // How much the pixel stands out from its whole neighbourhood.
    float neighbourhood = (2.0 * (n + s + e + w) + nw + ne + sw + se) / 12.0;
    float subpixel = smoothstep(0.0, 1.0, saturate(abs(neighbourhood - m) / range));
    subpixel = subpixel * subpixel * fxaaValue;

    // Luma changing from row to row means a horizontal edge.
    float acrossRows =
        abs(nw + sw - 2.0 * w) + 2.0 * abs(n + s - 2.0 * m) + abs(ne + se - 2.0 * e);
    float acrossColumns =
        abs(nw + ne - 2.0 * n) + 2.0 * abs(w + e - 2.0 * m) + abs(sw + se - 2.0 * s);
    bool horizontal = acrossRows >= acrossColumns;

    float before = horizontal ? n : w;
    float after = horizontal ? s : e;
    float gradientBefore = abs(before - m);
    float gradientAfter = abs(after - m);
    bool towardBefore = gradientBefore >= gradientAfter;
    float stepAcross = (horizontal ? texel.y : texel.x) * (towardBefore ? -1.0 : 1.0);
    float edgeLuma = 0.5 * (m + (towardBefore ? before : after));
    float gradientThreshold = 0.25 * max(gradientBefore, gradientAfter);

    // Walk along the edge, half a pixel across it, until its luma changes.
    float2 across = horizontal ? float2(0.0, stepAcross) : float2(stepAcross, 0.0);
    float2 along = horizontal ? float2(texel.x, 0.0) : float2(0.0, texel.y);
    float2 edgeUv = uv + 0.5 * across;
    float2 forward = edgeUv + along;
    float2 backward = edgeUv - along;
    float deltaForward = lumaAt(forward) - edgeLuma;
    float deltaBackward = lumaAt(backward) - edgeLuma;
    bool forwardDone = abs(deltaForward) >= gradientThreshold;
    bool backwardDone = abs(deltaBackward) >= gradientThreshold;
    for (int i = 0; i < kSearchSteps && !(forwardDone && backwardDone); ++i)
    {
        float stride = searchStride(i);
        if (!forwardDone)
        {
            forward += along * stride;
            deltaForward = lumaAt(forward) - edgeLuma;
            forwardDone = abs(deltaForward) >= gradientThreshold;
        }
        if (!backwardDone)
        {
            backward -= along * stride;
            deltaBackward = lumaAt(backward) - edgeLuma;
            backwardDone = abs(deltaBackward) >= gradientThreshold;
        }
    }

    float distanceForward = horizontal ? forward.x - uv.x : forward.y - uv.y;
    float distanceBackward = horizontal ? uv.x - backward.x : uv.y - backward.y;
    bool forwardNearer = distanceForward < distanceBackward;
    float nearest = min(distanceForward, distanceBackward);
    float blend = 0.5 - nearest / (distanceForward + distanceBackward);
    // Blend only where the edge's end turns the way that makes this pixel part of a step.
    bool centreDarker = m < edgeLuma;
    bool stepHere = ((forwardNearer ? deltaForward : deltaBackward) < 0.0) != centreDarker;
    float amount = max(stepHere ? blend : 0.0, subpixel);

    float3 colour = source.SampleLevel(linearSampler, uv + amount * across, 0).rgb;
    return float4(colour, centre.a);
}
