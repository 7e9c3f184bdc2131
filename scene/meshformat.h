// The engine's binary mesh file, shared by the reader (FileLoader::LoadMesh) and the
// exporter (meshport). Plain C++: no platform header is needed to read or write it.
//
// No magic, no version, no checksum. Integers are unsigned 32-bit little-endian, floats
// IEEE-754 single precision little-endian, and the fields follow each other without
// padding:
//
//   MeshNameSize                 uint32
//   mesh name                    MeshNameSize bytes (the exporter includes the trailing zero)
//   TextureCount                 uint32 (the exporter writes 0)
//   TextureCount times:
//     TextureNameSize            uint32
//     texture name               TextureNameSize bytes
//   VertexSize                   uint32
//   VertexSize vertex records    MeshFileVertex, 32 bytes each
//   TriangleSize                 uint32
//   indices                      uint32 each
//
// The reader takes TriangleSize as a triangle count and asks for 3 x TriangleSize indices
// (the product in 32 bits); the exporter writes its index count into the field followed by
// exactly that many indices. The reader appends only the indices the file really holds, up
// to what it asks for, so both conventions load whole. Bytes after the indices are ignored.
#pragma once

#include <cstddef>
#include <cstdint>

namespace MeshFormat {

// Every count and size field.
using Count = std::uint32_t;
// One index into the vertex records.
using Index = std::uint32_t;

// One vertex record as stored. The file's v runs the other way: the reader keeps 1 - v.
struct MeshFileVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

constexpr std::size_t CountBytes = sizeof(Count);
constexpr std::size_t IndexBytes = sizeof(Index);
constexpr std::size_t VertexRecordBytes = sizeof(MeshFileVertex);
constexpr Count IndicesPerTriangle = 3;

static_assert(CountBytes == 4 && IndexBytes == 4);
static_assert(VertexRecordBytes == 32);
static_assert(offsetof(MeshFileVertex, x) == 0 && offsetof(MeshFileVertex, nx) == 12 &&
              offsetof(MeshFileVertex, u) == 24 && offsetof(MeshFileVertex, v) == 28);

}  // namespace MeshFormat
