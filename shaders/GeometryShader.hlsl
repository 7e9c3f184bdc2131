// Passes each triangle through with a flat normal: the face normal in world space.

struct PixelInput
{
    float4 Position : SV_Position;
    float4 Color : COLOR;
    float2 TexCoord : TEXCOORD;
    float3 Normal : NORMAL;
    float3 WorldPosition : WORLDPOS;
    float3 LocalPosition : LOCALPOS;
};

[maxvertexcount(3)]
void GS(triangle PixelInput input[3], inout TriangleStream<PixelInput> stream)
{
    float3 edge1 = input[1].WorldPosition - input[0].WorldPosition;
    float3 edge2 = input[2].WorldPosition - input[0].WorldPosition;
    float3 face = cross(edge1, edge2);
    for (uint i = 0; i < 3; ++i)
    {
        PixelInput vertex = input[i];
        vertex.Normal = face;
        stream.Append(vertex);
    }
    stream.RestartStrip();
}
