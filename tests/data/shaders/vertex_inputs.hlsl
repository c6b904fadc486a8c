// A vertex program with the inputs of a mesh and two integer inputs, for the input layout
// taken from the compiled program.
struct VertexInput
{
    float3 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
    int bone : BLENDINDICES0;
    uint2 ids : TEXCOORD1;
};

float4 VertexMain(VertexInput input) : SV_Position
{
    float extra = float(input.bone) + float(input.ids.x + input.ids.y);
    return float4(input.position + input.normal * 0.01 + extra * 0.001, 1.0 + input.uv.x * 0.0);
}
