#include "scene/loadfile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>

#include "debug/failuretrace.h"
#include "scene/ddstextureloader.h"
#include "scene/meshformat.h"

// The file's integers and floats are little-endian and are copied as they are.
static_assert(std::endian::native == std::endian::little);

namespace {

// Walks the bytes of a mesh file; every read is checked against what is left.
class MeshBytes {
 public:
  MeshBytes(const unsigned char* data, size_t size) : Next(data), Left(data ? size : 0) {}

  bool ReadCount(MeshFormat::Count& value) {
    if (Left < MeshFormat::CountBytes) return false;
    std::memcpy(&value, Next, MeshFormat::CountBytes);
    Advance(MeshFormat::CountBytes);
    return true;
  }

  bool Skip(size_t bytes) {
    if (Left < bytes) return false;
    Advance(bytes);
    return true;
  }

  // How many whole records of the given size are left, at most wanted.
  size_t Available(size_t wanted, size_t recordBytes) const { return std::min(wanted, Left / recordBytes); }

  const unsigned char* Data() const { return Next; }

  void Advance(size_t bytes) {
    Next += bytes;
    Left -= bytes;
  }

 private:
  const unsigned char* Next;
  size_t Left;
};

}  // namespace

Mesh FileLoader::LoadMesh(const char* path) {
  if (!path) return {};
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return {};
  const std::streamoff size = file.tellg();
  if (size <= 0) return {};
  file.seekg(0);
  // One allocation of the file's size and one read; the counts inside are trusted for nothing.
  std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[static_cast<size_t>(size)]);
  if (!bytes) return {};
  file.read(reinterpret_cast<char*>(bytes.get()), size);
  return LoadMesh(bytes.get(), static_cast<size_t>(file.gcount()));
}

Mesh FileLoader::LoadMesh(const unsigned char* data, size_t size) {
  Mesh mesh;
  MeshBytes in(data, size);

  MeshFormat::Count meshNameSize = 0;
  if (!in.ReadCount(meshNameSize) || !in.Skip(meshNameSize)) return mesh;

  // Each entry takes at least its size field, so a huge count ends with the data.
  MeshFormat::Count textureCount = 0;
  if (!in.ReadCount(textureCount)) return mesh;
  for (MeshFormat::Count t = 0; t < textureCount; ++t) {
    MeshFormat::Count textureNameSize = 0;
    if (!in.ReadCount(textureNameSize) || !in.Skip(textureNameSize)) return mesh;
  }

  MeshFormat::Count vertexSize = 0;
  if (!in.ReadCount(vertexSize)) return mesh;
  const size_t vertexCount = in.Available(vertexSize, MeshFormat::VertexRecordBytes);
  mesh.Vertices.reserve(vertexCount);
  for (size_t i = 0; i < vertexCount; ++i) {
    MeshFormat::MeshFileVertex record;
    std::memcpy(&record, in.Data(), MeshFormat::VertexRecordBytes);
    in.Advance(MeshFormat::VertexRecordBytes);
    mesh.Vertices.push_back(Vertex{DirectX::XMFLOAT3(record.x, record.y, record.z), DirectX::XMFLOAT4(1, 1, 1, 1),
                                   DirectX::XMFLOAT2(record.u, 1.0f - record.v),
                                   DirectX::XMFLOAT3(record.nx, record.ny, record.nz)});
  }
  // The file ended inside the vertex records: the partial record is dropped and no
  // index field follows.
  if (vertexCount < vertexSize) return mesh;

  MeshFormat::Count triangleSize = 0;
  if (!in.ReadCount(triangleSize)) return mesh;
  const MeshFormat::Count wanted = MeshFormat::IndicesPerTriangle * triangleSize;
  const size_t indexCount = in.Available(wanted, MeshFormat::IndexBytes);
  mesh.Indices.resize(indexCount);
  if (indexCount > 0) std::memcpy(mesh.Indices.data(), in.Data(), indexCount * MeshFormat::IndexBytes);
  return mesh;
}

void FileLoader::LoadTexture(ID3D11Device* pDevice, ID3D11Resource** TextureResource,
                             ID3D11ShaderResourceView** TextureView, const wchar_t* FilePath) {
  CHECK_HR(CreateDDSTextureFromFile(pDevice, FilePath, TextureResource, TextureView));
}
