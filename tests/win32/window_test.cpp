// Windows and the message queue, headless.
#include <gtest/gtest.h>
#include <windows.h>
#include <zr_win32.h>

#include <csignal>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// The records keep the sizes a 64-bit Windows program relies on.
static_assert(sizeof(WNDCLASSEXW) == 80);
static_assert(sizeof(FILE_STANDARD_INFO) == 24);
static_assert(sizeof(MSG) == 48);

// These tests keep their windows without a display.
const bool kHeadless = (unsetenv("DISPLAY"), unsetenv("WAYLAND_DISPLAY"), true);

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> gSeen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gSeen.push_back({message, wParam, lParam});
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTestClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"ZrTestWindow";
  RegisterClassExW(&wc);  // fails harmlessly when an earlier test registered it
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kHeadless);
    RegisterTestClass();
    gSeen.clear();
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND Create(int width = CW_USEDEFAULT, int height = 0, DWORD style = WS_OVERLAPPEDWINDOW) {
    window_ = CreateWindowExW(0, L"zrtestwindow", L"Test", style, CW_USEDEFAULT, 0, width, height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    return window_;
  }
  std::vector<UINT> Messages() const {
    std::vector<UINT> out;
    for (const Seen& s : gSeen) out.push_back(s.message);
    return out;
  }
  // Dispatches everything waiting; returns the messages taken, in order.
  std::vector<MSG> Drain() {
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      taken.push_back(msg);
      DispatchMessageW(&msg);
    }
    return taken;
  }
  HWND window_ = nullptr;
};

TEST_F(WindowTest, CreationSendsCreateAndFirstSizeBeforeReturning) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(zr::win32::IsHeadless());
  EXPECT_EQ(zr::win32::NativeWindow(window), nullptr);
  std::vector<UINT> expected{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE};
  EXPECT_EQ(Messages(), expected);
  RECT client, outer;
  ASSERT_TRUE(GetClientRect(window, &client));
  ASSERT_TRUE(GetWindowRect(window, &outer));
  EXPECT_EQ(gSeen[2].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(gSeen[2].lParam), client.right);
  EXPECT_EQ(HIWORD(gSeen[2].lParam), client.bottom);
  // The outer rectangle holds the frame and caption around the client area.
  EXPECT_GT(outer.right - outer.left, client.right);
  EXPECT_GT(outer.bottom - outer.top, client.bottom);
}

TEST_F(WindowTest, DefaultAndExplicitSizes) {
  struct Case {
    int width, height;
    bool outerGiven;  // an explicit size is the outer size
    LONG expectWidth, expectHeight;
  } cases[] = {
      {CW_USEDEFAULT, 0, false, 1280, 720},
      {CW_USEDEFAULT, 500, false, 1280, 720},
      {800, 600, true, 800, 600},
      {640, CW_USEDEFAULT, false, -1, 720},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    HWND window = Create(c.width, c.height);
    ASSERT_NE(window, nullptr);
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    const RECT& r = c.outerGiven ? outer : client;
    if (c.expectWidth >= 0) {
      EXPECT_EQ(r.right - r.left, c.expectWidth);
    }
    EXPECT_EQ(r.bottom - r.top, c.expectHeight);
    DestroyWindow(window);
  }
}

TEST_F(WindowTest, UnknownClassAndHandlesFail) {
  HWND none = CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  HWND bogus = reinterpret_cast<HWND>(0x1234);
  RECT r;
  EXPECT_FALSE(GetWindowRect(bogus, &r));
  EXPECT_FALSE(PostMessageW(bogus, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(DestroyWindow(bogus));
}

TEST_F(WindowTest, PostedMessagesComeInOrderAndQuitComesLast) {
  HWND window = Create();
  PostQuitMessage(7);
  for (UINT i = 0; i < 3; ++i) ASSERT_TRUE(PostMessageW(window, WM_USER + i, i, 0));
  ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 10, 0, 0));  // a thread message
  MSG msg;
  // Peeking without removing leaves the message first in line.
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  std::vector<MSG> taken = Drain();
  ASSERT_EQ(taken.size(), 5u);
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_EQ(taken[i].message, WM_USER + i);
    EXPECT_EQ(taken[i].hwnd, window);
  }
  EXPECT_EQ(taken[3].hwnd, nullptr);
  EXPECT_EQ(taken[4].message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(taken[4].wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // the quit message comes once
}

TEST_F(WindowTest, FiltersSelectByWindowAndRange) {
  HWND a = Create();
  HWND b = CreateWindowExW(0, L"ZrTestWindow", L"B", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  PostMessageW(a, WM_USER + 3, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
  EXPECT_FALSE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  DestroyWindow(b);
}

TEST_F(WindowTest, CloseDestroysTheWindow) {
  HWND window = Create();
  gSeen.clear();
  PostMessageW(window, WM_CLOSE, 0, 0);
  PostMessageW(window, WM_USER, 0, 0);  // still waiting when the window goes
  Drain();
  std::vector<UINT> expected{WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
  EXPECT_EQ(Messages(), expected);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PostMessageW(window, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, QueueRefusesPostsBeyondItsLimit) {
  HWND window = Create();
  int accepted = 0;
  while (PostMessageW(window, WM_USER, 0, 0) && accepted <= 20000) ++accepted;
  EXPECT_EQ(accepted, 10000);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
}

TEST_F(WindowTest, MessageSentFromAnotherThreadRunsOnTheOwner) {
  HWND window = Create();
  gSeen.clear();
  std::thread::id ranOn;
  LRESULT result = 0;
  std::thread sender([&] { result = SendMessageW(window, WM_NCCREATE, 0, 0); });
  // The owner runs the sent message when it next peeks.
  MSG msg;
  while (gSeen.empty()) {
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    std::this_thread::yield();
  }
  ranOn = std::this_thread::get_id();
  sender.join();
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(gSeen[0].message, static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  // Only the owner destroys a window.
  BOOL destroyed = TRUE;
  std::thread([&] { destroyed = DestroyWindow(window); }).join();
  EXPECT_FALSE(destroyed);
}

TEST_F(WindowTest, StopSignalsCloseTheOldestWindow) {
  for (int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    HWND window = Create();
    HWND second = CreateWindowExW(0, L"ZrTestWindow", L"B", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    std::raise(signal);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, window);
    DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(second);
  }
}

TEST_F(WindowTest, KeysBecomeKeyMessages) {
  struct Case {
    UINT key;
    bool down, repeat, alt;
    UINT message;
    DWORD flags;  // bits 29 to 31 of lParam: Alt held, previously down, released
  } cases[] = {
      {'A', true, false, false, WM_KEYDOWN, 0},          {'A', true, true, false, WM_KEYDOWN, 1u << 30},
      {'A', false, false, false, WM_KEYUP, 3u << 30},    {VK_ADD, true, false, false, WM_KEYDOWN, 0},
      {VK_F10, true, false, false, WM_SYSKEYDOWN, 0},    {VK_F10, false, false, false, WM_SYSKEYUP, 3u << 30},
      {'X', true, false, true, WM_SYSKEYDOWN, 1u << 29}, {VK_MENU, true, false, true, WM_SYSKEYDOWN, 1u << 29},
  };
  HWND window = Create();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << (c.down ? " down" : " up"));
    zr::win32::InjectKey(window, c.key, c.down, c.repeat, c.alt);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.message, c.message);
    EXPECT_EQ(msg.wParam, c.key);
    EXPECT_EQ(static_cast<DWORD>(msg.lParam) & 0xE0000000u, c.flags);
    EXPECT_EQ(static_cast<DWORD>(msg.lParam) & 0xFFFFu, 1u);  // repeat count
  }
}

TEST_F(WindowTest, TranslateAddsCharacters) {
  HWND window = Create();
  zr::win32::InjectKey(window, 'Q', true);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(TranslateMessage(&msg));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('q'));
  zr::win32::InjectKey(window, 'Q', false);
}

TEST_F(WindowTest, PointerBecomesMouseMessagesAndButtonState) {
  HWND window = Create();
  zr::win32::InjectMouseMove(window, 300, 200);
  zr::win32::InjectMouseButton(window, VK_LBUTTON, true);
  EXPECT_NE(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
  zr::win32::InjectMouseMove(window, 301, 70000);  // packed as Windows packs: 16 bits each
  zr::win32::InjectMouseButton(window, VK_LBUTTON, false);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
  std::vector<MSG> taken = Drain();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(LOWORD(taken[0].lParam), 300);
  EXPECT_EQ(HIWORD(taken[0].lParam), 200);
  EXPECT_EQ(taken[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(taken[2].wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(LOWORD(taken[2].lParam), 301);
  EXPECT_EQ(HIWORD(taken[2].lParam), 70000 & 0xFFFF);
  EXPECT_EQ(taken[3].message, static_cast<UINT>(WM_LBUTTONUP));

  // Without a window only the button state changes.
  zr::win32::InjectMouseButton(nullptr, VK_RBUTTON, true);
  EXPECT_NE(GetAsyncKeyState(VK_RBUTTON) & 0x8000, 0);
  zr::win32::InjectMouseButton(nullptr, VK_RBUTTON, false);
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 0);
  EXPECT_TRUE(Drain().empty());
}

TEST_F(WindowTest, ResizeMinimiseAndRestoreSendSizes) {
  HWND window = Create();
  gSeen.clear();
  zr::win32::InjectResize(window, 640, 480);
  ShowWindow(window, SW_MINIMIZE);
  RECT minimized;
  GetWindowRect(window, &minimized);
  ShowWindow(window, SW_RESTORE);
  RECT restored;
  GetWindowRect(window, &restored);
  std::vector<Seen> sizes;
  for (const Seen& s : gSeen) {
    if (s.message == WM_SIZE) sizes.push_back(s);
  }
  ASSERT_EQ(sizes.size(), 3u);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(640, 480));
  EXPECT_EQ(sizes[1].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  EXPECT_EQ(sizes[1].lParam, 0);
  EXPECT_EQ(sizes[2].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(sizes[2].lParam, MAKELPARAM(640, 480));
  // Windows parks a minimised window far off the screen.
  EXPECT_EQ(minimized.left, -32000);
  EXPECT_LT(minimized.right - minimized.left, 640);
  EXPECT_GT(restored.right - restored.left, 640);
}

TEST(KeyNames, DisplayKeysMapToVirtualKeys) {
  struct Case {
    const char* name;
    UINT key;
  } cases[] = {
      {"A", 'A'},
      {"w", 'W'},
      {"0", '0'},
      {"9", '9'},
      {"Left", VK_LEFT},
      {"Right", VK_RIGHT},
      {"Up", VK_UP},
      {"Down", VK_DOWN},
      {"Keypad +", VK_ADD},
      {"Keypad -", VK_SUBTRACT},
      {"Keypad 7", VK_NUMPAD0 + 7},
      {"F10", VK_F10},
      {"Left Alt", VK_MENU},
      {"Escape", VK_ESCAPE},
      {"No Such Key", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(zr::win32::VirtualKeyForKeyName(c.name), c.key) << c.name;
}

}  // namespace
