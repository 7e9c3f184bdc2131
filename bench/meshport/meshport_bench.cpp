// Conversion throughput of a large binary FBX with compressed arrays: a grid of quads
// giving one million triangles, with normals per polygon vertex and indexed UVs.
// Reported: input MB/s, triangles/s, and the peak memory of one conversion (measured in a
// child process) against the size of the decoded geometry arrays. The inflate-only
// benchmark decompresses the same arrays and nothing else, for comparison.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fbxwriter.h"
#include "meshport/meshport.h"

namespace {

constexpr int kGrid = 708;  // 708 x 708 quads: 1,002,528 triangles

struct Input {
  std::string fbx, prefix;
  std::size_t fileBytes = 0;
  std::size_t decodedBytes = 0;  // every geometry array at its stored element size
  std::vector<std::vector<std::uint8_t>> compressed;
  std::vector<std::size_t> rawBytes;
  double triangles = 2.0 * kGrid * kGrid;
};

const Input& TheInput() {
  static const Input input = [] {
    Input in;
    const int side = kGrid + 1;
    fbxtest::Geometry g;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) g.vertices.insert(g.vertices.end(), {x * 0.01, y * 0.01, 0.001 * ((x * y) % 97)});
    fbxtest::Layer normals{"ByPolygonVertex", "Direct", {}, {}, ""};
    fbxtest::Layer uv{"ByPolygonVertex", "IndexToDirect", {}, {}, "map1"};
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) uv.values.insert(uv.values.end(), {double(x) / kGrid, double(y) / kGrid});
    for (int y = 0; y < kGrid; ++y)
      for (int x = 0; x < kGrid; ++x) {
        const std::int64_t a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
        g.polygonVertexIndex.insert(g.polygonVertexIndex.end(), {a, b, c, ~d});
        uv.index.insert(uv.index.end(), {a, b, c, d});
        for (int k = 0; k < 4; ++k) normals.values.insert(normals.values.end(), {0.0, 0.001 * ((x + k) % 13), 1.0});
      }
    g.normals = normals;
    g.uvs = {uv};
    auto pack = [&in](const void* data, std::size_t size) {
      uLongf packedSize = compressBound(size);
      std::vector<std::uint8_t> packed(packedSize);
      compress2(packed.data(), &packedSize, static_cast<const Bytef*>(data), size, Z_DEFAULT_COMPRESSION);
      packed.resize(packedSize);
      in.compressed.push_back(std::move(packed));
      in.rawBytes.push_back(size);
      in.decodedBytes += size;
    };
    pack(g.vertices.data(), g.vertices.size() * 8);
    std::vector<std::int32_t> narrow(g.polygonVertexIndex.begin(), g.polygonVertexIndex.end());
    pack(narrow.data(), narrow.size() * 4);
    pack(normals.values.data(), normals.values.size() * 8);
    pack(uv.values.data(), uv.values.size() * 8);
    narrow.assign(uv.index.begin(), uv.index.end());
    pack(narrow.data(), narrow.size() * 4);

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "meshport_bench";
    std::filesystem::create_directories(dir);
    in.fbx = (dir / "grid.fbx").string();
    in.prefix = dir.string() + "/";
    const fbxtest::Encoding encoding{"binary 7500 compressed", false, 7500, true};
    std::vector<std::uint8_t> file = fbxtest::Write(fbxtest::SceneDocument({g}, encoding.version), encoding);
    in.fileBytes = file.size();
    fbxtest::WriteFile(in.fbx, file);
    return in;
  }();
  return input;
}

long ResidentKiB() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Peak resident memory one conversion adds, from a child process's high-water mark.
double ConversionPeakBytes(const Input& in) {
  malloc_trim(0);
  const long before = ResidentKiB();
  pid_t child = fork();
  if (child == 0) {
    FBX_INTERFACE::export_simple_mesh(in.fbx.c_str(), in.prefix.c_str(), "peak.mesh");
    _exit(0);
  }
  int status;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return (usage.ru_maxrss - before) * 1024.0;
}

void BM_ConvertMillionTriangles(benchmark::State& state) {
  const Input& in = TheInput();
  for (auto _ : state) {
    int result = FBX_INTERFACE::export_simple_mesh(in.fbx.c_str(), in.prefix.c_str(), "grid.mesh");
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.fileBytes));
  state.counters["triangles/s"] =
      benchmark::Counter(in.triangles * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["input_MB"] = in.fileBytes / 1e6;
  state.counters["decoded_MB"] = in.decodedBytes / 1e6;
  const double peak = ConversionPeakBytes(in);
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak_per_decoded"] = peak / in.decodedBytes;
}
BENCHMARK(BM_ConvertMillionTriangles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same arrays inflated and nothing else: the floor the conversion is held to.
void BM_InflateArraysOnly(benchmark::State& state) {
  const Input& in = TheInput();
  std::vector<std::vector<std::uint8_t>> out;
  for (std::size_t raw : in.rawBytes) out.emplace_back(raw);
  for (auto _ : state) {
    for (std::size_t i = 0; i < in.compressed.size(); ++i) {
      uLongf size = out[i].size();
      uncompress(out[i].data(), &size, in.compressed[i].data(), in.compressed[i].size());
      benchmark::DoNotOptimize(out[i].data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.fileBytes));
}
BENCHMARK(BM_InflateArraysOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
