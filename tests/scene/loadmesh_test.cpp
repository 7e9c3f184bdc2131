#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "meshbytes.h"
#include "scene/loadfile.h"

namespace {

using MeshFormat::MeshFileVertex;

const MeshFileVertex Records[] = {
    {1, 2, 3, 0, 0, 1, 0.5f, 0.25f},
    {-1, -2, -3, 0, 1, 0, 0.125f, 1.0f},
    {4, 5, 6, 1, 0, 0, 1.0f, 0.0f},
};

// What the reader makes of one record: the file's v flipped, the colour white.
void ExpectVertex(const Vertex& got, const MeshFileVertex& want, float wantV) {
  EXPECT_EQ(got.Position.x, want.x);
  EXPECT_EQ(got.Position.y, want.y);
  EXPECT_EQ(got.Position.z, want.z);
  EXPECT_EQ(got.Normal.x, want.nx);
  EXPECT_EQ(got.Normal.y, want.ny);
  EXPECT_EQ(got.Normal.z, want.nz);
  EXPECT_EQ(got.TexCoord.x, want.u);
  EXPECT_EQ(got.TexCoord.y, wantV);
  EXPECT_EQ(got.Color.x, 1.0f);
  EXPECT_EQ(got.Color.y, 1.0f);
  EXPECT_EQ(got.Color.z, 1.0f);
  EXPECT_EQ(got.Color.w, 1.0f);
}

// A whole file: a name, two texture names, three vertices, one triangle, trailing bytes.
struct Fixture {
  MeshBytes bytes;
  size_t vertexStart = 0;
  size_t indexStart = 0;
  size_t indexEnd = 0;

  Fixture() {
    bytes.Name(std::string("cube.mesh\0", 10)).Count(2).Name("diffuse.dds").Name("").Count(3);
    vertexStart = bytes.Size();
    for (const MeshFileVertex& record : Records) bytes.Vertex(record);
    bytes.Count(1);
    indexStart = bytes.Size();
    bytes.Indices({2, 0, 1});
    indexEnd = bytes.Size();
    bytes.Indices({7, 7});  // not asked for: ignored
  }
};

TEST(SceneLoadMesh, ReadsEveryFieldAndFlipsV) {
  Fixture f;
  const Mesh mesh = FileLoader().LoadMesh(f.bytes.WriteFile("whole.mesh").c_str());
  ASSERT_EQ(mesh.Vertices.size(), 3u);
  ExpectVertex(mesh.Vertices[0], Records[0], 0.75f);
  ExpectVertex(mesh.Vertices[1], Records[1], 0.0f);
  ExpectVertex(mesh.Vertices[2], Records[2], 1.0f);
  EXPECT_EQ(mesh.Indices, (std::vector<std::uint32_t>{2, 0, 1}));
}

TEST(SceneLoadMesh, EmptyForZeroCountsMissingFilesAndDirectories) {
  MeshBytes zero;
  zero.Count(0).Count(0).Count(0).Count(0);
  const std::string missing = (std::filesystem::temp_directory_path() / "zr_scene_no_such.mesh").string();
  const MeshBytes::TempFile zeroFile = zero.WriteFile("zero.mesh");
  const std::string directory = std::filesystem::temp_directory_path().string();
  for (const std::string& path : {zeroFile.Path, missing, std::string(), directory}) {
    const Mesh mesh = FileLoader().LoadMesh(path.c_str());
    EXPECT_TRUE(mesh.Vertices.empty()) << path;
    EXPECT_TRUE(mesh.Indices.empty()) << path;
  }
  const Mesh none = FileLoader().LoadMesh(static_cast<const char*>(nullptr));
  EXPECT_TRUE(none.Vertices.empty());
}

TEST(SceneLoadMesh, TextureNamesAreSkippedByTheirSizes) {
  // Texture names that look like counts and records change nothing.
  MeshBytes plain, named;
  plain.Name("m").Count(0).Count(1).Vertex(Records[0]).Count(1).Indices({0, 0, 0});
  MeshBytes decoy;
  decoy.Count(99).Vertex(Records[2]);
  named.Name("m")
      .Count(3)
      .Name(decoy.Bytes)
      .Name("")
      .Name("x.dds")
      .Count(1)
      .Vertex(Records[0])
      .Count(1)
      .Indices({0, 0, 0});
  const Mesh a = FileLoader().LoadMesh(plain.Data(), plain.Size());
  const Mesh b = FileLoader().LoadMesh(named.Data(), named.Size());
  ASSERT_EQ(b.Vertices.size(), 1u);
  ExpectVertex(b.Vertices[0], Records[0], 0.75f);
  EXPECT_EQ(a.Indices, b.Indices);
}

TEST(SceneLoadMesh, IndexFieldHoldingTheIndexCountLoadsWhole) {
  // The exporter writes its index count (6) into the field and then exactly 6 indices.
  MeshBytes bytes;
  bytes.Name("two.mesh").Count(0).Count(3);
  for (const MeshFileVertex& record : Records) bytes.Vertex(record);
  bytes.Count(6).Indices({0, 1, 2, 2, 1, 0});
  const Mesh mesh = FileLoader().LoadMesh(bytes.WriteFile("exported.mesh").c_str());
  EXPECT_EQ(mesh.Vertices.size(), 3u);
  EXPECT_EQ(mesh.Indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 0}));
}

TEST(SceneLoadMesh, TruncatedFileYieldsWhatItHolds) {
  // Cut the fixture at every length, through a file for each: the vertices are the whole
  // records present, the indices those present, and nothing else appears.
  Fixture f;
  const Mesh whole = FileLoader().LoadMesh(f.bytes.Data(), f.bytes.Size());
  for (size_t length = 0; length <= f.indexEnd; ++length) {
    SCOPED_TRACE(length);
    const Mesh mesh = FileLoader().LoadMesh(f.bytes.WriteFile("cut.mesh", length).c_str());
    const size_t vertices = length < f.vertexStart ? 0 : std::min<size_t>(3, (length - f.vertexStart) / 32);
    const size_t indices = length < f.indexStart ? 0 : (length - f.indexStart) / 4;
    ASSERT_EQ(mesh.Vertices.size(), vertices);
    for (size_t i = 0; i < vertices; ++i) ExpectVertex(mesh.Vertices[i], Records[i], whole.Vertices[i].TexCoord.y);
    ASSERT_EQ(mesh.Indices.size(), indices);
    EXPECT_TRUE(std::equal(mesh.Indices.begin(), mesh.Indices.end(), whole.Indices.begin()));
  }
}

TEST(SceneLoadMesh, CountsBeyondTheFileAllocateNothingLarge) {
  struct Case {
    const char* name;
    MeshBytes bytes;
    size_t vertices;
    size_t indices;
  };
  std::vector<Case> cases;
  cases.push_back({"name size 4G", MeshBytes().Count(0xFFFFFFFFu).Count(0).Count(0).Count(0), 0, 0});
  cases.push_back({"texture count 4G", MeshBytes().Count(0).Count(0xFFFFFFFFu).Name("a").Name("b"), 0, 0});
  cases.push_back({"texture name size 4G", MeshBytes().Count(0).Count(1).Count(0xFFFFFFFFu).Count(0), 0, 0});
  cases.push_back(
      {"vertex size 4G", MeshBytes().Count(0).Count(0).Count(0xFFFFFFFFu).Vertex(Records[0]).Vertex(Records[1]), 2, 0});
  // 3 x 0xFFFFFFFF in 32 bits asks for 0xFFFFFFFD indices; four are present.
  cases.push_back({"triangle size 4G",
                   MeshBytes().Count(0).Count(0).Count(1).Vertex(Records[0]).Count(0xFFFFFFFFu).Indices({0, 0, 0, 0}),
                   1, 4});
  // 3 x 0x55555556 wraps to 2 in 32 bits: only two of the four indices are asked for.
  cases.push_back({"triangle product wraps",
                   MeshBytes().Count(0).Count(0).Count(0).Count(0x55555556u).Indices({1, 2, 3, 4}), 0, 2});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Mesh mesh = FileLoader().LoadMesh(c.bytes.WriteFile("huge.mesh").c_str());
    EXPECT_EQ(mesh.Vertices.size(), c.vertices);
    EXPECT_EQ(mesh.Indices.size(), c.indices);
    EXPECT_LE(mesh.Vertices.capacity() * sizeof(Vertex) + mesh.Indices.capacity() * 4, 2 * c.bytes.Size());
  }
}

}  // namespace
