// Mesh file reader on arbitrary bytes: no crash, no read past the end, and nothing in the
// result that the input could not hold.
#include <cstdint>
#include <cstdlib>

#include "scene/loadfile.h"
#include "scene/meshformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Mesh mesh = FileLoader().LoadMesh(data, size);
  const size_t held =
      mesh.Vertices.size() * MeshFormat::VertexRecordBytes + mesh.Indices.size() * MeshFormat::IndexBytes;
  const size_t reserved = mesh.Vertices.capacity() * sizeof(Vertex) + mesh.Indices.capacity() * sizeof(std::uint32_t);
  if (held > size || reserved > 2 * size) std::abort();
  for (const Vertex& v : mesh.Vertices) {
    if (v.Color.x != 1 || v.Color.y != 1 || v.Color.z != 1 || v.Color.w != 1) std::abort();
  }
  return 0;
}
