// The demonstration scene driven frame by frame: its set-up, the tap keys, the report
// key and the resize reaction.
#include <gtest/gtest.h>

#include <DirectXMath.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/demoscene.h"
#include "app/windowproc.h"
#include "enginetest.h"

using namespace DirectX;
using namespace enginetest;

namespace {

constexpr int KeyReport = 22, KeyTurnTo = 19, KeyLookAt = 20;

class DemoSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::srand(1);  // the C runtime's state at start-up: never seeded
    Demo.SetUp(Window.Handle, 320, 240);
  }
  void TearDown() override {
    for (int slot : {KeyReport, KeyTurnTo, KeyLookAt}) ClearKey(slot);
    Demo.TearDown();
  }
  // Frames with the key held, then released.
  void Hold(int slot, int frames) {
    SetKey(slot);
    for (int i = 0; i < frames; ++i) Demo.RunFrame();
    ClearKey(slot);
  }
  bool WaitForGate() {
    for (int i = 0; i < 300 && !Demo.Key7->IsReady(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Demo.Key7->IsReady();
  }

  CurrentDirectory Here{ZR_APP_DIR};
  Traces Log;
  TestWindow Window{320, 240};
  DemoScene Demo;
};

TEST_F(DemoSceneTest, SetUpBuildsTheScene) {
  ASSERT_EQ(Demo.Scene.size(), 2u);
  EXPECT_EQ(Demo.Scene[0], Demo.Skybox.get());
  EXPECT_EQ(Demo.Scene[1], Demo.CubeDynamic.get());
  EXPECT_NE(*Demo.Skybox->GetTextureView(), nullptr);
  ASSERT_EQ(Demo.CubeDynamic->Instances.size(), 101u);
  std::srand(1);
  for (uint32_t i = 1; i <= 100; ++i) {
    const float x = float(std::rand() % 100), y = float(std::rand() % 100), z = float(std::rand() % 100);
    const XMFLOAT3 p = Demo.CubeDynamic->GetInstancePosition(i);
    EXPECT_EQ(p.x, x) << i;
    EXPECT_EQ(p.y, y) << i;
    EXPECT_EQ(p.z, z) << i;
  }
  ASSERT_EQ(Demo.engine->DirectionalLights.size(), 1u);
  EXPECT_EQ(Demo.engine->DirectionalLights[0], Demo.Sun->GetLight());
  EXPECT_TRUE(Demo.engine->PointLights.empty());
  EXPECT_TRUE(Demo.engine->SpotLights.empty());
  for (int i = 0; i < 3; ++i) Demo.RunFrame();
  EXPECT_EQ(Log.Text().find(L"hr="), std::wstring::npos) << "unexpected failure traces";
}

TEST_F(DemoSceneTest, HoldingSevenFlipsTurnToOncePerFrame) {
  const struct {
    int frames;
    bool enabled;
  } cases[] = {{1, true}, {2, true}, {3, false}, {4, false}};  // cumulative: 1, 3, 6, 10 frames
  for (const auto& c : cases) {
    Hold(KeyTurnTo, c.frames);
    EXPECT_EQ(Demo.TurnToEnabled, c.enabled) << c.frames;
    EXPECT_FALSE(Demo.Key7->IsReady()) << "holding 7 closes the gate";
  }
}

TEST_F(DemoSceneTest, EightLooksAtTheCubeOnlyWhenTheGateIsOpen) {
  auto centreOfCube = [&] {
    const XMVECTOR clip = XMVector4Transform(XMVectorSet(0, 0, 0, 1), Demo.Camera1->GetView());
    return XMVectorGetX(clip) * XMVectorGetX(clip) + XMVectorGetY(clip) * XMVectorGetY(clip);
  };
  Demo.Camera1->LookAt(XMVectorSet(10, 3, 0, 1));  // face away from the cube first
  Demo.Key7->Reset();
  const XMMATRIX before = Demo.Camera1->GetView();
  Hold(KeyLookAt, 1);
  XMFLOAT4X4 a, b;
  XMStoreFloat4x4(&a, before);
  XMStoreFloat4x4(&b, Demo.Camera1->GetView());
  EXPECT_EQ(std::memcmp(&a, &b, sizeof(a)), 0) << "8 acted with the gate closed";

  ASSERT_TRUE(WaitForGate());
  Hold(KeyLookAt, 1);
  EXPECT_LT(centreOfCube(), 1e-4f) << "the cube is straight ahead";
  EXPECT_FALSE(Demo.Key7->IsReady()) << "8 closes the gate again";
}

TEST_F(DemoSceneTest, ZeroReportsLiveObjectsEveryFrameHeld) {
  Demo.RunFrame();
  EXPECT_FALSE(Log.Contains(L"Live"));
  Hold(KeyReport, 1);
  ID3D11Debug* const debug = Demo.engine->GetPipeline()->pDeviceDebug;
  ASSERT_NE(debug, nullptr);
  const std::wstring once = Log.Text();
  EXPECT_NE(once.find(L"Live"), std::wstring::npos);
  Hold(KeyReport, 1);
  EXPECT_EQ(Demo.engine->GetPipeline()->pDeviceDebug, debug) << "obtained once";
  EXPECT_GT(Log.Text().size(), once.size()) << "reported again";
}

TEST_F(DemoSceneTest, ResizeReachesTheTargetsAndTheProjection) {
  Demo.OnWindowResized(400, 300);
  D3D11_TEXTURE2D_DESC back;
  Demo.engine->GetPipeline()->BackBuffer->GetDesc(&back);
  EXPECT_EQ(back.Width, 400u);
  EXPECT_EQ(back.Height, 300u);
  EXPECT_FLOAT_EQ(Demo.Camera1->GetAspectRatio(), 400.0f / 300.0f);
  Demo.RunFrame();
}

TEST(DemoSceneText, ControlsAreWrittenExactly) {
  DemoScene demo;
  ::testing::internal::CaptureStdout();
  demo.PrintControls();
  const std::string text = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(text,
            "# Controls\n## Camera Movement\n* Foward Movment - W\n* Backwards Movement - S\n* Strafe Left - A\n"
            "* Strafe Right - D\n* Up Movement - R\n* Down Movement - F\n* Look Around - Left Click(Hold)\n"
            "* Roll Left - Q\n* Roll Right - E\n* Decrease Near Plane - 1 (Hold)\n* Increase Near Plane - 2 (Hold)\n"
            "* Decrease Far Plane - 3 (Hold)   **Note may take some time since far plane is default 100\n"
            "* Increase Far Plane - 4 (Hold)\n* Zoom Out - 5 (Hold)\n* Zoom In - 6 (Hold)\n"
            "* Toggle Turn To Turn To(Tap) - 7\n* Look At (Tap) - 8\n\n* Translate Cube\n* +X - Arrow Left\n"
            "* -X - Arrow Right\n* +Z Axis - Arrow Up\n* -Z Axis - Arrow Down\n\n* Rotate Cube\n"
            "* Add / Subtract - Rotate Y Axis");
}

TEST(DemoSceneText, ResizeBeforeSetUpChangesNothing) {
  DemoScene demo;
  demo.OnWindowResized(400, 300);
  EXPECT_EQ(demo.ActiveEngine, nullptr);
  EXPECT_EQ(demo.ActiveCamera, nullptr);
}

}  // namespace
