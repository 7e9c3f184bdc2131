// The window procedure: key table, mouse deltas, size messages and destruction.
#include <gtest/gtest.h>
#include <windows.h>
#include <zr_win32.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "app/windowproc.h"

namespace {

const bool kHeadless = (unsetenv("DISPLAY"), unsetenv("WAYLAND_DISPLAY"), true);

void ClearAllKeys() {
  for (int slot = 0; slot < KeySlotCount; ++slot) ClearKey(slot);
}

std::vector<int> HeldSlots() {
  std::vector<int> held;
  for (int slot = 0; slot < KeySlotCount; ++slot) {
    if (IsKeyDown(slot)) held.push_back(slot);
  }
  return held;
}

TEST(KeyTable, EachBoundKeyHoldsExactlyItsSlot) {
  const std::pair<WPARAM, int> bindings[] = {
      {VK_LEFT, 0}, {VK_RIGHT, 1}, {VK_UP, 2}, {VK_DOWN, 3}, {'W', 4},  {'A', 5},  {'S', 6},     {'D', 7},
      {'Q', 9},     {'E', 10},     {'R', 11},  {'F', 12},    {'1', 13}, {'2', 14}, {'3', 15},    {'4', 16},
      {'5', 17},    {'6', 18},     {'7', 19},  {'8', 20},    {'9', 21}, {'0', 22}, {VK_ADD, 23}, {VK_SUBTRACT, 24},
  };
  ClearAllKeys();
  for (auto [key, slot] : bindings) {
    SCOPED_TRACE(testing::Message() << "key " << key);
    EXPECT_EQ(WndProc(nullptr, WM_KEYDOWN, key, 1), 0);
    EXPECT_EQ(HeldSlots(), std::vector<int>{slot});
    WndProc(nullptr, WM_KEYDOWN, key, 1 | (1 << 30));  // auto-repeat: still held
    EXPECT_EQ(HeldSlots(), std::vector<int>{slot});
    EXPECT_EQ(WndProc(nullptr, WM_KEYUP, key, 0xC0000001), 0);
    EXPECT_TRUE(HeldSlots().empty());
  }
}

TEST(KeyTable, UnboundKeysSystemKeysAndStraySlotsChangeNothing) {
  ClearAllKeys();
  for (WPARAM key : {WPARAM('G'), WPARAM('Z'), WPARAM(VK_NUMPAD0 + 7), WPARAM(VK_F1), WPARAM(VK_SPACE)}) {
    WndProc(nullptr, WM_KEYDOWN, key, 1);
  }
  // Alt combinations and F10 are system keys: they go to the default procedure.
  WndProc(nullptr, WM_SYSKEYDOWN, 'W', 1 | (1 << 29));
  WndProc(nullptr, WM_SYSKEYDOWN, VK_F10, 1);
  for (int slot : {-1, 25, 99, 100, 1000}) {
    SetKey(slot);
    KeyDown(static_cast<WPARAM>(slot));
  }
  EXPECT_EQ(HeldSlots(), std::vector<int>{});
  EXPECT_FALSE(IsKeyDown(100));
  EXPECT_FALSE(IsKeyDown(-1));
  // A key still held when its release went elsewhere stays held until released here.
  KeyDown('W');
  KeyDown('W');
  EXPECT_EQ(HeldSlots(), std::vector<int>{4});
  KeyUp('W');
  EXPECT_TRUE(HeldSlots().empty());
}

TEST(MouseDeltas, LastChangeOfEachAxisWithinAFrame) {
  struct Move {
    int x, y;
  };
  struct Case {
    const char* name;
    float lastX, lastY, deltaX, deltaY;  // before the moves
    std::vector<Move> moves;
    float expectDeltaX, expectDeltaY, expectLastX, expectLastY;
  } cases[] = {
      {"first move compares against the origin", 0, 0, 0, 0, {{120, 45}}, 120, 45, 120, 45},
      {"deltas are overwritten, not summed", 100, 50, 0, 0, {{103, 50}, {105, 50}}, 2, 0, 105, 50},
      {"an unchanged axis keeps its delta", 100, 50, 0, 0, {{104, 50}, {104, 58}}, 4, 8, 104, 58},
      {"moving back gives a negative delta", 300, 300, 0, 0, {{290, 310}}, -10, 10, 290, 310},
      {"a cleared delta stays clear without movement", 10, 10, 0, 0, {{10, 10}}, 0, 0, 10, 10},
      {"coordinates are read as unsigned 16 bits", 0, 0, 0, 0, {{-1, 2}}, 65535, 2, 65535, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LastMouseX = c.lastX;
    LastMouseY = c.lastY;
    MouseDeltaX = c.deltaX;
    MouseDeltaY = c.deltaY;
    for (const Move& m : c.moves) EXPECT_EQ(WndProc(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(m.x, m.y)), 0);
    EXPECT_EQ(MouseDeltaX, c.expectDeltaX);
    EXPECT_EQ(MouseDeltaY, c.expectDeltaY);
    EXPECT_EQ(LastMouseX, c.expectLastX);
    EXPECT_EQ(LastMouseY, c.expectLastY);
  }
}

class SizeRecorder : public SceneInterface {
 public:
  void SetUp(HWND, float, float) override {}
  void RunFrame() override {}
  void OnWindowResized(float width, float height) override { sizes.emplace_back(width, height); }
  void TearDown() override {}
  std::vector<std::pair<float, float>> sizes;
};

TEST(WindowProcedure, SizeMessagesHandOnTheOuterSizeAndDestroyQuits) {
  ASSERT_TRUE(kHeadless);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WndProc;
  wc.lpszClassName = L"ZrWindowProcTest";
  RegisterClassExW(&wc);
  SizeRecorder scene;
  SetResizeTarget(&scene);
  HWND window = CreateWindowExW(0, L"ZrWindowProcTest", L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  auto outer = [&] {
    RECT r;
    GetWindowRect(window, &r);
    return std::pair<float, float>(static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top));
  };
  std::vector<std::pair<float, float>> expected{outer()};  // sent while the window is created
  zr::win32::InjectResize(window, 640, 480);
  expected.push_back(outer());
  ShowWindow(window, SW_MINIMIZE);
  expected.push_back(outer());
  ShowWindow(window, SW_RESTORE);
  expected.push_back(outer());
  EXPECT_EQ(scene.sizes, expected);
  EXPECT_GT(expected[1].first, 640.0f);  // frame included
  EXPECT_NE(expected[2], expected[1]);   // the minimised window's own rectangle
  EXPECT_EQ(expected[3], expected[1]);

  DestroyWindow(window);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
  SetResizeTarget(nullptr);
}

}  // namespace
