// One colour and one offset for the whole draw, from constant buffer b0.
cbuffer Tint : register(b0)
{
    float4 color;
    float4 offset;
};

float4 VS(float3 pos : POSITION) : SV_Position
{
    return float4(pos + offset.xyz, 1.0f);
}

float4 PS() : SV_Target
{
    return color;
}
