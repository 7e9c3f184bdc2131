#include "app/demoscene.h"

#include <cstdio>
#include <cstdlib>

#include "app/windowproc.h"

using namespace DirectX;

namespace {

// Key slots read each frame.
constexpr int KeyReport = 22;  // 0
constexpr int KeyTurnTo = 19;  // 7
constexpr int KeyLookAt = 20;  // 8

SurfaceParams DemoSurface() { return SurfaceParams({1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}); }

}  // namespace

void DemoScene::SetUp(HWND window, float width, float height) {
  engine = std::make_unique<Engine>(window, width, height);
  ActiveEngine = engine.get();
  Scene.clear();
  DirectionalLights.clear();
  SpotLights.clear();
  PointLights.clear();
  PrintControls();

  Skybox = std::make_unique<Primitive>(Cube, engine->GetPipeline(), nullptr, false);
  Skybox->SetTexture(L"texture\\SkyBox_Mts.dds");
  Skybox->SetSurfaceParams(DemoSurface());

  CubeDynamic = std::make_unique<Primitive>(Cube, engine->GetPipeline(), nullptr, true);
  CubeDynamic->SetSurfaceParams(DemoSurface());
  for (int i = 0; i < 100; ++i) {
    const int x = std::rand() % 100;
    const int y = std::rand() % 100;
    const int z = std::rand() % 100;
    CubeDynamic->AddInstance({float(x), float(y), float(z)});
  }

  Camera1 = std::make_unique<Camera>(width, height, 90.0f, 0.1f, 1000.0f);
  ActiveCamera = Camera1.get();
  Sun = std::make_unique<DirectionalLightObject>(
      MakeDirectionalLight({0.4f, 0.4f, 0.4f, 0.4f}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, -0.3f, 1}));

  Scene.push_back(Skybox.get());
  Scene.push_back(CubeDynamic.get());
  DirectionalLights.push_back(Sun->GetLight());
  engine->SetScene(Scene);
  engine->SetLights(DirectionalLights, PointLights, SpotLights);

  TurnToEnabled = false;
  Key7 = std::make_unique<TapTimer>();
}

void DemoScene::RunFrame() {
  for (Primitive* primitive : Scene) primitive->Update();
  Camera1->Update(MouseDeltaX, MouseDeltaY);
  Skybox->SetInstanceTranslation(Camera1->GetPosition(), 0);
  engine->CameraPosition = Camera1->GetPosition();
  engine->SetViewMatrix(Camera1->GetView());
  engine->SetProjectionMatrix(Camera1->GetProjection());
  engine->RenderFrame(Scene);

  ViewFrustum = std::make_unique<Frustum>(engine->GetPipeline());
  ViewFrustum->SetCenters(CubeDynamic->GetInstance(0), Camera1->GetNearZ(), Camera1->GetFarZ());
  ViewFrustum->SetPerspective(90.0f, Camera1->GetAspectRatio(), 0.01f, 100.0f);
  ViewFrustum->SetMatrices(Camera1->GetView(), Camera1->GetProjection());
  ViewFrustum->BuildLines(CubeDynamic->GetInstance(0));
  ViewFrustum->Draw();

  MouseDeltaX = 0;
  MouseDeltaY = 0;

  const XMFLOAT3 P = CubeDynamic->GetInstancePosition(0);
  const XMVECTOR target = XMVectorSet(P.x, P.y, P.z, 1.0f);
  if (IsKeyDown(KeyReport)) engine->ReportLiveObjects();
  if (IsKeyDown(KeyTurnTo)) {
    TurnToEnabled = !TurnToEnabled;
    Key7->Reset();
  }
  if (IsKeyDown(KeyLookAt) && Key7->IsReady()) {
    Key7->Reset();
    Camera1->LookAt(target);
  }
  if (TurnToEnabled && Key7->IsReady()) Camera1->TurnTo(target, 0.02f);

  engine->PresentFrame();
  ViewFrustum.reset();
}

void DemoScene::OnWindowResized(float width, float height) {
  if (ActiveEngine) ActiveEngine->Resize(width, height);
  if (ActiveCamera)
    ActiveCamera->SetProjection(ActiveCamera->GetNearZ(), ActiveCamera->GetFarZ(), ActiveCamera->GetFieldOfView(),
                                width / height);
}

void DemoScene::TearDown() {
  Key7.reset();
  Sun.reset();
  Camera1.reset();
  CubeDynamic.reset();
  Skybox.reset();
  PointLights.clear();
  SpotLights.clear();
  DirectionalLights.clear();
  Scene.clear();
  engine.reset();
}

void DemoScene::PrintControls() {
  std::printf(
      "# Controls\n"
      "## Camera Movement\n"
      "* Foward Movment - W\n"
      "* Backwards Movement - S\n"
      "* Strafe Left - A\n"
      "* Strafe Right - D\n"
      "* Up Movement - R\n"
      "* Down Movement - F\n"
      "* Look Around - Left Click(Hold)\n"
      "* Roll Left - Q\n"
      "* Roll Right - E\n"
      "* Decrease Near Plane - 1 (Hold)\n"
      "* Increase Near Plane - 2 (Hold)\n"
      "* Decrease Far Plane - 3 (Hold)   **Note may take some time since far plane is default 100\n"
      "* Increase Far Plane - 4 (Hold)\n"
      "* Zoom Out - 5 (Hold)\n"
      "* Zoom In - 6 (Hold)\n"
      "* Toggle Turn To Turn To(Tap) - 7\n"
      "* Look At (Tap) - 8\n"
      "\n"
      "* Translate Cube\n"
      "* +X - Arrow Left\n"
      "* -X - Arrow Right\n"
      "* +Z Axis - Arrow Up\n"
      "* -Z Axis - Arrow Down\n"
      "\n"
      "* Rotate Cube\n"
      "* Add / Subtract - Rotate Y Axis");
}
