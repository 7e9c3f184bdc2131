#include "scene/loadfile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "debug/failuretrace.h"
#include "scene/ddstextureloader.h"
#include "scene/meshformat.h"

// The file's integers and floats are little-endian and are copied as they are.
static_assert(std::endian::native == std::endian::little);

namespace {

// The bytes of a mesh file in memory.
class MemorySource {
 public:
  MemorySource(const unsigned char* data, size_t size) : Next(data), Left(data ? size : 0) {}

  size_t Remaining() const { return Left; }

  // Copies up to bytes into destination; gives how many it copied.
  size_t Read(void* destination, size_t bytes) {
    bytes = std::min(bytes, Left);
    if (bytes > 0) std::memcpy(destination, Next, bytes);
    Next += bytes;
    Left -= bytes;
    return bytes;
  }

  // bytes is at most Remaining().
  void Skip(size_t bytes) {
    Next += bytes;
    Left -= bytes;
  }

 private:
  const unsigned char* Next;
  size_t Left;
};

// An open mesh file of known size; reads go straight into their destination.
class FileSource {
 public:
  FileSource(std::ifstream& file, size_t size) : File(file), Left(size) {}

  size_t Remaining() const { return Left; }

  size_t Read(void* destination, size_t bytes) {
    bytes = std::min(bytes, Left);
    File.read(static_cast<char*>(destination), static_cast<std::streamsize>(bytes));
    const size_t got = static_cast<size_t>(File.gcount());
    // A short read (the file shrank, or is no regular file) ends the data here.
    Left = got == bytes ? Left - bytes : 0;
    return got;
  }

  // bytes is at most Remaining().
  void Skip(size_t bytes) {
    File.seekg(static_cast<std::streamoff>(bytes), std::ios::cur);
    Left = File ? Left - bytes : 0;
  }

 private:
  std::ifstream& File;
  size_t Left;
};

template <typename Source>
bool ReadCount(Source& in, MeshFormat::Count& value) {
  return in.Read(&value, MeshFormat::CountBytes) == MeshFormat::CountBytes;
}

template <typename Source>
bool Skip(Source& in, size_t bytes) {
  if (in.Remaining() < bytes) return false;
  in.Skip(bytes);
  return true;
}

// Vertex records are converted a block at a time.
constexpr size_t RecordsPerBlock = 1024;

// The one reader of the format. No count is trusted beyond what the source still holds,
// so nothing is allocated or read past the end of the data.
template <typename Source>
Mesh ReadMesh(Source& in) {
  Mesh mesh;

  MeshFormat::Count meshNameSize = 0;
  if (!ReadCount(in, meshNameSize) || !Skip(in, meshNameSize)) return mesh;

  // Each entry takes at least its size field, so a huge count ends with the data.
  MeshFormat::Count textureCount = 0;
  if (!ReadCount(in, textureCount)) return mesh;
  for (MeshFormat::Count t = 0; t < textureCount; ++t) {
    MeshFormat::Count textureNameSize = 0;
    if (!ReadCount(in, textureNameSize) || !Skip(in, textureNameSize)) return mesh;
  }

  MeshFormat::Count vertexSize = 0;
  if (!ReadCount(in, vertexSize)) return mesh;
  const size_t vertexCount = std::min<size_t>(vertexSize, in.Remaining() / MeshFormat::VertexRecordBytes);
  mesh.Vertices.reserve(vertexCount);
  MeshFormat::MeshFileVertex block[RecordsPerBlock];
  for (size_t done = 0; done < vertexCount;) {
    const size_t wanted = std::min(RecordsPerBlock, vertexCount - done);
    const size_t got = in.Read(block, wanted * MeshFormat::VertexRecordBytes) / MeshFormat::VertexRecordBytes;
    for (size_t i = 0; i < got; ++i) {
      const MeshFormat::MeshFileVertex& r = block[i];
      mesh.Vertices.push_back(Vertex{DirectX::XMFLOAT3(r.x, r.y, r.z), DirectX::XMFLOAT4(1, 1, 1, 1),
                                     DirectX::XMFLOAT2(r.u, 1.0f - r.v), DirectX::XMFLOAT3(r.nx, r.ny, r.nz)});
    }
    if (got < wanted) return mesh;
    done += got;
  }
  // The file ended inside the vertex records: the partial record is dropped and no index
  // field follows.
  if (vertexCount < vertexSize) return mesh;

  MeshFormat::Count triangleSize = 0;
  if (!ReadCount(in, triangleSize)) return mesh;
  const MeshFormat::Count wanted = MeshFormat::IndicesPerTriangle * triangleSize;
  mesh.Indices.resize(std::min<size_t>(wanted, in.Remaining() / MeshFormat::IndexBytes));
  const size_t got = in.Read(mesh.Indices.data(), mesh.Indices.size() * MeshFormat::IndexBytes);
  mesh.Indices.resize(got / MeshFormat::IndexBytes);
  return mesh;
}

}  // namespace

Mesh FileLoader::LoadMesh(const char* path) {
  if (!path) return {};
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return {};
  const std::streamoff size = file.tellg();
  if (size <= 0 || !file.seekg(0)) return {};
  FileSource in(file, static_cast<size_t>(size));
  return ReadMesh(in);
}

Mesh FileLoader::LoadMesh(const unsigned char* data, size_t size) {
  MemorySource in(data, size);
  return ReadMesh(in);
}

void FileLoader::LoadTexture(ID3D11Device* pDevice, ID3D11Resource** TextureResource,
                             ID3D11ShaderResourceView** TextureView, const wchar_t* FilePath) {
  CHECK_HR(CreateDDSTextureFromFile(pDevice, FilePath, TextureResource, TextureView));
}
