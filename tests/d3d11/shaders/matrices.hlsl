// The engine's per-draw record: 200 world matrices, view, projection, surface vectors.
cbuffer ConstantVertex : register(b0)
{
    float4x4 World[200];
    float4x4 View;
    float4x4 Projection;
    float4 Surface[4];
};

struct VSIn
{
    float3 pos : POSITION;
    uint id : SV_InstanceID;
};

float4 VS(VSIn i) : SV_Position
{
    return mul(mul(mul(float4(i.pos, 1.0f), World[i.id]), View), Projection);
}

float4 PS() : SV_Target
{
    return Surface[3];
}
