// Primitive: one renderable object, a Mesh drawn once per instance matrix, with an
// optional texture view and the four surface vectors handed to the shaders.
#pragma once

#include <DirectXMath.h>
#include <d3d11.h>

#include <cstdint>
#include <vector>

#include "engine/pipeline.h"
#include "scene/vertex.h"

// The kind numbers that build geometry; any other number builds nothing.
enum PrimitiveKind : std::int32_t {
  Point = 0,
  Cube = 2,
  MeshFile = 5,
  Axes = 6,
};

// Instance indices must be below the instance count; that limit is the caller's to keep.
// Every instance matrix is in row-vector form with its translation in the fourth row.
class Primitive {
 public:
  // An empty primitive: no geometry, no instances, no pipeline.
  Primitive() = default;
  // Builds the geometry of the kind: the point on the calling thread, the others on a
  // worker thread kept in the pipeline's Threads. Returns once every thread there is
  // joined and Threads is empty. path is read by MeshFile only (null gives an empty
  // mesh), flag by Cube only (true reverses its index list).
  Primitive(std::int32_t kind, pipeline_state_t* pipeline, const char* path, bool flag);
  ~Primitive();

  Primitive(const Primitive&) = delete;
  Primitive& operator=(const Primitive&) = delete;

  void AddInstance(DirectX::XMFLOAT3 Position);
  // Loads a DDS file into TextureView with the pipeline's device; a failure is traced and
  // leaves the view as it was. A view that a later load replaces is released.
  void SetTexture(const wchar_t* File);
  ID3D11ShaderResourceView** GetTextureView();
  Mesh GetMesh() const;
  SurfaceParams GetSurfaceParams() const;
  void SetSurfaceParams(SurfaceParams Params);
  // Sets the colour of every stored vertex; buffers already made are not changed.
  void SetColor(DirectX::XMFLOAT4 Color);

  DirectX::XMMATRIX GetInstance(std::uint32_t i) const;
  DirectX::XMFLOAT3 GetInstancePosition(std::uint32_t i) const;
  // m00+m01+m02, m10+m11+m12, m20+m21+m22: the scale factors of an unrotated instance.
  DirectX::XMFLOAT3 GetInstanceRowSums(std::uint32_t i) const;
  // Each replaces the whole matrix of instance i.
  void SetInstanceTranslation(DirectX::XMFLOAT3 Position, std::uint32_t i);
  void SetInstanceScale(DirectX::XMFLOAT3 Factors, std::uint32_t i);
  // Instance i := RotationX(x) x RotationY(y) x RotationZ(z): a point is turned about X
  // first, then Y, then Z, all about the fixed axes through the origin.
  void SetInstanceRotation(DirectX::XMFLOAT3 Angles, std::uint32_t i);

  // Motion within the instance's own frame: each step matrix is multiplied on the left.
  void Translate(DirectX::XMFLOAT3 Offset, std::uint32_t i);
  // Multiplies by RotationX(x), then RotationY(y), then RotationZ(z), each on the left.
  void Rotate(DirectX::XMFLOAT3 Angles, std::uint32_t i);
  // Turns instance i so that its +z axis points at the target, keeping its position and
  // dropping its scale.
  void LookAt(DirectX::XMFLOAT4 Target, std::uint32_t i);
  // One proportional turning step of instance i toward the target.
  void TurnTowards(DirectX::XMFLOAT4 Target, float Rate, std::uint32_t i);
  // The per-frame keyboard motion of instance 0: arrows move it, keypad plus and minus
  // turn it.
  void Update();

  ID3D11ShaderResourceView* TextureView = nullptr;
  ID3D11Resource* TextureResource = nullptr;
  pipeline_state_t* Pipeline = nullptr;
  Mesh Geometry;
  std::vector<DirectX::XMMATRIX> Instances;
  SurfaceParams Surface;

 private:
  void BuildPoint();
  void BuildCube(bool Reverse);
  void BuildAxes();
  void LoadMeshFile(const char* path);
};
