// The entry's start-up, frame loop and shutdown around a scene that records what
// the shell asks of it.
#include <gtest/gtest.h>
#include <windows.h>
#include <zr_win32.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main.h"
#include "app/windowproc.h"

namespace {

const bool kHeadless = (unsetenv("DISPLAY"), unsetenv("WAYLAND_DISPLAY"), true);

class RecordingScene : public SceneInterface {
 public:
  void SetUp(HWND window, float width, float height) override {
    Record("set-up", width, height);
    EXPECT_EQ(window, MainWindow);
    if (onSetUp) onSetUp();
  }
  void RunFrame() override {
    ++frames;
    // A frame runs only when no message is waiting.
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) ++framesWithMessagesWaiting;
    if (calls.empty() || calls.back() != "frame") calls.push_back("frame");
    if (onFrame) onFrame(frames);
  }
  void OnWindowResized(float width, float height) override { Record("resize", width, height); }
  void TearDown() override { calls.push_back("tear-down"); }

  std::vector<std::string> calls;  // runs of frames are one entry
  int frames = 0;
  int framesWithMessagesWaiting = 0;
  std::function<void()> onSetUp;
  std::function<void(int)> onFrame;

 private:
  void Record(const char* what, float width, float height) {
    calls.push_back(std::string(what) + " " + std::to_string(static_cast<int>(width)) + "x" +
                    std::to_string(static_cast<int>(height)));
  }
};

std::string OuterSize() {
  RECT r;
  GetWindowRect(MainWindow, &r);
  return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

int RunShell(RecordingScene& scene) {
  int code = RunApplication(GetModuleHandleW(nullptr), SW_SHOWDEFAULT, scene);
  SetResizeTarget(nullptr);
  return code;
}

TEST(Shell, StartsUpRunsFramesAndStopsWhenTheWindowCloses) {
  ASSERT_TRUE(kHeadless);
  RecordingScene scene;
  std::string sizeAtSetUp;
  scene.onSetUp = [&] { sizeAtSetUp = OuterSize(); };
  scene.onFrame = [](int frame) {
    if (frame == 50) PostMessageW(MainWindow, WM_CLOSE, 0, 0);
  };
  testing::internal::CaptureStdout();
  int code = RunShell(scene);
  std::string output = testing::internal::GetCapturedStdout();

  EXPECT_EQ(code, 0);
  EXPECT_EQ(output.substr(0, 10), "Test Text\n");
  EXPECT_STREQ(WindowTitle, L"Ovrin");
  EXPECT_STREQ(WindowClassName, L"OVRIN");
  wchar_t title[16];
  EXPECT_EQ(GetWindowTextW(MainWindow, title, 16), 0) << "the window is gone";
  // The size message of the window's creation reaches the scene before SetUp; the
  // close ends the loop with no frame after it.
  std::vector<std::string> expected{"resize " + sizeAtSetUp, "set-up " + sizeAtSetUp, "frame", "tear-down"};
  EXPECT_EQ(scene.calls, expected);
  EXPECT_EQ(scene.frames, 50);
  EXPECT_EQ(scene.framesWithMessagesWaiting, 0);
}

TEST(Shell, AFloodOfMessagesRunsNoFrameUntilTheQueueIsEmpty) {
  RecordingScene scene;
  scene.onSetUp = [] {
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(PostMessageW(MainWindow, WM_USER + 1, i, 0));
  };
  scene.onFrame = [](int) {
    // A burst that ends with the close: none of it leaves room for a frame.
    for (int i = 0; i < 200; ++i) PostMessageW(MainWindow, WM_USER + 2, i, 0);
    zr::win32::InjectKey(MainWindow, 'W', true);
    zr::win32::InjectMouseMove(MainWindow, 10, 10);
    PostMessageW(MainWindow, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(RunShell(scene), 0);
  EXPECT_EQ(scene.frames, 1);
  EXPECT_EQ(scene.framesWithMessagesWaiting, 0);
  EXPECT_TRUE(IsKeyDown(4)) << "the burst was dispatched to the window procedure";
  ClearKey(4);
}

TEST(Shell, ResizeInTheLoopReachesTheSceneAndTheQuitCodeIsTheExitCode) {
  RecordingScene scene;
  std::string resized;
  scene.onFrame = [&](int frame) {
    if (frame == 1) {
      zr::win32::InjectResize(MainWindow, 640, 480);
      resized = OuterSize();
    }
    if (frame == 2) PostQuitMessage(3);
  };
  EXPECT_EQ(RunShell(scene), 3);
  ASSERT_EQ(scene.calls.size(), 6u);
  EXPECT_EQ(scene.calls[3], "resize " + resized);
  EXPECT_EQ(scene.frames, 2);
  DestroyWindow(MainWindow);
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_NCCREATE ? FALSE : DefWindowProcW(window, message, wParam, lParam);
}

TEST(Shell, WithoutAWindowTheProgramEndsWithZeroBeforeSetUp) {
  // In a fresh process: the refusing class must not meet the class of the other
  // tests, nor outlive this one.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RefuseCreation;
        wc.lpszClassName = L"OVRIN";
        RegisterClassExW(&wc);
        RecordingScene scene;
        scene.onSetUp = [] { std::exit(2); };
        int code = RunShell(scene);
        std::exit(code == 0 && scene.calls.empty() && MainWindow == nullptr ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
