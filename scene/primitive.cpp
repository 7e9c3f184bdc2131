#include "scene/primitive.h"

#include <thread>

#include "scene/loadfile.h"

using namespace DirectX;

Primitive::Primitive(std::int32_t kind, pipeline_state_t* pipeline, const char* path, bool flag) : Pipeline(pipeline) {
  // Without a construction block (no pipeline) the worker is still started and joined here.
  std::vector<std::thread> unshared;
  std::vector<std::thread>& threads = Pipeline && Pipeline->Sync ? Pipeline->Sync->Threads : unshared;
  switch (kind) {
    case Point:
      BuildPoint();
      break;
    case Cube:
      threads.emplace_back([this, flag] { BuildCube(flag); });
      break;
    case MeshFile:
      threads.emplace_back([this, path] { LoadMeshFile(path); });
      break;
    case Axes:
      threads.emplace_back([this] { BuildAxes(); });
      break;
    default:
      break;
  }
  // Joins whatever is there, workers that other code left behind included.
  for (std::thread& worker : threads) worker.join();
  threads.clear();
}

Primitive::~Primitive() {
  if (TextureView) TextureView->Release();
  if (TextureResource) TextureResource->Release();
}

void Primitive::LoadMeshFile(const char* path) {
  FileLoader loader;
  Geometry = loader.LoadMesh(path);
  Instances.push_back(XMMatrixIdentity());
}

void Primitive::AddInstance(XMFLOAT3 Position) {
  Instances.push_back(XMMatrixTranslation(Position.x, Position.y, Position.z));
}

void Primitive::SetTexture(const wchar_t* File) {
  ID3D11ShaderResourceView* view = nullptr;
  FileLoader loader;
  loader.LoadTexture(Pipeline ? Pipeline->Device : nullptr, nullptr, &view, File);
  if (!view) return;
  if (TextureView) TextureView->Release();
  TextureView = view;
}

ID3D11ShaderResourceView** Primitive::GetTextureView() { return &TextureView; }

Mesh Primitive::GetMesh() const { return Geometry; }

SurfaceParams Primitive::GetSurfaceParams() const { return Surface; }

void Primitive::SetSurfaceParams(SurfaceParams Params) { Surface = Params; }

void Primitive::SetColor(XMFLOAT4 Color) {
  for (Vertex& vertex : Geometry.Vertices) vertex.Color = Color;
}

XMMATRIX Primitive::GetInstance(std::uint32_t i) const { return Instances[i]; }

XMFLOAT3 Primitive::GetInstancePosition(std::uint32_t i) const {
  XMFLOAT4X4 m;
  XMStoreFloat4x4(&m, Instances[i]);
  return XMFLOAT3(m.m[3][0], m.m[3][1], m.m[3][2]);
}

XMFLOAT3 Primitive::GetInstanceRowSums(std::uint32_t i) const {
  XMFLOAT4X4 m;
  XMStoreFloat4x4(&m, Instances[i]);
  return XMFLOAT3(m.m[0][0] + m.m[0][1] + m.m[0][2], m.m[1][0] + m.m[1][1] + m.m[1][2],
                  m.m[2][0] + m.m[2][1] + m.m[2][2]);
}

void Primitive::SetInstanceTranslation(XMFLOAT3 Position, std::uint32_t i) {
  Instances[i] = XMMatrixTranslation(Position.x, Position.y, Position.z);
}

void Primitive::SetInstanceScale(XMFLOAT3 Factors, std::uint32_t i) {
  Instances[i] = XMMatrixScaling(Factors.x, Factors.y, Factors.z);
}

void Primitive::SetInstanceRotation(XMFLOAT3 Angles, std::uint32_t i) {
  Instances[i] = XMMatrixMultiply(XMMatrixMultiply(XMMatrixRotationX(Angles.x), XMMatrixRotationY(Angles.y)),
                                  XMMatrixRotationZ(Angles.z));
}
