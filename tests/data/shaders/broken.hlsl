// Does not compile: the colour it returns is never declared.
float4 p() : SV_Target0
{
    return undefinedColour;
}
