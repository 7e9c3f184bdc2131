// The plain records geometry and shading data travel in: Vertex (also the layout of every
// vertex buffer), Mesh (one object's vertices and indices) and SurfaceParams (four shading
// vectors handed to the shaders unchanged).
#pragma once

#include <DirectXMath.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// 48 bytes, no padding; the input layout describes exactly these four fields in order.
struct Vertex {
  DirectX::XMFLOAT3 Position;
  DirectX::XMFLOAT4 Color;
  DirectX::XMFLOAT2 TexCoord;
  DirectX::XMFLOAT3 Normal;
};

static_assert(sizeof(Vertex) == 48);
static_assert(offsetof(Vertex, Position) == 0);
static_assert(offsetof(Vertex, Color) == 12);
static_assert(offsetof(Vertex, TexCoord) == 28);
static_assert(offsetof(Vertex, Normal) == 36);

struct Mesh {
  std::vector<Vertex> Vertices;
  std::vector<std::uint32_t> Indices;
};

// Four 4-float vectors, first to fourth, all zero by default.
struct SurfaceParams {
  DirectX::XMFLOAT4 First{0, 0, 0, 0};
  DirectX::XMFLOAT4 Second{0, 0, 0, 0};
  DirectX::XMFLOAT4 Third{0, 0, 0, 0};
  DirectX::XMFLOAT4 Fourth{0, 0, 0, 0};

  SurfaceParams() = default;
  SurfaceParams(const DirectX::XMFLOAT4& first, const DirectX::XMFLOAT4& second, const DirectX::XMFLOAT4& third,
                const DirectX::XMFLOAT4& fourth)
      : First(first), Second(second), Third(third), Fourth(fourth) {}
};

static_assert(sizeof(SurfaceParams) == 64);
static_assert(offsetof(SurfaceParams, First) == 0);
static_assert(offsetof(SurfaceParams, Second) == 16);
static_assert(offsetof(SurfaceParams, Third) == 32);
static_assert(offsetof(SurfaceParams, Fourth) == 48);
