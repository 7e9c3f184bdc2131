// Lit surfaces: every directional, point and spot light of ConstantLights adds
// its ambient, diffuse and specular terms. A slot left all zero adds nothing.
//
// Surface vectors: [0] diffuse reflectance (rgba), [1] ambient reflectance,
// [2] specular colour with the specular power in w, [3] emitted colour.

cbuffer ConstantVertex : register(b0)
{
    float4x4 World[200];
    float4x4 View;
    float4x4 Projection;
    float4 Surface[4];
};

struct DirectionalLight
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;
    float3 Direction;
    float Pad;
};

struct PointLight
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;
    float3 Position;
    float Range;
    float3 Attenuation;
    float Pad;
};

struct SpotLight
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;
    float3 Position;
    float Range;
    float3 Direction;
    float Falloff;
    float3 Attenuation;
    float Pad;
};

cbuffer ConstantLights : register(b1)
{
    DirectionalLight DirectionalLights[50];
    PointLight PointLights[50];
    SpotLight SpotLights[50];
    float3 EyePosition;
};

struct PixelInput
{
    float4 Position : SV_Position;
    float4 Color : COLOR;
    float2 TexCoord : TEXCOORD;
    float3 Normal : NORMAL;
    float3 WorldPosition : WORLDPOS;
    float3 LocalPosition : LOCALPOS;
};

struct Terms
{
    float3 Ambient;
    float3 Diffuse;
    float3 Specular;
};

// Diffuse and specular of one light arriving from direction toLight (unit length).
void AddDirect(inout Terms terms, float3 toLight, float3 normal, float3 toEye,
               float4 diffuse, float4 specular, float scale)
{
    float lambert = dot(normal, toLight);
    if (lambert <= 0.0f)
        return;
    terms.Diffuse += diffuse.rgb * lambert * scale;
    float power = max(Surface[2].w, 1.0f);
    float highlight = pow(max(dot(reflect(-toLight, normal), toEye), 0.0f), power);
    terms.Specular += specular.rgb * highlight * scale;
}

// 1 / (a0 + a1 d + a2 d^2); no attenuation when all three are zero.
float Attenuate(float3 attenuation, float distance)
{
    float denominator = dot(attenuation, float3(1.0f, distance, distance * distance));
    return denominator > 0.0f ? 1.0f / denominator : 1.0f;
}

float4 PS(PixelInput input) : SV_Target
{
    float3 normal = input.Normal;
    float normalLength = length(normal);
    normal = normalLength > 0.0f ? normal / normalLength : float3(0.0f, 0.0f, 0.0f);
    float3 toEye = EyePosition - input.WorldPosition;
    float eyeDistance = length(toEye);
    toEye = eyeDistance > 0.0f ? toEye / eyeDistance : float3(0.0f, 0.0f, 0.0f);

    Terms terms;
    terms.Ambient = float3(0.0f, 0.0f, 0.0f);
    terms.Diffuse = float3(0.0f, 0.0f, 0.0f);
    terms.Specular = float3(0.0f, 0.0f, 0.0f);

    for (uint d = 0; d < 50; ++d)
    {
        DirectionalLight light = DirectionalLights[d];
        terms.Ambient += light.Ambient.rgb;
        float length2 = dot(light.Direction, light.Direction);
        if (length2 > 0.0f)
            AddDirect(terms, -light.Direction * rsqrt(length2), normal, toEye,
                      light.Diffuse, light.Specular, 1.0f);
    }

    for (uint p = 0; p < 50; ++p)
    {
        PointLight light = PointLights[p];
        float3 toLight = light.Position - input.WorldPosition;
        float distance = length(toLight);
        if (distance > light.Range)
            continue;
        terms.Ambient += light.Ambient.rgb;
        if (distance > 0.0f)
            AddDirect(terms, toLight / distance, normal, toEye, light.Diffuse,
                      light.Specular, Attenuate(light.Attenuation, distance));
    }

    for (uint s = 0; s < 50; ++s)
    {
        SpotLight light = SpotLights[s];
        float3 toLight = light.Position - input.WorldPosition;
        float distance = length(toLight);
        float axisLength2 = dot(light.Direction, light.Direction);
        if (distance > light.Range || distance <= 0.0f || axisLength2 <= 0.0f)
            continue;
        toLight /= distance;
        float cone = max(dot(-toLight, light.Direction * rsqrt(axisLength2)), 0.0f);
        float spot = pow(cone, max(light.Falloff, 1.0f));
        terms.Ambient += light.Ambient.rgb * spot;
        AddDirect(terms, toLight, normal, toEye, light.Diffuse, light.Specular,
                  spot * Attenuate(light.Attenuation, distance));
    }

    float4 base = input.Color;
    float3 colour = base.rgb * (terms.Ambient * Surface[1].rgb + terms.Diffuse * Surface[0].rgb)
                  + terms.Specular * Surface[2].rgb + Surface[3].rgb;
    return saturate(float4(colour, base.a * Surface[0].a));
}
