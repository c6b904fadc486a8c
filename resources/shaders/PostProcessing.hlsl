// What every full-screen program shares; the quad's vertex program and every pass program
// include it.
//
// - PostConstants (b0): the sizes, in pixels, of the draw's inputs and of its output.
// - Samplers: s0 point, s1 linear; both clamp at the picture's edges.
// - QuadOutput: what QuadVS hands the pixel programs.
// - Helpers: pixel addressing, luma, sRGB encoding and a hash for noise.
//
// All maths happens in linear light. The 8-bit targets and images are sRGB, so every read
// converts to linear and every write converts back; the 16-bit intermediates hold linear
// values as they are. Only perceptual steps (grading curves, grain, edge detection) encode
// to sRGB on purpose, and say so.
#ifndef POST_PROCESSING_HLSL
#define POST_PROCESSING_HLSL

cbuffer PostConstants : register(b0)
{
    // Width and height of input 0 to 3 at the mip level its view shows, and of output 0.
    // (The C++ side holds the inputs as one array of four float2; an HLSL array would pad
    // each element to 16 bytes, hence four names.)
    float2 inputSize0;
    float2 inputSize1;
    float2 inputSize2;
    float2 inputSize3;
    float2 outputSize;
};

SamplerState pointSampler : register(s0);
SamplerState linearSampler : register(s1);

struct QuadOutput
{
    float4 position : SV_Position;  // in a pixel program: the pixel's centre, in pixels
    float2 uv : TEXCOORD0;          // (0, 0) top left to (1, 1) bottom right
};

// The pixel's own texel in an input of the output's size, for Load.
int3 pixelOf(QuadOutput input)
{
    return int3(input.position.xy, 0);
}

// The texture coordinate of the pixel's centre, exact for inputs of the output's size.
float2 pixelUv(QuadOutput input)
{
    return input.position.xy / outputSize;
}

// Relative luminance of a linear Rec. 709 colour.
float luma(float3 linearColour)
{
    return dot(linearColour, float3(0.2126, 0.7152, 0.0722));
}

// The sRGB transfer curve and its inverse; values above 1 follow the curve's continuation.
float3 linearToSrgb(float3 linearColour)
{
    float3 c = max(linearColour, 0.0);
    float3 low = c * 12.92;
    float3 high = 1.055 * pow(c, 1.0 / 2.4) - 0.055;
    return lerp(high, low, step(c, 0.0031308));
}

float3 srgbToLinear(float3 srgbColour)
{
    float3 c = max(srgbColour, 0.0);
    float3 low = c / 12.92;
    float3 high = pow((c + 0.055) / 1.055, 2.4);
    return lerp(high, low, step(c, 0.04045));
}

// Weights exp(-(k d)^2 / (2 sigma^2)) of taps k = 1, 2, ... at a spacing d, one after the
// other by multiplication alone (exp is dear on a software rasteriser):
//     GaussianWalk walk = startGaussianWalk(d, sigma);
//     float first = nextGaussianWeight(walk), second = nextGaussianWeight(walk);
struct GaussianWalk
{
    float weight;     // of the tap last reached (1 at the centre)
    float ratio;      // from that tap's weight to the next one's
    float ratioStep;  // from that ratio to the next one
};

GaussianWalk startGaussianWalk(float spacing, float sigma)
{
    float a = -0.5 * spacing * spacing / (sigma * sigma);
    GaussianWalk walk;
    walk.weight = 1.0;
    walk.ratio = exp(a);
    walk.ratioStep = exp(2.0 * a);
    return walk;
}

float nextGaussianWeight(inout GaussianWalk walk)
{
    walk.weight *= walk.ratio;
    walk.ratio *= walk.ratioStep;
    return walk.weight;
}

// A pseudo-random value in [0, 1) for a point and a seed; arithmetic only, so every
// compiler gives the same pattern.
float hash(float2 p, float seed)
{
    float3 q = frac(float3(p.x, p.y, p.x) * 0.1031 + seed * 0.1337);
    q += dot(q, q.yzx + 33.33);
    return frac((q.x + q.y) * q.z);
}

#endif
