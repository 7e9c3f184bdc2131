// Windows on a real (virtual) display, through SDL.
#include <gtest/gtest.h>
#include <windows.h>
#include <zr_win32.h>

#include <vector>

#include "virtual_display.h"

namespace {

// Started before the display is opened, so it is stopped only after the display
// has been closed at exit.
const std::string& gDisplay = StartVirtualDisplay();
std::vector<MSG> gSeen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gSeen.push_back({window, message, wParam, lParam, 0, {}});
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Display, WindowsAreDisplayWindowsWithTheirTitleAndSize) {
  ASSERT_FALSE(gDisplay.empty()) << "Xvfb did not start";
  ASSERT_FALSE(zr::win32::IsHeadless());

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"ZrDisplayTest";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND window = CreateWindowExW(0, L"ZrDisplayTest", L"Ovrin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_NE(zr::win32::NativeWindow(window), nullptr);
  ShowWindow(window, SW_SHOWDEFAULT);
  EXPECT_EQ(GetForegroundWindow(), window);

  wchar_t title[16];
  EXPECT_EQ(GetWindowTextW(window, title, 16), 5);
  EXPECT_STREQ(title, L"Ovrin");
  RECT client, outer;
  GetClientRect(window, &client);
  GetWindowRect(window, &outer);
  EXPECT_EQ(client.right, 1280);
  EXPECT_EQ(client.bottom, 720);
  EXPECT_GE(outer.right - outer.left, 1280);

  // A size set by the program reaches the procedure at once and sticks once the
  // display has reported it back.
  gSeen.clear();
  SetWindowPos(window, nullptr, 0, 0, 800 + (outer.right - outer.left - 1280), 600 + (outer.bottom - outer.top - 720),
               SWP_NOMOVE | SWP_NOZORDER);
  MSG msg;
  for (int i = 0; i < 50; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(2);
  }
  bool sized = false;
  for (const MSG& m : gSeen) sized = sized || (m.message == WM_SIZE && m.lParam == MAKELPARAM(800, 600));
  EXPECT_TRUE(sized);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);

  // Posted messages still pass through the pump.
  PostMessageW(window, WM_USER, 1, 2);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);

  // A scripted answer shows no box, even with a display.
  zr::win32::SetMessageBoxAnswer(IDYES);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxW(window, L"text", L"caption", MB_YESNO), IDYES);
  testing::internal::GetCapturedStderr();
  zr::win32::SetMessageBoxAnswer(0);

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(zr::win32::NativeWindow(window), nullptr);
}

}  // namespace
