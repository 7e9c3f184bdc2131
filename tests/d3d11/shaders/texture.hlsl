// Sampling: a 2D texture at a chosen level, and a cube map along a chosen direction.
Texture2D image : register(t0);
TextureCube cube : register(t1);
SamplerState sampler0 : register(s0);

cbuffer Lookup : register(b0)
{
    float4 direction;  // xyz: cube direction; w: mip level for the 2D texture
};

struct VSIn
{
    float3 pos : POSITION;
    float2 uv : TEXCOORD;
};

struct PSIn
{
    float4 pos : SV_Position;
    float2 uv : TEXCOORD;
};

PSIn VS(VSIn i)
{
    PSIn o;
    o.pos = float4(i.pos, 1.0f);
    o.uv = i.uv;
    return o;
}

float4 PS(PSIn i) : SV_Target
{
    return image.SampleLevel(sampler0, i.uv, direction.w);
}

float4 PSCube(PSIn i) : SV_Target
{
    return cube.Sample(sampler0, direction.xyz);
}
