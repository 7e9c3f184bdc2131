// The engine on a real device: construction, the scene buffers, rendering read back
// from the back buffer, missing shader files and resizing.
#include <gtest/gtest.h>

#include <DirectXMath.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "enginetest.h"
#include "scene/primitive.h"
#include "view/frustum.h"
#include "view/lights.h"

using namespace DirectX;
using namespace enginetest;

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

const char* const ShaderFiles[] = {"VertexShader.hlsl",     "GeometryShader.hlsl",    "GrassGeometryShader.hlsl",
                                   "LightPixelShader.hlsl", "PixelShaderSkybox.hlsl", "DefaultPixelShader.hlsl"};

// Every test runs in the program's data directory (shaders and texture/).
class EngineTest : public ::testing::Test {
 protected:
  CurrentDirectory Here{ZR_APP_DIR};
  Traces Log;
  NoValidationMessages Clean;
  TestWindow Window{Width, Height};
};

// The demonstration's scene, seen from a fixed eye: the sky cube, a cube at the origin
// with 100 more instances from the unseeded generator, and the sun.
struct DemoLikeScene {
  explicit DemoLikeScene(Engine& engine)
      : Sky(Cube, engine.GetPipeline(), nullptr, false), Boxes(Cube, engine.GetPipeline(), nullptr, true) {
    const SurfaceParams surface({1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0});
    Sky.SetTexture(L"texture\\SkyBox_Mts.dds");
    Sky.SetSurfaceParams(surface);
    Boxes.SetSurfaceParams(surface);
    std::srand(1);  // the C runtime's start-up state: as if never seeded
    for (int i = 0; i < 100; ++i) {
      const float x = float(std::rand() % 100), y = float(std::rand() % 100), z = float(std::rand() % 100);
      Boxes.AddInstance({x, y, z});
    }
    Scene = {&Sky, &Boxes};
    engine.SetScene(Scene);
    engine.SetLights({Sun.GetLight()}, {}, {});
    Look(engine, {-2.0f, 1.5f, -3.0f}, {0, 0, 0});
  }

  void Look(Engine& engine, XMFLOAT3 eye, XMFLOAT3 at) {
    Eye = eye;
    ViewMatrix = XMMatrixLookAtLH(XMLoadFloat3(&eye), XMLoadFloat3(&at), XMVectorSet(0, 1, 0, 0));
    ProjectionMatrix = XMMatrixPerspectiveFovLH(XMConvertToRadians(90), float(Width) / Height, 0.1f, 1000.0f);
    Sky.SetInstanceTranslation(eye, 0);
    engine.CameraPosition = eye;
    engine.SetViewMatrix(ViewMatrix);
    engine.SetProjectionMatrix(ProjectionMatrix);
  }

  // Where a world point lands in the image, and whether it is in front of the eye.
  bool Project(XMFLOAT3 point, int& x, int& y) const {
    const XMVECTOR clip =
        XMVector4Transform(XMVectorSet(point.x, point.y, point.z, 1), XMMatrixMultiply(ViewMatrix, ProjectionMatrix));
    XMFLOAT4 c;
    XMStoreFloat4(&c, clip);
    if (c.w <= 0.1f) return false;
    x = int((c.x / c.w * 0.5f + 0.5f) * Width);
    y = int((0.5f - c.y / c.w * 0.5f) * Height);
    return true;
  }

  Primitive Sky;
  Primitive Boxes;
  DirectionalLightObject Sun{MakeDirectionalLight({0.4f, 0.4f, 0.4f, 0.4f}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, -0.3f, 1})};
  std::vector<Primitive*> Scene;
  XMFLOAT3 Eye{};
  XMMATRIX ViewMatrix{};
  XMMATRIX ProjectionMatrix{};
};

bool IsSky(Pixel p) { return p.Min() > 30; }

TEST_F(EngineTest, ConstructionCompletesThePipeline) {
  // Repeated, so that the orderings of the threaded construction are exercised (the input
  // layout, the depth-stencil view and the viewport each need another step's result); the
  // last run takes the same steps one after another.
  for (int run = 0; run < 9; ++run) {
    Engine engine(Window.Handle, Width, Height, run < 8 ? Engine::Schedule::Threaded : Engine::Schedule::Sequential);
    pipeline_state_t* p = engine.GetPipeline();
    ASSERT_NE(p->SwapChain, nullptr);
    EXPECT_NE(p->Device, nullptr);
    EXPECT_NE(p->Context, nullptr);
    EXPECT_NE(p->DefferedContext, nullptr);
    EXPECT_NE(p->Input_Layout, nullptr);
    EXPECT_NE(p->Vertex_Shader, nullptr);
    EXPECT_NE(p->Geometry_Shader, nullptr);
    EXPECT_NE(p->Grass_Geometry_Shader, nullptr);
    EXPECT_NE(p->Pixel_Shader_Default, nullptr);
    EXPECT_NE(p->Pixel_Shader, nullptr);
    EXPECT_NE(p->Pixel_Shader_SkyBox, nullptr);
    EXPECT_NE(p->Render_Target, nullptr);
    EXPECT_NE(p->DepthStencilBuffer, nullptr);
    EXPECT_NE(p->BackBuffer, nullptr);
    EXPECT_NE(p->DepthStencilState, nullptr);
    EXPECT_NE(p->DepthStencilView, nullptr);
    EXPECT_NE(p->RasterState, nullptr);
    EXPECT_NE(p->ConstVertexBuffer, nullptr);
    EXPECT_NE(p->ConstTessellationBuffer, nullptr);
    EXPECT_NE(p->ConstGrassBuffer, nullptr);
    EXPECT_NE(p->ConstLightBuffer, nullptr);
    EXPECT_NE(p->SamplerState, nullptr);
    ASSERT_NE(p->Viewport, nullptr);
    EXPECT_EQ(p->Viewport->Width, float(Width));
    EXPECT_EQ(p->Viewport->Height, float(Height));
    EXPECT_TRUE(p->Sync->Threads.empty());

    D3D11_TEXTURE2D_DESC back, depth;
    p->BackBuffer->GetDesc(&back);
    p->DepthStencilBuffer->GetDesc(&depth);
    EXPECT_EQ(back.SampleDesc.Count, 8u);
    EXPECT_EQ(depth.SampleDesc.Count, 8u);
    EXPECT_EQ(depth.Format, DXGI_FORMAT_D24_UNORM_S8_UINT);
    EXPECT_EQ(depth.Width, UINT(Width));
  }
  EXPECT_EQ(Log.Text().find(L"hr="), std::wstring::npos) << "unexpected failure traces";
}

TEST_F(EngineTest, SceneBuffersHoldEveryPrimitiveInOrder) {
  Engine engine(Window.Handle, Width, Height);
  DemoLikeScene scene(engine);
  pipeline_state_t* p = engine.GetPipeline();

  const Mesh sky = scene.Sky.GetMesh(), boxes = scene.Boxes.GetMesh();
  const std::vector<uint8_t> vertices = ReadBuffer(p, p->VertexBuffer[0]);
  ASSERT_EQ(vertices.size(), 48u * 48);
  EXPECT_EQ(std::memcmp(vertices.data(), sky.Vertices.data(), 24 * 48), 0);
  EXPECT_EQ(std::memcmp(vertices.data() + 24 * 48, boxes.Vertices.data(), 24 * 48), 0);

  const std::vector<uint8_t> indexBytes = ReadBuffer(p, p->IndexBuffer);
  ASSERT_EQ(indexBytes.size(), 72u * 4);
  std::vector<uint32_t> indices(72);
  std::memcpy(indices.data(), indexBytes.data(), indexBytes.size());
  std::vector<uint32_t> wantIndices = sky.Indices;
  wantIndices.insert(wantIndices.end(), boxes.Indices.begin(), boxes.Indices.end());  // not rebased
  EXPECT_EQ(indices, wantIndices);

  const std::vector<uint8_t> instanceBytes = ReadBuffer(p, p->InstanceBuffer);
  ASSERT_EQ(instanceBytes.size(), 102u * 4);
  std::vector<uint32_t> instances(102);
  std::memcpy(instances.data(), instanceBytes.data(), instanceBytes.size());
  std::vector<uint32_t> wantInstances{0};
  for (uint32_t j = 0; j <= 100; ++j) wantInstances.push_back(j);
  EXPECT_EQ(instances, wantInstances);

  const auto plans = PlanDraws(scene.Scene);
  ASSERT_EQ(plans.size(), 2u);
  ASSERT_EQ(plans[0].size(), 1u);
  ASSERT_EQ(plans[1].size(), 1u);
  const PrimitiveDraw& skyDraw = plans[0][0];
  const PrimitiveDraw& boxDraw = plans[1][0];
  EXPECT_EQ((std::vector<uint32_t>{skyDraw.IndexCount, skyDraw.InstanceCount, skyDraw.FirstIndex, skyDraw.BaseVertex,
                                   skyDraw.FirstInstance}),
            (std::vector<uint32_t>{36, 1, 0, 0, 0}));
  EXPECT_EQ((std::vector<uint32_t>{boxDraw.IndexCount, boxDraw.InstanceCount, boxDraw.FirstIndex, boxDraw.BaseVertex,
                                   boxDraw.FirstInstance, boxDraw.FirstOwnInstance}),
            (std::vector<uint32_t>{36, 101, 36, 24, 1, 0}));
  // Its instance 0, the first world matrix of the draw, is the cube at the origin.
  XMFLOAT3 first = scene.Boxes.GetInstancePosition(0);
  EXPECT_EQ(first.x, 0.0f);
  EXPECT_EQ(first.y, 0.0f);
  EXPECT_EQ(first.z, 0.0f);
}

TEST(DrawPlan, LargeInstanceListsAreSplitIntoPasses) {
  Primitive many, none, small;
  many.Geometry.Indices.assign(6, 0);
  many.Geometry.Vertices.resize(4);
  many.Instances.assign(450, XMMatrixIdentity());
  small.Geometry.Indices.assign(3, 0);
  small.Geometry.Vertices.resize(3);
  small.Instances.assign(2, XMMatrixIdentity());
  const auto plans = PlanDraws({&many, &none, &small});
  ASSERT_EQ(plans.size(), 3u);
  const struct {
    size_t primitive, pass;
    PrimitiveDraw want;
  } cases[] = {
      {0, 0, {6, 200, 0, 0, 0, 0}}, {0, 1, {6, 200, 0, 0, 200, 200}}, {0, 2, {6, 50, 0, 0, 400, 400}},
      {1, 0, {0, 0, 6, 4, 450, 0}}, {2, 0, {3, 2, 6, 4, 450, 0}},
  };
  EXPECT_EQ(plans[0].size(), 3u);
  EXPECT_EQ(plans[1].size(), 1u);
  EXPECT_EQ(plans[2].size(), 1u);
  for (const auto& c : cases) {
    const PrimitiveDraw& got = plans[c.primitive][c.pass];
    EXPECT_EQ(got.IndexCount, c.want.IndexCount) << c.primitive << "/" << c.pass;
    EXPECT_EQ(got.InstanceCount, c.want.InstanceCount) << c.primitive << "/" << c.pass;
    EXPECT_EQ(got.FirstIndex, c.want.FirstIndex) << c.primitive << "/" << c.pass;
    EXPECT_EQ(got.BaseVertex, c.want.BaseVertex) << c.primitive << "/" << c.pass;
    EXPECT_EQ(got.FirstInstance, c.want.FirstInstance) << c.primitive << "/" << c.pass;
    EXPECT_EQ(got.FirstOwnInstance, c.want.FirstOwnInstance) << c.primitive << "/" << c.pass;
  }
}

TEST_F(EngineTest, TheDemonstrationIsDrawn) {
  Engine engine(Window.Handle, Width, Height);
  DemoLikeScene scene(engine);
  pipeline_state_t* p = engine.GetPipeline();

  // The sky is drawn against the depth the previous frame's last line draw left (cleared
  // to the far plane), so the first frame only prepares it.
  engine.RenderFrame(scene.Scene);
  engine.PresentFrame();
  engine.RenderFrame(scene.Scene);
  const Image withoutFrustum = ReadBackBuffer(p);
  {
    Frustum frustum(p);
    frustum.SetCenters(scene.Boxes.GetInstance(0), 0.1f, 1000.0f);
    frustum.SetPerspective(90, float(Width) / Height, 0.01f, 100.0f);
    frustum.SetMatrices(scene.ViewMatrix, scene.ProjectionMatrix);
    frustum.BuildLines(scene.Boxes.GetInstance(0));
    frustum.Draw();
  }
  const Image image = ReadBackBuffer(p);
  KeepImage(image, "demonstration");
  engine.PresentFrame();
  ASSERT_EQ(image.Width, UINT(Width));
  ASSERT_EQ(image.Height, UINT(Height));

  // The sky fills the background: blue above, not the grey the target is cleared to.
  for (int x : {3, Width - 4}) {
    const Pixel top = image.Median(x, 3);
    EXPECT_TRUE(IsSky(top)) << x;
    EXPECT_GT(top.b, top.r + 20) << x;
    const Pixel bottom = image.Median(x, Height - 4);
    EXPECT_TRUE(IsSky(bottom)) << x;
    EXPECT_FALSE(std::abs(bottom.r - 84) < 4 && std::abs(bottom.g - 84) < 4 && std::abs(bottom.b - 84) < 4) << x;
  }

  // The cube at the origin, lit by the sun shining along +z and down: the face toward
  // the light (-z, yellow) in full, the top (+y, green) partly, the side (-x, red) by
  // the ambient term only.
  int x, y;
  ASSERT_TRUE(scene.Project({0, 0, -0.5f}, x, y));
  const Pixel front = image.Median(x, y);
  ASSERT_TRUE(scene.Project({0, 0.5f, 0.1f}, x, y));
  const Pixel top = image.Median(x, y);
  ASSERT_TRUE(scene.Project({-0.5f, -0.1f, 0.1f}, x, y));
  const Pixel side = image.Median(x, y);
  EXPECT_GT(front.r, 230);
  EXPECT_GT(front.g, 230);
  EXPECT_LT(front.b, 20);
  EXPECT_LT(top.r, 20);
  EXPECT_GT(top.g, 140);
  EXPECT_LT(top.g, 210);
  EXPECT_GT(side.r, 80);
  EXPECT_LT(side.r, 125);
  EXPECT_LT(side.g, 20);

  // The instances' axes: pure green and pure blue line pixels (no lit face is that bright).
  int greenLines = 0, blueLines = 0, newRed = 0;
  for (int py = 0; py < Height; ++py)
    for (int px = 0; px < Width; ++px) {
      const Pixel c = image.At(px, py);
      greenLines += c.g > 200 && c.r < 40 && c.b < 40;
      blueLines += c.b > 200 && c.r < 40 && c.g < 40;
      // The frustum's red edges, drawn after the rest.
      const Pixel before = withoutFrustum.At(px, py);
      newRed += c.r > 200 && c.g < 40 && c.b < 40 && !(before.r > 200 && before.g < 40 && before.b < 40);
    }
  EXPECT_GT(greenLines, 10);
  EXPECT_GT(blueLines, 10);
  EXPECT_GT(newRed, 20);

  // The 100 cubes: where the centre of one in view lands, the frame differs from one
  // drawn without them.
  scene.Boxes.Instances.resize(1);
  engine.RenderFrame(scene.Scene);
  const Image alone = ReadBackBuffer(p);
  int checked = 0;
  for (uint32_t i = 1; i <= 100; ++i) {
    const XMFLOAT3 c = scene.Boxes.GetInstancePosition(i);
    if (!scene.Project(c, x, y) || x < 2 || y < 2 || x >= Width - 2 || y >= Height - 2) continue;
    const Pixel a = image.At(x, y), b = alone.At(x, y);
    EXPECT_GT(std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b), 30)
        << "instance " << i << " at " << c.x << "," << c.y << "," << c.z << " drawn at " << x << "," << y;
    ++checked;
  }
  EXPECT_GE(checked, 10) << "too few cubes in view to tell";
}

TEST_F(EngineTest, InstancesBeyondOneDrawAreAllDrawn) {
  // 250 instances: the last one, at the origin, falls in the second pass.
  Engine engine(Window.Handle, Width, Height);
  Primitive sky(Cube, engine.GetPipeline(), nullptr, false);
  Primitive boxes(Cube, engine.GetPipeline(), nullptr, true);
  boxes.SetSurfaceParams({{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  boxes.SetInstanceTranslation({0, 0, 500}, 0);
  for (int i = 1; i < 249; ++i) boxes.AddInstance({0, 0, 500});
  boxes.AddInstance({0, 0, 0});
  DirectionalLightObject sun(MakeDirectionalLight({0.4f, 0.4f, 0.4f, 0.4f}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, -0.3f, 1}));
  engine.SetScene({&sky, &boxes});
  engine.SetLights({sun.GetLight()}, {}, {});
  const XMFLOAT3 eye{0, 0, -3};
  sky.SetInstanceTranslation(eye, 0);
  engine.CameraPosition = eye;
  engine.SetViewMatrix(XMMatrixLookAtLH(XMLoadFloat3(&eye), XMVectorZero(), XMVectorSet(0, 1, 0, 0)));
  engine.SetProjectionMatrix(XMMatrixPerspectiveFovLH(XMConvertToRadians(90), float(Width) / Height, 0.1f, 1000.0f));
  engine.RenderFrame({&sky, &boxes});
  engine.PresentFrame();
  engine.RenderFrame({&sky, &boxes});
  const Image image = ReadBackBuffer(engine.GetPipeline());
  // The -z face (yellow, facing the eye) fills the middle, just off the axis lines.
  const Pixel middle = image.Median(Width / 2 - 12, Height / 2 + 12);
  EXPECT_GT(middle.r, 230);
  EXPECT_GT(middle.g, 230);
  EXPECT_LT(middle.b, 20);
}

TEST_F(EngineTest, ResizeRebuildsTheTargetsButNotTheViewport) {
  Engine engine(Window.Handle, Width, Height);
  pipeline_state_t* p = engine.GetPipeline();
  ID3D11Texture2D* const before = p->BackBuffer;
  EXPECT_FALSE(engine.Resize(Width, Height));
  EXPECT_EQ(p->BackBuffer, before);

  const struct {
    float width, height;
    UINT wantWidth, wantHeight;
  } cases[] = {{400, 300, 400, 300}, {321.9f, 240.99f, 321, 240}, {Width, Height, Width, Height}};
  for (const auto& c : cases) {
    EXPECT_TRUE(engine.Resize(c.width, c.height)) << c.width;
    ASSERT_NE(p->BackBuffer, nullptr);
    ASSERT_NE(p->DepthStencilBuffer, nullptr);
    EXPECT_NE(p->Render_Target, nullptr);
    EXPECT_NE(p->DepthStencilView, nullptr);
    D3D11_TEXTURE2D_DESC back, depth;
    p->BackBuffer->GetDesc(&back);
    p->DepthStencilBuffer->GetDesc(&depth);
    EXPECT_EQ(back.Width, c.wantWidth) << c.width;
    EXPECT_EQ(back.Height, c.wantHeight) << c.height;
    EXPECT_EQ(depth.Width, c.wantWidth) << c.width;
    EXPECT_EQ(depth.Height, c.wantHeight) << c.height;
    EXPECT_EQ(p->Viewport->Width, float(Width));
    EXPECT_EQ(p->Viewport->Height, float(Height));
    EXPECT_TRUE(p->Sync->Threads.empty());
  }
  // Rendering goes on after a resize.
  engine.RenderFrame({});
  engine.PresentFrame();
}

TEST_F(EngineTest, MissingShaderFilesAreTracedAndStartUpCompletes) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "engine_missing_shaders";
  const struct {
    const char* name;
    std::vector<const char*> missing;
  } cases[] = {
      {"geometry shader", {"GeometryShader.hlsl"}},
      {"vertex shader", {"VertexShader.hlsl"}},
      {"all", {std::begin(ShaderFiles), std::end(ShaderFiles)}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "texture");
    for (const char* file : ShaderFiles)
      if (std::find(c.missing.begin(), c.missing.end(), std::string(file)) == c.missing.end())
        std::filesystem::copy_file(file, dir / file);
    std::filesystem::copy_file("texture/SkyBox_Mts.dds", dir / "texture/SkyBox_Mts.dds");
    Traces log;
    CurrentDirectory there(dir);
    {
      Engine engine(Window.Handle, Width, Height);
      DemoLikeScene scene(engine);
      engine.RenderFrame(scene.Scene);
      engine.PresentFrame();
      EXPECT_TRUE(engine.GetPipeline()->Sync->Threads.empty()) << c.name;
    }
    for (const char* file : ShaderFiles) {
      const std::wstring compile = L"D3DCompileFromFile(L\"" + std::wstring(file, file + std::strlen(file)) + L"\"";
      const bool isMissing = std::find(c.missing.begin(), c.missing.end(), std::string(file)) != c.missing.end();
      EXPECT_EQ(log.Contains(compile), isMissing) << c.name << ": " << file;
    }
  }
}

}  // namespace
