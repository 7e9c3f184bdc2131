// Builds mesh files byte by byte for the tests, field by field as the format lays them out.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include <unistd.h>

#include "scene/meshformat.h"

class MeshBytes {
 public:
  MeshBytes& Count(std::uint32_t value) { return Raw(&value, sizeof value); }
  MeshBytes& Name(std::string_view name) {
    Count(static_cast<std::uint32_t>(name.size()));
    return Raw(name.data(), name.size());
  }
  MeshBytes& Vertex(const MeshFormat::MeshFileVertex& v) { return Raw(&v, sizeof v); }
  MeshBytes& Indices(std::initializer_list<std::uint32_t> indices) {
    for (std::uint32_t index : indices) Raw(&index, sizeof index);
    return *this;
  }
  MeshBytes& Raw(const void* data, size_t size) {
    Bytes.append(static_cast<const char*>(data), size);
    return *this;
  }

  size_t Size() const { return Bytes.size(); }
  const unsigned char* Data() const { return reinterpret_cast<const unsigned char*>(Bytes.data()); }

  // A file of this process in the temporary directory, removed with the object.
  class TempFile {
   public:
    explicit TempFile(std::string path) : Path(std::move(path)) {}
    ~TempFile() { std::filesystem::remove(Path); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* c_str() const { return Path.c_str(); }
    const std::string Path;
  };

  // Writes the first size bytes (all by default).
  TempFile WriteFile(const std::string& name, size_t size = std::string::npos) const {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zr_scene_" + std::to_string(getpid()) + "_" + name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(Bytes.data(), static_cast<std::streamsize>(std::min(size, Bytes.size())));
    return TempFile(path.string());
  }

  std::string Bytes;
};
