// ConstantVertex: the per-draw record of the vertex constant buffer (slot 0): one world
// matrix per instance, the camera's view and projection, and the primitive's surface
// vectors. Every matrix is stored transposed, ready for the shaders.
#pragma once

#include <DirectXMath.h>

#include <cstddef>
#include <cstdint>

#include "scene/vertex.h"

// The most instances one draw can place: the size of World below.
constexpr uint32_t MaxInstancesPerDraw = 200;

struct ConstantVertex {
  DirectX::XMMATRIX World[MaxInstancesPerDraw];
  DirectX::XMMATRIX View;
  DirectX::XMMATRIX Projection;
  SurfaceParams Surface;
};

static_assert(sizeof(ConstantVertex) == 12992);
static_assert(offsetof(ConstantVertex, World) == 0);
static_assert(offsetof(ConstantVertex, View) == 12800);
static_assert(offsetof(ConstantVertex, Projection) == 12864);
static_assert(offsetof(ConstantVertex, Surface) == 12928);
