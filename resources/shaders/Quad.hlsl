// The vertex program of every full-screen pass ("QuadVS"): the quad's corners are already in
// clip space, so the position passes through and the quad covers the whole output.
#include "PostProcessing.hlsl"

struct QuadInput
{
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
};

QuadOutput QuadVS(QuadInput input)
{
    QuadOutput output;
    output.position = input.position;
    output.uv = input.uv;
    return output;
}
