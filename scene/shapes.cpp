#include "scene/shapes.h"

#include <algorithm>
#include <iterator>

#include "scene/loadfile.h"
#include "scene/primitive.h"

using namespace DirectX;

namespace {

const XMFLOAT4 Cyan(0, 1, 1, 1);
const XMFLOAT4 Magenta(1, 0, 1, 1);
const XMFLOAT4 Red(1, 0, 0, 1);
const XMFLOAT4 Green(0, 1, 0, 1);
const XMFLOAT4 Blue(0, 0, 1, 1);
const XMFLOAT4 Yellow(1, 1, 0, 1);
const XMFLOAT4 White(1, 1, 1, 1);

// Four vertices per face, each face with its own colour and outward normal:
// -z Yellow, +x Cyan, +y Green, -x Red, -y Magenta, +z Blue.
const Vertex CubeVertices[] = {
    {XMFLOAT3(0.5f, 0.5f, -0.5f), Yellow, XMFLOAT2(0, 0), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(0.5f, 0.5f, -0.5f), Cyan, XMFLOAT2(1, 0), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(0.5f, 0.5f, -0.5f), Green, XMFLOAT2(0, 1), XMFLOAT3(0, 1, 0)},
    {XMFLOAT3(-0.5f, 0.5f, -0.5f), Yellow, XMFLOAT2(1, 0), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(-0.5f, 0.5f, -0.5f), Red, XMFLOAT2(0, 0), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(-0.5f, 0.5f, -0.5f), Green, XMFLOAT2(1, 1), XMFLOAT3(0, 1, 0)},
    {XMFLOAT3(0.5f, -0.5f, -0.5f), Yellow, XMFLOAT2(0, 1), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(0.5f, -0.5f, -0.5f), Cyan, XMFLOAT2(1, 1), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(0.5f, -0.5f, -0.5f), Magenta, XMFLOAT2(0, 1), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(-0.5f, -0.5f, -0.5f), Yellow, XMFLOAT2(1, 1), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(-0.5f, -0.5f, -0.5f), Red, XMFLOAT2(0, 1), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(-0.5f, -0.5f, -0.5f), Magenta, XMFLOAT2(1, 1), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(0.5f, -0.5f, 0.5f), Blue, XMFLOAT2(1, 1), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(0.5f, -0.5f, 0.5f), Cyan, XMFLOAT2(0, 1), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(0.5f, -0.5f, 0.5f), Magenta, XMFLOAT2(0, 0), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(-0.5f, -0.5f, 0.5f), Red, XMFLOAT2(1, 1), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(-0.5f, -0.5f, 0.5f), Blue, XMFLOAT2(0, 1), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(-0.5f, -0.5f, 0.5f), Magenta, XMFLOAT2(1, 0), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(-0.5f, 0.5f, 0.5f), Red, XMFLOAT2(1, 0), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(-0.5f, 0.5f, 0.5f), Blue, XMFLOAT2(0, 0), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(-0.5f, 0.5f, 0.5f), Green, XMFLOAT2(1, 0), XMFLOAT3(0, 1, 0)},
    {XMFLOAT3(0.5f, 0.5f, 0.5f), Blue, XMFLOAT2(1, 0), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(0.5f, 0.5f, 0.5f), Cyan, XMFLOAT2(0, 0), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(0.5f, 0.5f, 0.5f), Green, XMFLOAT2(0, 0), XMFLOAT3(0, 1, 0)},
};

// Two triangles per face, counter-clockwise as seen from outside.
const std::uint32_t CubeIndices[] = {
    0,  3,  6,  3,  9,  6,   // -z
    4,  18, 10, 18, 15, 10,  // -x
    19, 21, 16, 21, 12, 16,  // +z
    22, 1,  13, 1,  7,  13,  // +x
    14, 8,  11, 14, 11, 17,  // -y
    23, 5,  2,  23, 20, 5,   // +y
};

// The axes' colour channels are on a 0 to 255 scale.
const Vertex AxesVertices[] = {
    {XMFLOAT3(0, 0, 0), XMFLOAT4(0, 255, 0, 255), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)},
    {XMFLOAT3(0, 0.5f, 0), XMFLOAT4(0, 255, 0, 255), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)},
    {XMFLOAT3(0, 0, 0), XMFLOAT4(255, 0, 0, 255), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)},
    {XMFLOAT3(0.5f, 0, 0), XMFLOAT4(255, 0, 0, 255), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)},
    {XMFLOAT3(0, 0, 0), XMFLOAT4(0, 0, 255, 255), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)},
    {XMFLOAT3(0, 0, 0.5f), XMFLOAT4(0, 0, 255, 255), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)},
};

const std::uint32_t AxesIndices[] = {0, 1, 2, 3, 4, 5};

constexpr float Third = 1.0f / 3.0f;
constexpr float TwoThirds = 2.0f / 3.0f;

// The cube's corners with atlas coordinates; normals point outward on the y and z faces
// and inward on the x faces.
const Vertex SkyCubeVertices[] = {
    {XMFLOAT3(0.5f, 0.5f, -0.5f), White, XMFLOAT2(Third, 0.25f), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(0.5f, 0.5f, -0.5f), White, XMFLOAT2(Third, 0.25f), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(0.5f, 0.5f, -0.5f), White, XMFLOAT2(Third, 0.25f), XMFLOAT3(0, 1, 0)},
    {XMFLOAT3(-0.5f, 0.5f, -0.5f), White, XMFLOAT2(TwoThirds, 0.25f), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(-0.5f, 0.5f, -0.5f), White, XMFLOAT2(TwoThirds, 0.25f), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(-0.5f, 0.5f, -0.5f), White, XMFLOAT2(TwoThirds, 0.25f), XMFLOAT3(0, 1, 0)},
    {XMFLOAT3(0.5f, -0.5f, -0.5f), White, XMFLOAT2(Third, 0.5f), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(0.5f, -0.5f, -0.5f), White, XMFLOAT2(Third, 0.5f), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(0.5f, -0.5f, -0.5f), White, XMFLOAT2(Third, 0.5f), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(-0.5f, -0.5f, -0.5f), White, XMFLOAT2(TwoThirds, 0.5f), XMFLOAT3(0, 0, -1)},
    {XMFLOAT3(-0.5f, -0.5f, -0.5f), White, XMFLOAT2(TwoThirds, 0.5f), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(-0.5f, -0.5f, -0.5f), White, XMFLOAT2(TwoThirds, 0.5f), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(0.5f, -0.5f, 0.5f), White, XMFLOAT2(Third, 0.75f), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(0.5f, -0.5f, 0.5f), White, XMFLOAT2(0, 0.5f), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(0.5f, -0.5f, 0.5f), White, XMFLOAT2(Third, 0.75f), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(-0.5f, -0.5f, 0.5f), White, XMFLOAT2(1, 0.5f), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(-0.5f, -0.5f, 0.5f), White, XMFLOAT2(TwoThirds, 0.75f), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(-0.5f, -0.5f, 0.5f), White, XMFLOAT2(TwoThirds, 0.75f), XMFLOAT3(0, -1, 0)},
    {XMFLOAT3(-0.5f, 0.5f, 0.5f), White, XMFLOAT2(1, 0.25f), XMFLOAT3(1, 0, 0)},
    {XMFLOAT3(-0.5f, 0.5f, 0.5f), White, XMFLOAT2(TwoThirds, 1), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(-0.5f, 0.5f, 0.5f), White, XMFLOAT2(TwoThirds, 0), XMFLOAT3(0, 1, 0)},
    {XMFLOAT3(0.5f, 0.5f, 0.5f), White, XMFLOAT2(Third, 1), XMFLOAT3(0, 0, 1)},
    {XMFLOAT3(0.5f, 0.5f, 0.5f), White, XMFLOAT2(0, 0.25f), XMFLOAT3(-1, 0, 0)},
    {XMFLOAT3(0.5f, 0.5f, 0.5f), White, XMFLOAT2(Third, 0), XMFLOAT3(0, 1, 0)},
};

void Append(Mesh& mesh, const Vertex* vertices, size_t vertexCount, const std::uint32_t* indices, size_t indexCount) {
  mesh.Vertices.insert(mesh.Vertices.end(), vertices, vertices + vertexCount);
  mesh.Indices.insert(mesh.Indices.end(), indices, indices + indexCount);
}

}  // namespace

void Primitive::BuildPoint() {
  const Vertex point{XMFLOAT3(0, 0, 0), White, XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)};
  const std::uint32_t index = 0;
  Append(Geometry, &point, 1, &index, 1);
  Instances.push_back(XMMatrixIdentity());
}

void Primitive::BuildCube(bool Reverse) {
  Append(Geometry, CubeVertices, std::size(CubeVertices), CubeIndices, std::size(CubeIndices));
  if (Reverse) std::reverse(Geometry.Indices.begin(), Geometry.Indices.end());
  Instances.push_back(XMMatrixIdentity());
}

void Primitive::BuildAxes() {
  Append(Geometry, AxesVertices, std::size(AxesVertices), AxesIndices, std::size(AxesIndices));
  Instances.push_back(XMMatrixIdentity());
}

SkyCubeHolder::SkyCubeHolder(pipeline_state_t* pipeline, std::int32_t kind, const wchar_t* file) : Pipeline(pipeline) {
  if (kind == Cube) BuildSkyCube();
  FileLoader loader;
  loader.LoadTexture(Pipeline ? Pipeline->Device : nullptr, nullptr, &TextureView, file);
}

SkyCubeHolder::~SkyCubeHolder() {
  if (TextureView) TextureView->Release();
  if (TextureResource) TextureResource->Release();
  delete Geometry;
}

ID3D11ShaderResourceView** SkyCubeHolder::GetTextureView() { return &TextureView; }

Mesh** SkyCubeHolder::GetGeometry() { return &Geometry; }

void SkyCubeHolder::BuildSkyCube() {
  Geometry = new Mesh;
  Append(*Geometry, SkyCubeVertices, std::size(SkyCubeVertices), CubeIndices, std::size(CubeIndices));
}
