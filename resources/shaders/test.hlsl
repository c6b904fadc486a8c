// The scene program: every mesh of an imported scene is drawn with it ("VertexMain",
// "PixelMain"). Phong lighting from up to eight point and directional lights (Lambert
// diffuse, Blinn-Phong specular), plus the material's ambient colour and its own glow. All
// maths is in linear light: the scene target is sRGB and encodes on write, and the material
// and light colours of the files are linear already.
//
// TransformConstants (b0), one mesh:
// - worldViewProjection, world: row-vector matrices (p' = p x M, translation in the fourth
//   row), uploaded as the program stores them; hence row_major and mul(vector, matrix).
// - diffuse, ambient, specular: linear RGBA of the material. The ambient colour is added as
//   it is (the scene's own fill light, already scaled by the file); specular is already
//   multiplied by the file's specular strength.
// - emissive: 0..1, how much of its diffuse colour the surface gives off unlit; 1 glows at
//   full diffuse colour whatever the lights.
// - shininess: specular exponent, about 1 (broad sheen) to 500 (pin-point highlight).
// - cameraPosition: the camera's world position (w = 1).
// - reservedZero, reservedOne: 0 and 1, read by nothing.
//
// LightConstants (b1), one frame: lightCount (0..8) entries of
// - lightVector: w = 1: a point light's world position; w = 0: a directional light's
//   direction, pointing from the lit surface towards the light.
// - lightColor: linear RGB, may exceed 1.
// - lightAttenuation: constant, linear and quadratic terms: a point light at distance d
//   shines with lightColor / (c + l d + q d^2); (1, 0, 0) does not fade. Directional lights
//   do not fade.
// With no light at all (lightCount 0) a white light at the camera stands in.

cbuffer TransformConstants : register(b0)
{
    row_major float4x4 worldViewProjection;
    row_major float4x4 world;
    float4 diffuse;
    float4 ambient;
    float4 specular;
    float emissive;
    float shininess;
    float reservedZero;
    float reservedOne;
    float4 cameraPosition;
};

// 48 bytes with its last four spelled out, so that every compiler puts lightCount after the
// whole array (at byte 384), as the program writes it.
struct Light
{
    float4 lightVector;
    float4 lightColor;
    float3 lightAttenuation;
    float unused;
};

cbuffer LightConstants : register(b1)
{
    Light lights[8];
    int lightCount;
};

// The fields of the scene's 56-byte vertex, in buffer order: the input layout is built from
// this signature, so every field is listed even where the lighting does not need it.
struct VertexInput
{
    float3 position : POSITION;
    float3 normal : NORMAL;
    float3 tangent : TANGENT;
    float3 bitangent : BINORMAL;
    float2 texcoord : TEXCOORD0;
};

struct PixelInput
{
    float4 position : SV_Position;
    float3 worldPosition : POSITION;
    float3 worldNormal : NORMAL;
    float3 worldTangent : TANGENT;
    float3 worldBitangent : BINORMAL;
    float2 texcoord : TEXCOORD0;
};

// A normal follows the inverse transpose of the world matrix: the rows of its cofactor
// matrix, signed by its determinant, so that scaled and mirrored nodes keep true normals.
float3 worldNormalOf(float3 normal)
{
    float3 row0 = world[0].xyz;
    float3 row1 = world[1].xyz;
    float3 row2 = world[2].xyz;
    float3 cofactor0 = cross(row1, row2);
    float determinant = dot(row0, cofactor0);
    float3 n = normal.x * cofactor0 + normal.y * cross(row2, row0) + normal.z * cross(row0, row1);
    return determinant < 0.0 ? -n : n;
}

PixelInput VertexMain(VertexInput input)
{
    PixelInput output;
    float4 position = float4(input.position, 1.0);
    output.position = mul(position, worldViewProjection);
    output.worldPosition = mul(position, world).xyz;
    output.worldNormal = worldNormalOf(input.normal);
    output.worldTangent = mul(float4(input.tangent, 0.0), world).xyz;
    output.worldBitangent = mul(float4(input.bitangent, 0.0), world).xyz;
    output.texcoord = input.texcoord;
    return output;
}

// Unit direction from the surface to light i, and how strongly the light arrives there.
float3 towardsLight(int i, float3 surface, out float strength)
{
    Light light = lights[i];
    strength = 1.0;
    if (light.lightVector.w < 0.5)
    {
        return normalize(light.lightVector.xyz);
    }
    float3 apart = light.lightVector.xyz - surface;
    float range = length(apart);
    float3 k = light.lightAttenuation;
    strength = 1.0 / max(k.x + k.y * range + k.z * range * range, 1e-4);
    return apart / max(range, 1e-6);
}

float4 PixelMain(PixelInput input, bool frontFace : SV_IsFrontFace) : SV_Target0
{
    float3 toEye = normalize(cameraPosition.xyz - input.worldPosition);
    float3 normal = input.worldNormal;
    // A mesh without usable normals is lit as if it faced the camera.
    normal = dot(normal, normal) > 1e-20 ? normalize(normal) : toEye;
    // A face seen from behind (where culling is off) is lit on the side we see.
    normal = frontFace ? normal : -normal;

    float3 diffuseLight = 0.0;
    float3 specularLight = 0.0;
    int count = min(lightCount, 8);
    // Unrolled, so that each light's constants are read from a fixed place: indexed by a loop
    // counter, the software rasteriser reads them pixel by pixel.
    [unroll]
    for (int i = 0; i < 8; ++i)
    {
        if (i < count)
        {
            float strength;
            float3 toLight = towardsLight(i, input.worldPosition, strength);
            float3 arriving = lights[i].lightColor.rgb * strength;
            float facing = saturate(dot(normal, toLight));
            diffuseLight += arriving * facing;
            float3 halfway = normalize(toLight + toEye);
            float highlight = pow(saturate(dot(normal, halfway)), max(shininess, 1.0));
            specularLight += facing > 0.0 ? arriving * highlight : 0.0;
        }
    }
    // A scene without lights is seen by a white light at the camera, so that its shapes
    // show rather than a black silhouette.
    if (count == 0)
    {
        float facing = saturate(dot(normal, toEye));
        diffuseLight = facing;
        specularLight = pow(facing, max(shininess, 1.0));
    }

    float3 color = ambient.rgb + diffuse.rgb * diffuseLight + specular.rgb * specularLight
                 + diffuse.rgb * emissive;
    return float4(color, diffuse.a);
}
