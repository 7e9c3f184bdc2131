// Reads back a mesh file byte by byte, strictly: every field must be present and the
// indices must fill the rest of the file exactly.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "scene/meshformat.h"

struct StoredMesh {
  std::string name;  // with its terminating zero
  std::uint32_t textureCount = 0;
  std::vector<MeshFormat::MeshFileVertex> vertices;
  std::uint32_t triangleField = 0;
  std::vector<std::uint32_t> indices;
};

inline std::optional<StoredMesh> ReadStoredMesh(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t at = 0;
  auto take = [&](void* out, std::size_t n) {
    if (bytes.size() - at < n) return false;
    if (n) std::memcpy(out, bytes.data() + at, n);
    at += n;
    return true;
  };
  StoredMesh mesh;
  std::uint32_t count;
  if (!take(&count, 4)) return std::nullopt;
  mesh.name.resize(count);
  if (!take(mesh.name.data(), count) || !take(&mesh.textureCount, 4) || !take(&count, 4)) return std::nullopt;
  mesh.vertices.resize(count);
  if (!take(mesh.vertices.data(), count * sizeof(MeshFormat::MeshFileVertex)) || !take(&mesh.triangleField, 4))
    return std::nullopt;
  if ((bytes.size() - at) % 4 != 0) return std::nullopt;
  mesh.indices.resize((bytes.size() - at) / 4);
  take(mesh.indices.data(), bytes.size() - at);
  return mesh;
}
