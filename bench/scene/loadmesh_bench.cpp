// Mesh file reading from the page cache: a 100 MB file in the exporter's layout.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/loadfile.h"
#include "scene/meshformat.h"

namespace {

std::string WriteMeshFile(size_t targetBytes) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("zr_scene_bench_" + std::to_string(getpid()) + ".mesh")).string();
  // Half the bytes vertex records, half indices.
  const std::uint32_t vertexCount = static_cast<std::uint32_t>(targetBytes / 2 / MeshFormat::VertexRecordBytes);
  const std::uint32_t indexCount = static_cast<std::uint32_t>(targetBytes / 2 / MeshFormat::IndexBytes);
  std::vector<MeshFormat::MeshFileVertex> vertices(vertexCount);
  for (std::uint32_t i = 0; i < vertexCount; ++i) {
    const float f = static_cast<float>(i);
    vertices[i] = {f, f + 1, f + 2, 0, 1, 0, 0.5f, 0.25f};
  }
  std::vector<std::uint32_t> indices(indexCount);
  for (std::uint32_t i = 0; i < indexCount; ++i) indices[i] = i % vertexCount;
  const char name[] = "bench.mesh";
  const std::uint32_t nameSize = sizeof name, textureCount = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&nameSize), 4);
  out.write(name, nameSize);
  out.write(reinterpret_cast<const char*>(&textureCount), 4);
  out.write(reinterpret_cast<const char*>(&vertexCount), 4);
  out.write(reinterpret_cast<const char*>(vertices.data()), vertices.size() * sizeof vertices[0]);
  out.write(reinterpret_cast<const char*>(&indexCount), 4);
  out.write(reinterpret_cast<const char*>(indices.data()), indices.size() * sizeof indices[0]);
  return path;
}

void BM_LoadMesh(benchmark::State& state) {
  const std::string path = WriteMeshFile(100u << 20);
  const auto bytes = std::filesystem::file_size(path);
  FileLoader().LoadMesh(path.c_str());  // warm the page cache
  for (auto _ : state) {
    Mesh mesh = FileLoader().LoadMesh(path.c_str());
    benchmark::DoNotOptimize(mesh.Vertices.data());
    benchmark::DoNotOptimize(mesh.Indices.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadMesh)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
