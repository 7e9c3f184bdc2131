// The four operations through which the shell drives the scene.
#pragma once

#include <windows.h>

class SceneInterface {
 public:
  virtual ~SceneInterface() = default;
  // Once, after the main window exists and before the frame loop; returns when the
  // scene is complete. Width and height are the window's outer size.
  virtual void SetUp(HWND window, float width, float height) = 0;
  // Once per loop pass in which no message was waiting.
  virtual void RunFrame() = 0;
  // On every size message, with the window's outer size; does nothing before SetUp
  // has built the scene.
  virtual void OnWindowResized(float width, float height) = 0;
  // Once, after the loop.
  virtual void TearDown() = 0;
};
