// Grows one grass blade from every point: a thin quad standing on the point,
// bent along x, sized by GrassParams (height, width, bend).

cbuffer ConstantVertex : register(b0)
{
    float4x4 World[200];
    float4x4 View;
    float4x4 Projection;
    float4 Surface[4];
};

cbuffer GrassParams : register(b1)
{
    float Height;
    float Width;
    float Bend;
    float Pad;
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

[maxvertexcount(4)]
void GS(point PixelInput input[1], inout TriangleStream<PixelInput> stream)
{
    float3 root = input[0].WorldPosition;
    float halfWidth = Width * 0.5f;
    float3 corners[4] = {
        root + float3(-halfWidth, 0.0f, 0.0f),
        root + float3(halfWidth, 0.0f, 0.0f),
        root + float3(Bend - halfWidth * 0.25f, Height, 0.0f),
        root + float3(Bend + halfWidth * 0.25f, Height, 0.0f),
    };
    for (uint i = 0; i < 4; ++i)
    {
        PixelInput vertex = input[0];
        vertex.WorldPosition = corners[i];
        vertex.Position = mul(mul(float4(corners[i], 1.0f), View), Projection);
        vertex.TexCoord = float2(i % 2, i < 2 ? 1.0f : 0.0f);
        vertex.Normal = float3(0.0f, 0.0f, -1.0f);
        stream.Append(vertex);
    }
    stream.RestartStrip();
}
