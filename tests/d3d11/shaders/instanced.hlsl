// Instance i of a draw moves by Offsets[i] and takes its colour from a per-instance element.
cbuffer Offsets : register(b0)
{
    float4 offsets[8];
};

struct VSIn
{
    float3 pos : POSITION;
    float4 color : COLOR;
    uint id : SV_InstanceID;
};

struct PSIn
{
    float4 pos : SV_Position;
    float4 color : COLOR;
};

PSIn VS(VSIn i)
{
    PSIn o;
    o.pos = float4(i.pos.xy + offsets[i.id].xy, i.pos.z, 1.0f);
    o.color = i.color;
    return o;
}

float4 PS(PSIn i) : SV_Target
{
    return i.color;
}
