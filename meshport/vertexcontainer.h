// What one extraction gathers from a scene: the vertices of every mesh, in geometry order,
// and the triangles over them.
#pragma once

#include <cstdint>
#include <vector>

namespace FBX_INTERFACE {

// One exported vertex; every field is 0 until set.
struct simple_vert {
  float position[4] = {};  // x, y, z; w stays 0
  float normal[4] = {};
  float color[4] = {};
  float uv[2] = {};
};

struct VertexContainer {
  std::vector<simple_vert> vertices;
  std::vector<std::uint32_t> indices;  // three per triangle, into vertices
};

}  // namespace FBX_INTERFACE
