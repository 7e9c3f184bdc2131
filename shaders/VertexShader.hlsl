// Places every vertex of an instanced draw: instance i of the draw uses World[i].
// The matrices arrive transposed, so the row-vector products below hold.

cbuffer ConstantVertex : register(b0)
{
    float4x4 World[200];
    float4x4 View;
    float4x4 Projection;
    float4 Surface[4];
};

struct VertexInput
{
    float3 Position : POSITION;
    float4 Color : COLOR;
    float2 TexCoord : TEXCOORD;
    float3 Normal : NORMAL;
    uint Instance : SV_InstanceID;
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

PixelInput VS(VertexInput input)
{
    float4x4 world = World[min(input.Instance, 199u)];
    float4 worldPosition = mul(float4(input.Position, 1.0f), world);

    PixelInput output;
    output.Position = mul(mul(worldPosition, View), Projection);
    output.Color = input.Color;
    output.TexCoord = input.TexCoord;
    output.Normal = mul(float4(input.Normal, 0.0f), world).xyz;
    output.WorldPosition = worldPosition.xyz;
    output.LocalPosition = input.Position;
    return output;
}
