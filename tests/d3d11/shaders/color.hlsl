// Positions in clip space with a colour per vertex.
struct VSIn
{
    float3 pos : POSITION;
    float4 color : COLOR;
};

struct PSIn
{
    float4 pos : SV_Position;
    float4 color : COLOR;
};

PSIn VS(VSIn i)
{
    PSIn o;
    o.pos = float4(i.pos, 1.0f);
    o.color = i.color;
    return o;
}

float4 PS(PSIn i) : SV_Target
{
    return i.color;
}
