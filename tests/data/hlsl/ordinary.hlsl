// Ordinary Shader Model 5 HLSL of the kinds the production's programs use: functions,
// loops over a light list, the ternary operator and the usual intrinsics. It must compile
// for ps_4_0 and ps_5_0 (entry "p") and vs_4_0 and vs_5_0 (entry "v").
Texture2D picture : register(t0);
SamplerState linearSampler : register(s1);

cbuffer Lights : register(b1) {
  float4 lightVector[8];
  float4 lightColor[8];
  int lightCount;
};

float hash(float2 p) {
  return frac(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453);
}

float3 lit(float3 normal, float3 position) {
  float3 sum = 0;
  for (int k = 0; k < lightCount; ++k) {
    float3 toLight = lightVector[k].w > 0.5 ? lightVector[k].xyz - position : -lightVector[k].xyz;
    float attenuation = 1.0 / (1.0 + distance(lightVector[k].xyz, position));
    sum += lightColor[k].rgb * saturate(dot(normal, normalize(toLight))) * attenuation;
  }
  return sum;
}

float4 p(float4 position : SV_Position, float2 uv : TEXCOORD0) : SV_Target0 {
  uint width, height;
  picture.GetDimensions(width, height);
  float3 colour = picture.Sample(linearSampler, uv).rgb;
  float3 n = normalize(float3(ddx(uv.x), ddy(uv.y), 1.0));
  float3 r = reflect(-n, float3(0, 0, 1));
  float wave = exp(-uv.x) + exp2(uv.y) + log(1.0 + uv.x) + log2(2.0 + uv.y) + tan(uv.x) +
               atan2(uv.y, 1.0 + uv.x) + sqrt(uv.x) + rsqrt(1.0 + uv.y) + cos(uv.x);
  float edge = step(0.5, uv.x) * smoothstep(0.2, 0.8, uv.y) * sign(uv.x - 0.5) +
               fmod(uv.x * 7.0, 1.0) + ceil(uv.y) + mad(uv.x, 2.0, 1.0) + radians(45.0);
  bool any3 = any(colour > 0.5) && all(colour >= 0.0);
  colour = any3 ? colour * lit(n, r) : colour;
  return float4(colour + wave * 0.001 + edge * 0.001 + hash(uv * float2(width, height)), 1.0);
}

struct VertexOut {
  float4 position : SV_Position;
  float2 uv : TEXCOORD0;
};

VertexOut v(float4 position : POSITION, float2 uv : TEXCOORD0) {
  VertexOut output;
  output.position = position;
  output.uv = uv;
  return output;
}
