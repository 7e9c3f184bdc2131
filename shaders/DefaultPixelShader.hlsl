// Debug lines: the vertex colour as it is. Colours given on the 0-255 scale
// saturate to full intensity.

struct PixelInput
{
    float4 Position : SV_Position;
    float4 Color : COLOR;
    float2 TexCoord : TEXCOORD;
    float3 Normal : NORMAL;
    float3 WorldPosition : WORLDPOS;
    float3 LocalPosition : LOCALPOS;
};

float4 PS(PixelInput input) : SV_Target
{
    return saturate(input.Color);
}
