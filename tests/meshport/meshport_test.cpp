// Drives the meshport library through its one export, as the outside tool does, and
// reads the files it writes byte by byte.
#include "meshport/meshport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "fbxwriter.h"
#include "meshfile.h"

namespace {

namespace fs = std::filesystem;
using fbxtest::Cube;
using fbxtest::Encoding;
using fbxtest::Geometry;
using fbxtest::Layer;
using MeshFormat::MeshFileVertex;

const Encoding kBinary{"binary 7500 compressed", false, 7500, true};

fs::path Dir() {
  // One folder per process: ctest runs the cases side by side.
  fs::path dir = fs::path(testing::TempDir()) / ("meshport_test_" + std::to_string(getpid()));
  fs::create_directories(dir);
  return dir;
}

std::string WriteFbx(const std::vector<Geometry>& geometries, const Encoding& encoding = kBinary,
                     const std::string& name = "in.fbx") {
  std::string path = (Dir() / name).string();
  EXPECT_TRUE(fbxtest::WriteFile(path, fbxtest::Write(fbxtest::SceneDocument(geometries, encoding.version), encoding)));
  return path;
}

// The export's result, what it printed, and the file it left at prefix + name.
struct Export {
  int result;
  std::string printed;
  std::optional<StoredMesh> file;
};

Export ExportMesh(const std::string& fbx, const std::string& prefix, const std::string& name) {
  fs::remove(prefix + name);
  testing::internal::CaptureStdout();
  int result = FBX_INTERFACE::export_simple_mesh(fbx.c_str(), prefix.c_str(), name.c_str());
  std::string printed = testing::internal::GetCapturedStdout();
  return {result, printed, ReadStoredMesh(prefix + name)};
}

Geometry Triangle() {
  Geometry g;
  g.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  g.polygonVertexIndex = {0, 1, ~2};
  g.normals = Layer{"ByPolygonVertex", "Direct", {0, 0, 1, 0, 0.6, 0.8, 0, 0.8, 0.6}, {}, ""};
  g.uvs = {Layer{"ByPolygonVertex", "IndexToDirect", {0, 0, 1, 0, 0, 1}, {0, 1, 2}, "map1"}};
  return g;
}

// Four points; the polygon runs 2 3 0 1, so corner k is not control point k.
Geometry Quad() {
  Geometry g;
  g.vertices = {0, 0, 0, 2, 0, 0, 2, 2, 0, 0, 2, 0};
  g.polygonVertexIndex = {2, 3, 0, ~1};
  g.normals = Layer{"ByControlPoint", "Direct", {0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4}, {}, ""};
  g.uvs = {Layer{"ByPolygonVertex", "IndexToDirect", {0.25, 0.75, 0.5, 0.5}, {1, 0, 1, 0}, "uv"}};
  return g;
}

template <typename F>
Geometry With(Geometry g, F change) {
  change(g);
  return g;
}

std::string Show(const MeshFileVertex& a) {
  return std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(a.z) + " | " + std::to_string(a.nx) +
         " " + std::to_string(a.ny) + " " + std::to_string(a.nz) + " | " + std::to_string(a.u) + " " +
         std::to_string(a.v);
}

bool SameVertex(const MeshFileVertex& a, const MeshFileVertex& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.nx == b.nx && a.ny == b.ny && a.nz == b.nz && a.u == b.u &&
         a.v == b.v;
}

TEST(MeshportExport, WritesTheVerticesAndTrianglesOfEveryMesh) {
  struct Case {
    const char* label;
    std::vector<Geometry> scene;
    std::vector<MeshFileVertex> vertices;
    std::vector<std::uint32_t> indices;
  };
  const Case cases[] = {
      {"one triangle",
       {Triangle()},
       {{0, 0, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0.6f, 0.8f, 1, 0}, {0, 1, 0, 0, 0.8f, 0.6f, 0, 1}},
       {0, 1, 2}},
      {"a quad as a fan of two triangles, normals by control point, UVs by index",
       {Quad()},
       {{0, 0, 0, 0, 0, 1, 0.5f, 0.5f},
        {2, 0, 0, 0, 0, 2, 0.25f, 0.75f},
        {2, 2, 0, 0, 0, 3, 0.5f, 0.5f},
        {0, 2, 0, 0, 0, 4, 0.25f, 0.75f}},
       {2, 3, 0, 2, 0, 1}},
      // Each point takes the normal and UV of the first corner that uses it: point 1 is
      // the fourth corner of the first face, so it gets that corner's UV (0, 1).
      {"a cube of six quads",
       {Cube()},
       {{0, 0, 0, 0, 0, -1, 0, 0},
        {1, 0, 0, 0, 0, -1, 0, 1},
        {1, 1, 0, 0, 0, -1, 1, 1},
        {0, 1, 0, 0, 0, -1, 1, 0},
        {0, 0, 1, 0, 0, 1, 0, 0},
        {1, 0, 1, 0, 0, 1, 1, 0},
        {1, 1, 1, 0, 0, 1, 1, 1},
        {0, 1, 1, 0, 0, 1, 0, 1}},
       {0, 3, 2, 0, 2, 1, 4, 5, 6, 4, 6, 7, 0, 1, 5, 0, 5, 4, 1, 2, 6, 1, 6, 5, 2, 3, 7, 2, 7, 6, 3, 0, 4, 3, 4, 7}},
      {"two meshes, the second's indices after the first's vertices",
       {Triangle(), Quad()},
       {{0, 0, 0, 0, 0, 1, 0, 0},
        {1, 0, 0, 0, 0.6f, 0.8f, 1, 0},
        {0, 1, 0, 0, 0.8f, 0.6f, 0, 1},
        {0, 0, 0, 0, 0, 1, 0.5f, 0.5f},
        {2, 0, 0, 0, 0, 2, 0.25f, 0.75f},
        {2, 2, 0, 0, 0, 3, 0.5f, 0.5f},
        {0, 2, 0, 0, 0, 4, 0.25f, 0.75f}},
       {0, 1, 2, 5, 6, 3, 5, 3, 4}},
      {"no normals",
       {With(Triangle(), [](Geometry& g) { g.normals.reset(); })},
       {{0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 0, 0, 1}},
       {0, 1, 2}},
      {"no UVs",
       {With(Triangle(), [](Geometry& g) { g.uvs.clear(); })},
       {{0, 0, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0.6f, 0.8f, 0, 0}, {0, 1, 0, 0, 0.8f, 0.6f, 0, 0}},
       {0, 1, 2}},
      {"a point no polygon uses keeps zero normal and UV",
       {With(Triangle(),
             [](Geometry& g) {
               g.vertices.insert(g.vertices.end(), {5, 5, 5});
             })},
       {{0, 0, 0, 0, 0, 1, 0, 0},
        {1, 0, 0, 0, 0.6f, 0.8f, 1, 0},
        {0, 1, 0, 0, 0.8f, 0.6f, 0, 1},
        {5, 5, 5, 0, 0, 0, 0, 0}},
       {0, 1, 2}},
      {"a pentagon fans out, a two-point polygon makes nothing",
       {With(Geometry{},
             [](Geometry& g) {
               g.vertices = {0, 0, 0, 1, 0, 0, 2, 1, 0, 1, 2, 0, 0, 1, 0};
               g.polygonVertexIndex = {0, 1, 2, 3, ~4, 1, ~3};
             })},
       {{0, 0, 0, 0, 0, 0, 0, 0},
        {1, 0, 0, 0, 0, 0, 0, 0},
        {2, 1, 0, 0, 0, 0, 0, 0},
        {1, 2, 0, 0, 0, 0, 0, 0},
        {0, 1, 0, 0, 0, 0, 0, 0}},
       {0, 1, 2, 0, 2, 3, 0, 3, 4}},
  };
  const std::string prefix = (Dir() / "").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Export out = ExportMesh(WriteFbx(c.scene), prefix, "out.mesh");
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.printed, "");
    ASSERT_TRUE(out.file);
    EXPECT_EQ(out.file->name, prefix + "out.mesh" + '\0');
    EXPECT_EQ(out.file->textureCount, 0u);
    ASSERT_EQ(out.file->vertices.size(), c.vertices.size());
    for (size_t i = 0; i < c.vertices.size(); ++i)
      EXPECT_TRUE(SameVertex(out.file->vertices[i], c.vertices[i]))
          << "vertex " << i << ": " << Show(out.file->vertices[i]) << ", want " << Show(c.vertices[i]);
    EXPECT_EQ(out.file->indices, c.indices);
    EXPECT_EQ(out.file->triangleField * 3, c.indices.size());
  }
}

TEST(MeshportExport, EveryEncodingGivesTheSameFile) {
  const std::string prefix = (Dir() / "").string();
  std::optional<StoredMesh> first;
  for (const Encoding& encoding : fbxtest::kEncodings) {
    SCOPED_TRACE(encoding.label);
    Export out = ExportMesh(WriteFbx({Cube(), Quad()}, encoding), prefix, "same.mesh");
    ASSERT_EQ(out.result, 0);
    ASSERT_TRUE(out.file);
    if (!first) first = out.file;
    EXPECT_EQ(out.file->indices, first->indices);
    ASSERT_EQ(out.file->vertices.size(), first->vertices.size());
    for (size_t i = 0; i < first->vertices.size(); ++i)
      EXPECT_TRUE(SameVertex(out.file->vertices[i], first->vertices[i])) << "vertex " << i;
  }
}

TEST(MeshportExport, FilesItCannotImportGiveMinusOneAndTheFourPieces) {
  const std::string dir = Dir().string();
  const std::string text = dir + "/notes.txt";
  ASSERT_TRUE(fbxtest::WriteFile(text, {'h', 'i', '\n'}));
  std::vector<std::uint8_t> old = fbxtest::Write(fbxtest::SceneDocument({Triangle()}, 7400), kBinary);
  const std::uint32_t version = 5000;
  std::memcpy(&old[23], &version, 4);
  const std::string oldPath = dir + "/old.fbx";
  ASSERT_TRUE(fbxtest::WriteFile(oldPath, old));
  struct Case {
    std::string path;
    const char* error;
  };
  const Case cases[] = {
      {dir + "/missing.fbx", "File not found"},
      {text, "Unexpected file type"},
      {oldPath, "File version 5000 is not supported"},
      {dir + "/100%s%n.fbx", "File not found"},  // the path is printed as it is, never as a format
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Export out = ExportMesh(c.path, dir + "/", "never.mesh");
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.printed, "\n\n\n Call to FBXImporter::Initialize() failed.\nFile Path: " + c.path +
                               "\nError returned: " + c.error + "\n\n");
    EXPECT_FALSE(out.file);
  }
}

TEST(MeshportExport, ScenesWithoutAMeshWriteNothingAndSucceed) {
  Geometry curve;
  curve.className = "NurbsCurve";
  std::vector<std::uint8_t> cut = fbxtest::Write(fbxtest::SceneDocument({Cube()}, 7500), kBinary);
  cut.resize(cut.size() / 2);
  const std::string damaged = (Dir() / "damaged.fbx").string();
  ASSERT_TRUE(fbxtest::WriteFile(damaged, cut));
  struct Case {
    const char* label;
    std::string fbx;
  };
  const Case cases[] = {
      {"no geometry", WriteFbx({})},
      {"only a curve", WriteFbx({curve})},
      {"a damaged file that imports nothing", damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Export out = ExportMesh(c.fbx, (Dir() / "").string(), "none.mesh");
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.printed, "");
    EXPECT_FALSE(fs::exists(Dir() / "none.mesh"));
  }
}

TEST(MeshportExport, PathIsThePrefixRunStraightIntoTheName) {
  const std::string fbx = WriteFbx({Triangle()});
  const fs::path sub = Dir() / "sub";
  fs::create_directories(sub);
  struct Case {
    std::string prefix, name, expected;
  };
  const Case cases[] = {
      {sub.string() + "/", "a.mesh", (sub / "a.mesh").string()},
      {sub.string() + "/pre_", "b.mesh", (sub / "pre_b.mesh").string()},
      {sub.string(), "c.mesh", sub.string() + "c.mesh"},  // no separator is inserted
      {"", (sub / "d.mesh").string(), (sub / "d.mesh").string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Export out = ExportMesh(fbx, c.prefix, c.name);
    EXPECT_EQ(out.result, 0);
    ASSERT_TRUE(out.file);
    EXPECT_EQ(out.file->name, c.expected + '\0');
  }
  // An output that cannot be created: no file, no message, success.
  Export out = ExportMesh(fbx, (Dir() / "no-such-dir/").string(), "e.mesh");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.printed, "");
  EXPECT_FALSE(out.file);
}

TEST(MeshportExport, PathsOfMoreThan1023BytesWriteNothingAndSaySo) {
  // A directory chain leaving between 50 and 250 bytes for the name of a 1023-byte path.
  std::string dir = (Dir() / "long").string();
  while (1023 - dir.size() - 1 > 250) dir += "/" + std::string(200, 'd');
  fs::create_directories(dir);
  const std::string prefix = dir + "/";
  const std::string fbx = WriteFbx({Triangle()});
  const std::string fits(1023 - prefix.size(), 'n');
  Export out = ExportMesh(fbx, prefix, fits);
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.printed, "");
  ASSERT_TRUE(out.file);
  EXPECT_EQ(out.file->name.size(), 1024u);

  out = ExportMesh(fbx, prefix, fits + "n");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.printed, "Output path longer than 1023 bytes: no mesh file written.\n");
  EXPECT_FALSE(fs::exists(prefix + fits + "n"));
}

std::string Shell(const std::string& command, int& status) {
  std::string output;
  std::FILE* pipe = popen(command.c_str(), "r");
  char buffer[512];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  status = pclose(pipe);
  status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

TEST(MeshportLibrary, ExportsOnlyTheDecoratedFunction) {
  int status;
  std::string listing = Shell("nm -D --defined-only " MESHPORT_LIBRARY, status);
  ASSERT_EQ(status, 0);
  std::set<std::string> symbols;
  size_t at = 0;
  for (size_t end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = listing.substr(at, end - at);
    symbols.insert(line.substr(line.rfind(' ') + 1));
  }
  EXPECT_EQ(symbols, std::set<std::string>{"_ZN13FBX_INTERFACE18export_simple_meshEPKcS1_S1_"}) << listing;
}

TEST(MeshportTool, ConvertsAndReturnsTheResultAsItsExitCode) {
  const std::string fbx = WriteFbx({Cube()});
  const std::string out = (Dir() / "tool.mesh").string();
  const std::string tool = MESHPORT_TOOL;
  struct Case {
    std::string arguments;
    int exit;
    const char* says;
  };
  const Case cases[] = {
      {"--help", 0, "Usage: meshport"},
      {"", 2, "Usage: meshport"},
      {fbx + " " + Dir().string() + "/", 2, "Usage: meshport"},
      {(Dir() / "missing.fbx").string() + " " + Dir().string() + "/ tool.mesh", 255, "Error returned: File not found"},
      {"--library /no/such/libmeshport.so " + fbx + " " + Dir().string() + "/ tool.mesh", 3, "cannot load"},
      {fbx + " " + Dir().string() + "/ tool.mesh", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove(out);
    int status;
    std::string said = Shell(tool + " " + c.arguments + " 2>&1", status);
    EXPECT_EQ(status, c.exit) << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_EQ(fs::exists(out), c.exit == 0 && c.arguments != "--help");
  }
  std::optional<StoredMesh> mesh = ReadStoredMesh(out);
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->vertices.size(), 8u);
  EXPECT_EQ(mesh->triangleField, 12u);
}

}  // namespace
