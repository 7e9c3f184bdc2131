// The debug line store and the frustum outline, without a device: a renderer without a
// vertex buffer keeps its store rules and skips its draws.
#include <gtest/gtest.h>

#include <DirectXMath.h>

#include <cstring>

#include "debug/debugrenderer.h"
#include "engine/pipeline.h"
#include "view/frustum.h"

using namespace DirectX;

namespace {

Vertex At(float x, float y, float z) { return {{x, y, z}, {255, 0, 0, 255}, {1, 1}, {1, 1, 1}}; }

bool IsBlank(const Vertex& v) {
  static const Vertex blank{};
  return std::memcmp(&v, &blank, sizeof(Vertex)) == 0;
}

TEST(DebugRenderer, AFullStoreIsDrawnBeforeItTakesMore) {
  pipeline_state_t pipeline;  // no device: no vertex buffer, draws are skipped
  DebugRenderer lines(&pipeline);
  EXPECT_EQ(lines.GpuBuffer[0], nullptr);
  for (int i = 0; i < 512; ++i) lines.AddLine(At(float(i), 0, 0), At(float(i), 1, 0));
  EXPECT_EQ(lines.VertexCount, 1024u);
  EXPECT_EQ(lines.Vertices[1023].Position.x, 511.0f);
  lines.AddLine(At(-1, 0, 0), At(-1, 1, 0));
  EXPECT_EQ(lines.VertexCount, 2u);
  EXPECT_EQ(lines.Vertices[0].Position.x, -1.0f);
  EXPECT_EQ(lines.Vertices[1].Position.y, 1.0f);
  for (uint32_t i = 2; i < DebugRenderer::MaxVertices; ++i) EXPECT_TRUE(IsBlank(lines.Vertices[i])) << i;
  lines.Draw();
  EXPECT_EQ(lines.VertexCount, 0u);
  EXPECT_TRUE(IsBlank(lines.Vertices[0]));
}

void ExpectCorner(const Vertex& v, float x, float y, float z, const char* what) {
  EXPECT_NEAR(v.Position.x, x, 1e-3f) << what;
  EXPECT_NEAR(v.Position.y, y, 1e-3f) << what;
  EXPECT_NEAR(v.Position.z, z, 1e-2f) << what;
  EXPECT_EQ(v.Color.x, 255.0f) << what;
  EXPECT_EQ(v.Color.y, 0.0f) << what;
  EXPECT_EQ(v.TexCoord.x, 1.0f) << what;
  EXPECT_EQ(v.Normal.z, 1.0f) << what;
}

TEST(Frustum, EdgesSpanBothRectangles) {
  const float a = 4.0f / 3.0f;
  const struct {
    const char* name;
    XMMATRIX instance;
    float nearZ, farZ;
    XMFLOAT3 offset;
  } cases[] = {
      {"identity", XMMatrixIdentity(), 0.1f, 1000.0f, {0, 0, 0}},
      {"moved", XMMatrixTranslation(3, -2, 5), 0.1f, 1000.0f, {3, -2, 5}},
      // Other distances move the rectangles along the forward axis; their sizes stay.
      {"other distances", XMMatrixIdentity(), 2.0f, 50.0f, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    pipeline_state_t pipeline;
    Frustum frustum(&pipeline);
    frustum.SetCenters(c.instance, c.nearZ, c.farZ);
    frustum.SetPerspective(90, a, 0.01f, 100);
    EXPECT_NEAR(frustum.NearHeight, 0.02f, 1e-6f);
    EXPECT_NEAR(frustum.FarHeight, 200.0f, 1e-3f);
    frustum.BuildLines(c.instance);
    const DebugRenderer& lines = *frustum.LineRenderer;
    ASSERT_EQ(lines.VertexCount, 24u) << c.name;
    const float dx = c.offset.x, dy = c.offset.y, dz = c.offset.z;
    const float nz = c.nearZ + dz, fz = c.farZ + dz;
    // Edge 1 runs from the near top-left to the far top-left corner; edges 6 and 10
    // start at the near and far top-right corners and end at the bottom-right ones.
    ExpectCorner(lines.Vertices[0], dx - 0.01f * a, dy + 0.01f, nz, c.name);
    ExpectCorner(lines.Vertices[1], dx - 100 * a, dy + 100, fz, c.name);
    ExpectCorner(lines.Vertices[10], dx + 0.01f * a, dy + 0.01f, nz, c.name);
    ExpectCorner(lines.Vertices[11], dx + 0.01f * a, dy - 0.01f, nz, c.name);
    ExpectCorner(lines.Vertices[18], dx + 100 * a, dy + 100, fz, c.name);
    ExpectCorner(lines.Vertices[19], dx + 100 * a, dy - 100, fz, c.name);
    frustum.Draw();
    EXPECT_EQ(lines.VertexCount, 0u) << c.name;
  }
}

TEST(Frustum, TurnsWithItsInstance) {
  pipeline_state_t pipeline;
  Frustum frustum(&pipeline);
  const XMMATRIX turned = XMMatrixMultiply(XMMatrixRotationY(XM_PIDIV2), XMMatrixTranslation(1, 0, 0));
  frustum.SetCenters(turned, 1, 10);
  frustum.SetPerspective(90, 1, 1, 10);
  frustum.BuildLines(turned);
  // Forward is now +x: the near top-left corner lies at x = 1 + 1, z = +1 (left of +x is +z).
  ExpectCorner(frustum.LineRenderer->Vertices[0], 2, 1, 1, "near top-left");
}

}  // namespace
