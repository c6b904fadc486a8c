// Deliberately broken: the compiler must refuse it and say where.
float4 p(float4 position : SV_Position) : SV_Target0 {
  return undefinedColour;
}
