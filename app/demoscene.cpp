#include "app/demoscene.h"

#include "app/windowproc.h"

void DemoScene::SetUp(HWND window, float, float) { Window = window; }

void DemoScene::RunFrame() {
  MouseDeltaX = 0;
  MouseDeltaY = 0;
}

void DemoScene::OnWindowResized(float, float) {}

void DemoScene::TearDown() {}
