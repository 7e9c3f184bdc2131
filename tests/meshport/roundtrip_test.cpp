// A file meshport writes reads back through the engine's mesh reader, and a MeshFile
// primitive built from it, as the same triangles.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/pipeline.h"
#include "fbxwriter.h"
#include "meshport/meshport.h"
#include "scene/loadfile.h"
#include "scene/primitive.h"

namespace {

using fbxtest::Geometry;
using fbxtest::Layer;

// A cube of six quads (normals per face corner, UVs by index) and a triangle after it.
std::vector<Geometry> Scene() {
  Geometry cube = fbxtest::Cube();
  Geometry triangle;
  triangle.vertices = {5, 0, 0, 6, 0, 0, 5, 1, 0};
  triangle.polygonVertexIndex = {0, 1, ~2};
  triangle.normals = Layer{"AllSame", "Direct", {0, 0, 1}, {}, ""};
  triangle.uvs = {Layer{"ByControlPoint", "Direct", {0, 0, 1, 0, 0, 1}, {}, "uv"}};
  return {cube, triangle};
}

// What the scene's triangles are, corner by corner: position, normal and file-convention
// UV of each control point the triangle uses, from the first corner that uses the point.
struct Corner {
  float position[3], normal[3], uv[2];
};

std::vector<Corner> ExpectedCorners() {
  std::vector<Corner> corners;
  for (const Geometry& g : Scene()) {
    std::vector<int> points;
    std::vector<std::vector<int>> polygons(1);
    for (std::int64_t v : g.polygonVertexIndex) {
      points.push_back(static_cast<int>(v < 0 ? ~v : v));
      polygons.back().push_back(static_cast<int>(points.size() - 1));
      if (v < 0) polygons.emplace_back();
    }
    auto cornerOf = [&](int k) {
      int point = points[k];
      int first = 0;
      while (points[first] != point) ++first;
      Corner c{};
      for (int i = 0; i < 3; ++i) c.position[i] = static_cast<float>(g.vertices[point * 3 + i]);
      const Layer& n = *g.normals;
      int ni = n.mapping == "AllSame" ? 0 : first;
      for (int i = 0; i < 3; ++i) c.normal[i] = static_cast<float>(n.values[ni * 3 + i]);
      const Layer& u = g.uvs[0];
      int ui = u.mapping == "ByControlPoint" ? point : static_cast<int>(u.index[first]);
      for (int i = 0; i < 2; ++i) c.uv[i] = static_cast<float>(u.values[ui * 2 + i]);
      return c;
    };
    for (const std::vector<int>& polygon : polygons) {
      for (size_t t = 1; t + 1 < polygon.size(); ++t)
        for (int k : {polygon[0], polygon[t], polygon[t + 1]}) corners.push_back(cornerOf(k));
    }
  }
  return corners;
}

void ExpectSameTriangles(const Mesh& mesh) {
  const std::vector<Corner> expected = ExpectedCorners();
  ASSERT_EQ(mesh.Indices.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE("corner " + std::to_string(k));
    ASSERT_LT(mesh.Indices[k], mesh.Vertices.size());
    const Vertex& v = mesh.Vertices[mesh.Indices[k]];
    const Corner& c = expected[k];
    EXPECT_EQ(v.Position.x, c.position[0]);
    EXPECT_EQ(v.Position.y, c.position[1]);
    EXPECT_EQ(v.Position.z, c.position[2]);
    EXPECT_EQ(v.Normal.x, c.normal[0]);
    EXPECT_EQ(v.Normal.y, c.normal[1]);
    EXPECT_EQ(v.Normal.z, c.normal[2]);
    EXPECT_EQ(v.TexCoord.x, c.uv[0]);
    EXPECT_EQ(v.TexCoord.y, 1 - c.uv[1]);  // the reader flips v
  }
}

std::string ExportScene() {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "meshport_roundtrip";
  std::filesystem::create_directories(dir);
  const fbxtest::Encoding encoding{"binary 7400 compressed", false, 7400, true};
  const std::string fbx = (dir / "scene.fbx").string();
  EXPECT_TRUE(fbxtest::WriteFile(fbx, fbxtest::Write(fbxtest::SceneDocument(Scene(), encoding.version), encoding)));
  const std::string prefix = dir.string() + "/";
  EXPECT_EQ(FBX_INTERFACE::export_simple_mesh(fbx.c_str(), prefix.c_str(), "scene.mesh"), 0);
  return prefix + "scene.mesh";
}

TEST(MeshportRoundTrip, TheEngineReaderGetsTheSameTriangles) {
  const std::string path = ExportScene();
  Mesh mesh = FileLoader().LoadMesh(path.c_str());
  EXPECT_EQ(mesh.Vertices.size(), 11u);
  ExpectSameTriangles(mesh);
}

TEST(MeshportRoundTrip, AMeshFilePrimitiveHoldsTheSameTriangles) {
  const std::string path = ExportScene();
  InitSync sync;
  pipeline_state_t state;
  state.Sync = &sync;
  Primitive primitive(MeshFile, &state, path.c_str(), false);
  ExpectSameTriangles(primitive.GetMesh());
  for (const Vertex& v : primitive.GetMesh().Vertices) {
    EXPECT_EQ(v.Color.x, 1);
    EXPECT_EQ(v.Color.w, 1);
  }
}

}  // namespace
