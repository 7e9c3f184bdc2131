// The sky cube: its model-space position, seen from the centre of the cube,
// is the direction looked up in the sky cube map.

TextureCube SkyTexture : register(t0);
SamplerState SkySampler : register(s0);

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
    float4 sky = SkyTexture.Sample(SkySampler, input.LocalPosition);
    return float4(sky.rgb, 1.0f);
}
