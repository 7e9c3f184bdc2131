// The demonstration scene: the one implementation of the scene interface.
#pragma once

#include <windows.h>

#include "app/sceneinterface.h"

class DemoScene : public SceneInterface {
 public:
  void SetUp(HWND window, float width, float height) override;
  void RunFrame() override;
  void OnWindowResized(float width, float height) override;
  void TearDown() override;

 private:
  HWND Window = nullptr;
};
