#include <gtest/gtest.h>

#include <DirectXMath.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "engine/pipeline.h"
#include "meshbytes.h"
#include "scene/primitive.h"
#include "scene/shapes.h"

using namespace DirectX;

namespace {

// A pipeline record with only its construction block: what the constructors need.
struct Pipeline {
  InitSync sync;
  pipeline_state_t state;
  Pipeline() { state.Sync = &sync; }
};

void ExpectMatrixNear(const XMMATRIX& got, const XMMATRIX& want) {
  XMFLOAT4X4 a, b;
  XMStoreFloat4x4(&a, got);
  XMStoreFloat4x4(&b, want);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-5f) << "element " << r << "," << c;
}

bool SameBytes(const Vertex& a, const Vertex& b) { return std::memcmp(&a, &b, sizeof(Vertex)) == 0; }

TEST(SceneRecords, LayoutAndValueSemantics) {
  static_assert(sizeof(Vertex) == 48 && offsetof(Vertex, Color) == 12 && offsetof(Vertex, TexCoord) == 28 &&
                offsetof(Vertex, Normal) == 36);
  static_assert(sizeof(SurfaceParams) == 64);

  const SurfaceParams zero;
  const float zeros[16] = {};
  EXPECT_EQ(std::memcmp(&zero, zeros, 64), 0);
  const SurfaceParams set(XMFLOAT4(1, 2, 3, 4), XMFLOAT4(5, 6, 7, 8), XMFLOAT4(9, 10, 11, 12),
                          XMFLOAT4(13, 14, 15, 16));
  float floats[16];
  std::memcpy(floats, &set, 64);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(floats[i], static_cast<float>(i + 1));

  Mesh a;
  a.Vertices.push_back(Vertex{XMFLOAT3(1, 2, 3), XMFLOAT4(1, 1, 1, 1), XMFLOAT2(0, 1), XMFLOAT3(0, 0, 1)});
  a.Indices.push_back(0);
  Mesh b = a;
  b.Vertices.push_back(a.Vertices[0]);
  b.Indices.push_back(0);
  EXPECT_EQ(a.Vertices.size(), 1u);
  EXPECT_EQ(a.Indices.size(), 1u);
  a = Mesh();
  EXPECT_EQ(b.Vertices.size(), 2u);
}

TEST(SceneRecords, PipelineRecordStartsNull) {
  // Every field of the pipeline record is a pointer and starts null, the 1024 vertex
  // buffer slots included.
  const pipeline_state_t state;
  const std::vector<unsigned char> zeros(sizeof state, 0);
  EXPECT_EQ(std::memcmp(&state, zeros.data(), sizeof state), 0);
  EXPECT_EQ(sizeof state % sizeof(void*), 0u);

  const InitSync sync;
  EXPECT_EQ(sync.InitMutex, nullptr);
  EXPECT_EQ(sync.DeviceReady, nullptr);
  EXPECT_EQ(sync.VertexShaderReady, nullptr);
  EXPECT_EQ(sync.DepthBufferReady, nullptr);
  EXPECT_EQ(sync.DeferredContextReady, nullptr);
  EXPECT_TRUE(sync.Threads.empty());
}

TEST(ScenePrimitive, EveryKindBuildsItsGeometryAndEmptiesThreads) {
  MeshBytes file;
  file.Name("m")
      .Count(0)
      .Count(2)
      .Vertex({1, 2, 3, 0, 0, 1, 0, 0})
      .Vertex({4, 5, 6, 0, 0, 1, 1, 1})
      .Count(2)
      .Indices({0, 1});
  const MeshBytes::TempFile written = file.WriteFile("kind.mesh");
  const std::string& path = written.Path;
  const std::string missing = path + ".missing";
  struct Case {
    std::int32_t kind;
    const char* path;
    size_t vertices, indices, instances;
  };
  const Case cases[] = {
      {Point, nullptr, 1, 1, 1},
      {Cube, nullptr, 24, 36, 1},
      {MeshFile, path.c_str(), 2, 2, 1},
      {MeshFile, missing.c_str(), 0, 0, 1},
      {MeshFile, nullptr, 0, 0, 1},
      {Axes, nullptr, 6, 6, 1},
      {1, nullptr, 0, 0, 0},
      {3, nullptr, 0, 0, 0},
      {4, nullptr, 0, 0, 0},
      {7, nullptr, 0, 0, 0},
      {-1, nullptr, 0, 0, 0},
  };
  Pipeline pipeline;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    // A worker that other code left in Threads is joined too.
    std::atomic<bool> leftRan{false};
    pipeline.sync.Threads.emplace_back([&leftRan] { leftRan = true; });
    Primitive p(c.kind, &pipeline.state, c.path, false);
    EXPECT_TRUE(leftRan);
    EXPECT_TRUE(pipeline.sync.Threads.empty());
    EXPECT_EQ(p.Pipeline, &pipeline.state);
    EXPECT_EQ(p.GetMesh().Vertices.size(), c.vertices);
    EXPECT_EQ(p.GetMesh().Indices.size(), c.indices);
    ASSERT_EQ(p.Instances.size(), c.instances);
    if (c.instances) ExpectMatrixNear(p.GetInstance(0), XMMatrixIdentity());
    EXPECT_NE(p.GetTextureView(), nullptr);
    EXPECT_EQ(*p.GetTextureView(), nullptr);
    EXPECT_EQ(p.TextureResource, nullptr);
  }
}

TEST(ScenePrimitive, DefaultIsEmpty) {
  Primitive p;
  EXPECT_TRUE(p.Geometry.Vertices.empty());
  EXPECT_TRUE(p.Instances.empty());
  EXPECT_EQ(p.Pipeline, nullptr);
  const SurfaceParams s = p.GetSurfaceParams();
  const float zeros[16] = {};
  EXPECT_EQ(std::memcmp(&s, zeros, 64), 0);
}

TEST(SceneShapes, PointAndAxes) {
  Pipeline pipeline;
  Primitive point(Point, &pipeline.state, nullptr, false);
  const Vertex white{XMFLOAT3(0, 0, 0), XMFLOAT4(1, 1, 1, 1), XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)};
  ASSERT_EQ(point.Geometry.Vertices.size(), 1u);
  EXPECT_TRUE(SameBytes(point.Geometry.Vertices[0], white));
  EXPECT_EQ(point.Geometry.Indices, std::vector<std::uint32_t>{0});

  Primitive axes(Axes, &pipeline.state, nullptr, false);
  // Pairs from the origin: Y green, X red, Z blue, colours on the 0-255 scale.
  const XMFLOAT3 ends[] = {XMFLOAT3(0, 0.5f, 0), XMFLOAT3(0.5f, 0, 0), XMFLOAT3(0, 0, 0.5f)};
  const XMFLOAT4 colours[] = {XMFLOAT4(0, 255, 0, 255), XMFLOAT4(255, 0, 0, 255), XMFLOAT4(0, 0, 255, 255)};
  ASSERT_EQ(axes.Geometry.Vertices.size(), 6u);
  for (int a = 0; a < 3; ++a) {
    const Vertex start{XMFLOAT3(0, 0, 0), colours[a], XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)};
    const Vertex end{ends[a], colours[a], XMFLOAT2(1, 1), XMFLOAT3(1, 1, 1)};
    EXPECT_TRUE(SameBytes(axes.Geometry.Vertices[2 * a], start)) << a;
    EXPECT_TRUE(SameBytes(axes.Geometry.Vertices[2 * a + 1], end)) << a;
  }
  EXPECT_EQ(axes.Geometry.Indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}));
}

XMVECTOR Load(const XMFLOAT3& f) { return XMLoadFloat3(&f); }

TEST(SceneShapes, CubeFacesWindingAndReversal) {
  Pipeline pipeline;
  Primitive outward(Cube, &pipeline.state, nullptr, false);
  Primitive reversed(Cube, &pipeline.state, nullptr, true);
  const Mesh& mesh = outward.Geometry;
  ASSERT_EQ(mesh.Indices.size(), 36u);

  // Same vertices; the index list exactly reversed.
  ASSERT_EQ(reversed.Geometry.Vertices.size(), 24u);
  for (size_t i = 0; i < 24; ++i) EXPECT_TRUE(SameBytes(mesh.Vertices[i], reversed.Geometry.Vertices[i])) << i;
  EXPECT_TRUE(std::equal(mesh.Indices.rbegin(), mesh.Indices.rend(), reversed.Geometry.Indices.begin()));
  EXPECT_EQ(mesh.Indices.front(), 0u);
  EXPECT_EQ(mesh.Indices.back(), 5u);

  // Each face: one colour per outward normal, four vertices on the face's plane.
  struct Face {
    XMFLOAT3 normal;
    XMFLOAT4 colour;
  };
  const Face faces[] = {
      {XMFLOAT3(0, 0, -1), XMFLOAT4(1, 1, 0, 1)}, {XMFLOAT3(1, 0, 0), XMFLOAT4(0, 1, 1, 1)},
      {XMFLOAT3(0, 1, 0), XMFLOAT4(0, 1, 0, 1)},  {XMFLOAT3(-1, 0, 0), XMFLOAT4(1, 0, 0, 1)},
      {XMFLOAT3(0, -1, 0), XMFLOAT4(1, 0, 1, 1)}, {XMFLOAT3(0, 0, 1), XMFLOAT4(0, 0, 1, 1)},
  };
  std::set<std::uint32_t> used;
  for (const Face& face : faces) {
    int count = 0;
    for (const Vertex& v : mesh.Vertices) {
      if (std::memcmp(&v.Normal, &face.normal, sizeof(XMFLOAT3)) != 0) continue;
      ++count;
      EXPECT_EQ(std::memcmp(&v.Color, &face.colour, sizeof(XMFLOAT4)), 0);
      EXPECT_FLOAT_EQ(XMVectorGetX(XMVector3Dot(Load(v.Position), Load(face.normal))), 0.5f);
    }
    EXPECT_EQ(count, 4);
  }
  // Every triangle lies on one face and is counter-clockwise from outside: its
  // (b - a) x (c - a) points into the cube, against the face's normal.
  for (size_t t = 0; t < 36; t += 3) {
    const Vertex& a = mesh.Vertices[mesh.Indices[t]];
    const Vertex& b = mesh.Vertices[mesh.Indices[t + 1]];
    const Vertex& c = mesh.Vertices[mesh.Indices[t + 2]];
    EXPECT_TRUE(std::memcmp(&a.Normal, &b.Normal, 12) == 0 && std::memcmp(&a.Normal, &c.Normal, 12) == 0) << t;
    EXPECT_TRUE(std::memcmp(&a.Color, &b.Color, 16) == 0 && std::memcmp(&a.Color, &c.Color, 16) == 0) << t;
    const XMVECTOR cross = XMVector3Cross(XMVectorSubtract(Load(b.Position), Load(a.Position)),
                                          XMVectorSubtract(Load(c.Position), Load(a.Position)));
    EXPECT_LT(XMVectorGetX(XMVector3Dot(cross, Load(a.Normal))), 0.0f) << t;
    used.insert(mesh.Indices[t]);
    used.insert(mesh.Indices[t + 1]);
    used.insert(mesh.Indices[t + 2]);
  }
  EXPECT_EQ(used.size(), 24u);
}

TEST(SceneShapes, SkyCubeHolderBuildsOnlyForKindCube) {
  Pipeline pipeline;
  Primitive cube(Cube, &pipeline.state, nullptr, false);
  SkyCubeHolder sky(&pipeline.state, Cube, L"no_such_sky.dds");
  ASSERT_NE(*sky.GetGeometry(), nullptr);
  const Mesh& mesh = **sky.GetGeometry();
  ASSERT_EQ(mesh.Vertices.size(), 24u);
  EXPECT_EQ(mesh.Indices, cube.Geometry.Indices);
  for (size_t i = 0; i < 24; ++i) {
    const Vertex& v = mesh.Vertices[i];
    EXPECT_EQ(std::memcmp(&v.Position, &cube.Geometry.Vertices[i].Position, 12), 0) << i;
    EXPECT_EQ(v.Color.x + v.Color.y + v.Color.z + v.Color.w, 4.0f) << i;
    // Atlas coordinates: u in thirds, v in quarters.
    EXPECT_NEAR(std::fmod(v.TexCoord.x * 3 + 0.5f, 1.0f), 0.5f, 1e-5f) << i;
    EXPECT_NEAR(std::fmod(v.TexCoord.y * 4 + 0.5f, 1.0f), 0.5f, 1e-5f) << i;
    // Normals outward on the y and z faces, inward on the x faces.
    const float along = XMVectorGetX(XMVector3Dot(Load(v.Position), Load(v.Normal)));
    EXPECT_FLOAT_EQ(along, v.Normal.x != 0 ? -0.5f : 0.5f) << i;
  }
  EXPECT_FLOAT_EQ(mesh.Vertices[0].TexCoord.x, 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(mesh.Vertices[15].TexCoord.x, 1.0f);
  EXPECT_FLOAT_EQ(mesh.Vertices[19].TexCoord.y, 1.0f);

  SkyCubeHolder bare(&pipeline.state, Point, L"no_such_sky.dds");
  EXPECT_EQ(*bare.GetGeometry(), nullptr);
  EXPECT_EQ(*bare.GetTextureView(), nullptr);
}

TEST(ScenePrimitive, InstanceOperations) {
  Pipeline pipeline;
  Primitive cube(Cube, &pipeline.state, nullptr, true);
  for (int i = 0; i < 100; ++i) cube.AddInstance(XMFLOAT3(float(i), float(2 * i), float(-i)));
  ASSERT_EQ(cube.Instances.size(), 101u);
  ExpectMatrixNear(cube.GetInstance(0), XMMatrixIdentity());
  ExpectMatrixNear(cube.GetInstance(42), XMMatrixTranslation(41, 82, -41));
  const XMFLOAT3 p = cube.GetInstancePosition(42);
  EXPECT_EQ(p.x, 41);
  EXPECT_EQ(p.y, 82);
  EXPECT_EQ(p.z, -41);

  struct RowSums {
    XMMATRIX m;
    XMFLOAT3 sums;
  };
  const RowSums rowSums[] = {
      {XMMatrixIdentity(), XMFLOAT3(1, 1, 1)},
      {XMMatrixScaling(2, 3, 4), XMFLOAT3(2, 3, 4)},
      {XMMatrixTranslation(5, 6, 7), XMFLOAT3(1, 1, 1)},
  };
  for (const RowSums& c : rowSums) {
    cube.Instances[1] = c.m;
    const XMFLOAT3 s = cube.GetInstanceRowSums(1);
    EXPECT_FLOAT_EQ(s.x, c.sums.x);
    EXPECT_FLOAT_EQ(s.y, c.sums.y);
    EXPECT_FLOAT_EQ(s.z, c.sums.z);
  }

  // Setting a translation or a scale drops everything else.
  cube.Instances[2] = XMMatrixMultiply(XMMatrixRotationY(0.7f), XMMatrixScaling(2, 2, 2));
  cube.SetInstanceTranslation(XMFLOAT3(1, 2, 3), 2);
  ExpectMatrixNear(cube.GetInstance(2), XMMatrixTranslation(1, 2, 3));
  cube.SetInstanceScale(XMFLOAT3(2, 3, 4), 2);
  ExpectMatrixNear(cube.GetInstance(2), XMMatrixScaling(2, 3, 4));
  const XMFLOAT3 s = cube.GetInstanceRowSums(2);
  EXPECT_EQ(s.x + s.y + s.z, 9.0f);
  EXPECT_EQ(cube.GetInstancePosition(2).x, 0.0f);

  // From three angles: X first, then Y, then Z, about the fixed axes. (0, 1, 0) turned a
  // quarter about X lands on +z, then a quarter about Y on +x.
  cube.SetInstanceTranslation(XMFLOAT3(9, 9, 9), 3);
  cube.SetInstanceRotation(XMFLOAT3(XM_PIDIV2, XM_PIDIV2, 0), 3);
  const XMVECTOR turned = XMVector3TransformNormal(XMVectorSet(0, 1, 0, 0), cube.GetInstance(3));
  EXPECT_NEAR(XMVectorGetX(turned), 1, 1e-6f);
  EXPECT_NEAR(XMVectorGetY(turned), 0, 1e-6f);
  EXPECT_NEAR(XMVectorGetZ(turned), 0, 1e-6f);
  cube.SetInstanceRotation(XMFLOAT3(0.3f, -0.4f, 0.5f), 3);
  ExpectMatrixNear(
      cube.GetInstance(3),
      XMMatrixMultiply(XMMatrixMultiply(XMMatrixRotationX(0.3f), XMMatrixRotationY(-0.4f)), XMMatrixRotationZ(0.5f)));
}

TEST(ScenePrimitive, ColourAndSurfaceParams) {
  Pipeline pipeline;
  Primitive none(3, &pipeline.state, nullptr, false);
  none.SetColor(XMFLOAT4(0.5f, 0.5f, 0.5f, 1));
  EXPECT_TRUE(none.GetMesh().Vertices.empty());

  Primitive cube(Cube, &pipeline.state, nullptr, false);
  const Mesh before = cube.GetMesh();
  cube.SetColor(XMFLOAT4(0.25f, 0.5f, 0.75f, 1));
  const Mesh after = cube.GetMesh();
  for (size_t i = 0; i < after.Vertices.size(); ++i) {
    EXPECT_EQ(after.Vertices[i].Color.x, 0.25f);
    EXPECT_EQ(after.Vertices[i].Color.z, 0.75f);
    EXPECT_EQ(std::memcmp(&after.Vertices[i].Position, &before.Vertices[i].Position, 12), 0);
  }
  // GetMesh gives a copy.
  Mesh copy = cube.GetMesh();
  copy.Vertices.clear();
  EXPECT_EQ(cube.GetMesh().Vertices.size(), 24u);

  const SurfaceParams params(XMFLOAT4(1, 1, 1, 1), XMFLOAT4(1, 1, 1, 1), XMFLOAT4(0, 0, 0, 0), XMFLOAT4(0, 0, 0, 0));
  cube.SetSurfaceParams(params);
  const SurfaceParams got = cube.GetSurfaceParams();
  EXPECT_EQ(std::memcmp(&got, &params, sizeof params), 0);
}

TEST(ScenePrimitive, ConstructorsOneAfterAnotherShareThreads) {
  // Many constructions on one pipeline; each worker's writes are seen once it returns.
  Pipeline pipeline;
  std::vector<std::unique_ptr<Primitive>> built;
  for (int i = 0; i < 32; ++i) {
    built.push_back(std::make_unique<Primitive>(i % 2 ? Cube : Axes, &pipeline.state, nullptr, i % 4 == 1));
    EXPECT_TRUE(pipeline.sync.Threads.empty());
  }
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(built[i]->Geometry.Vertices.size(), i % 2 ? 24u : 6u);
    EXPECT_EQ(built[i]->Instances.size(), 1u);
  }
  EXPECT_EQ(built[1]->Geometry.Indices.front(), 5u);
  EXPECT_EQ(built[3]->Geometry.Indices.front(), 0u);
}

}  // namespace
