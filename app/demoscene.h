// The demonstration scene: the one implementation of the scene interface. A textured
// sky cube, a cube drawn as 101 instances, a free-flying camera and one directional
// light, with the view frustum of the camera's settings drawn on the first cube.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/sceneinterface.h"
#include "app/taptimer.h"
#include "engine/engine.h"
#include "scene/primitive.h"
#include "view/camera.h"
#include "view/frustum.h"
#include "view/lights.h"

class DemoScene : public SceneInterface {
 public:
  void SetUp(HWND window, float width, float height) override;
  void RunFrame() override;
  void OnWindowResized(float width, float height) override;
  void TearDown() override;
  // Writes the controls text to standard output.
  void PrintControls();

  // Built by SetUp in this order, destroyed by TearDown.
  std::unique_ptr<Engine> engine;
  Engine* ActiveEngine = nullptr;
  std::vector<Primitive*> Scene;
  std::vector<DirectionalLight*> DirectionalLights;
  std::vector<SpotLight*> SpotLights;
  std::vector<PointLight*> PointLights;
  std::unique_ptr<Primitive> Skybox;
  std::unique_ptr<Primitive> CubeDynamic;
  std::unique_ptr<Camera> Camera1;
  Camera* ActiveCamera = nullptr;
  std::unique_ptr<DirectionalLightObject> Sun;
  bool TurnToEnabled = false;
  std::unique_ptr<TapTimer> Key7;
  // Built anew and destroyed within every frame.
  std::unique_ptr<Frustum> ViewFrustum;
};
