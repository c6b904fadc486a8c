// Writes the PostConstants it is given: pixel 0 inputSize0 and inputSize1, pixel 1
// inputSize2 and inputSize3, every other pixel outputSize (twice).
#include "../../../resources/shaders/PostProcessing.hlsl"

float4 p(QuadOutput input) : SV_Target0
{
    uint x = uint(input.position.x);
    if (x == 0)
    {
        return float4(inputSize0, inputSize1);
    }
    if (x == 1)
    {
        return float4(inputSize2, inputSize3);
    }
    return float4(outputSize, outputSize);
}
