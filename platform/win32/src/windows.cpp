// Window classes, windows and the per-thread message queue.
//
// Every thread that posts, peeks or owns a window has a queue of posted messages.
// A window belongs to the thread that created it; messages sent to it from that
// thread are direct calls of its procedure, messages sent from another thread wait
// in the owner's queue until the owner next peeks. The display (when there is one)
// is pumped by each peek on the display thread and turns its events into messages.
// SIGINT and SIGTERM set a flag that the next peek turns into WM_CLOSE for the
// oldest window of the peeking thread.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cwctype>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "internal.h"

namespace zr::win32::detail {
namespace {

// Windows drops posts beyond this many waiting messages.
constexpr size_t kMaxPostedMessages = 10000;
// The client size of a window created with CW_USEDEFAULT.
constexpr int kDefaultClientWidth = 1280;
constexpr int kDefaultClientHeight = 720;
// Frame and caption of a headless overlapped window.
constexpr Frame kHeadlessFrame{8, 31, 8, 8};
// Where Windows parks a minimised window, and its size there.
constexpr int kMinimizedPosition = -32000;
constexpr int kMinimizedWidth = 160;
constexpr int kMinimizedHeight = 28;

struct SentMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool done = false;
  std::condition_variable finished;
};

struct Queue {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit = false;
  int quitCode = 0;
};

struct Window {
  HWND handle;
  WNDPROC procedure;
  std::shared_ptr<Queue> queue;
  std::thread::id owner;
  std::wstring title;
  Placement client;  // headless: the truth; display: the last reported placement
  bool visible = false;
  int sizeType = SIZE_RESTORED;
  bool destroying = false;
  void* native = nullptr;
};

struct WindowClass {
  WNDCLASSEXW record;
  std::wstring name;
};

std::mutex gMutex;  // guards everything below
std::map<uintptr_t, std::shared_ptr<Window>> gWindows;
std::map<std::wstring, WindowClass> gClasses;  // by lower-case name
uintptr_t gNextHandle = 0x10010;
HWND gForeground = nullptr;
POINT gCursor{};

std::atomic<uint8_t> gKeyDown[256];
std::atomic<int> gSignalPending{0};
std::once_flag gSignalsInstalled;

std::shared_ptr<Queue>& ThreadQueue() {
  thread_local std::shared_ptr<Queue> queue = std::make_shared<Queue>();
  return queue;
}

std::shared_ptr<Window> Find(HWND handle) {
  std::lock_guard lock(gMutex);
  auto it = gWindows.find(reinterpret_cast<uintptr_t>(handle));
  return it == gWindows.end() ? nullptr : it->second;
}

std::wstring Lower(LPCWSTR text) {
  std::wstring s(text);
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

extern "C" void OnStopSignal(int signal) {
  // A second stop before the first was taken means the program is not pumping:
  // let the signal end it.
  if (gSignalPending.exchange(1) != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

void InstallStopSignals() {
  std::call_once(gSignalsInstalled, [] {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
  });
}

// Runs the messages other threads sent to this thread's windows.
void RunSentMessages() {
  auto& queue = *ThreadQueue();
  for (;;) {
    std::shared_ptr<SentMessage> item;
    {
      std::lock_guard lock(queue.mutex);
      if (queue.sent.empty()) return;
      item = queue.sent.front();
      queue.sent.pop_front();
    }
    LRESULT result = SendMessageW(item->window, item->message, item->wParam, item->lParam);
    std::lock_guard lock(queue.mutex);
    item->result = result;
    item->done = true;
    item->finished.notify_all();
  }
}

void TakeStopSignal() {
  if (gSignalPending.load() == 0) return;
  HWND target = nullptr;
  {
    std::lock_guard lock(gMutex);
    for (auto& [handle, window] : gWindows) {
      if (window->queue == ThreadQueue() && !window->destroying) {
        target = window->handle;
        break;
      }
    }
  }
  if (target != nullptr && gSignalPending.exchange(0) != 0) PostMessageW(target, WM_CLOSE, 0, 0);
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd != nullptr) return false;
  } else if (window != nullptr && msg.hwnd != window) {
    return false;
  }
  return (filterMin == 0 && filterMax == 0) || (msg.message >= filterMin && msg.message <= filterMax);
}

Frame FrameOf(const Window& window) {
  return window.native != nullptr ? display::GetFrame(window.native) : kHeadlessFrame;
}

RECT OuterRect(const Window& window) {
  if (window.sizeType == SIZE_MINIMIZED) {
    return {kMinimizedPosition, kMinimizedPosition, kMinimizedPosition + kMinimizedWidth,
            kMinimizedPosition + kMinimizedHeight};
  }
  Frame f = FrameOf(window);
  const Placement& c = window.client;
  return {c.x - f.left, c.y - f.top, c.x + c.width + f.right, c.y + c.height + f.bottom};
}

void SendSize(HWND handle) {
  auto window = Find(handle);
  if (!window) return;
  int type, width, height;
  {
    std::lock_guard lock(gMutex);
    type = window->sizeType;
    width = type == SIZE_MINIMIZED ? 0 : window->client.width;
    height = type == SIZE_MINIMIZED ? 0 : window->client.height;
  }
  SendMessageW(handle, WM_SIZE, static_cast<WPARAM>(type), MAKELPARAM(width, height));
}

WPARAM MouseKeys() {
  WPARAM keys = 0;
  if (gKeyDown[VK_LBUTTON]) keys |= MK_LBUTTON;
  if (gKeyDown[VK_RBUTTON]) keys |= MK_RBUTTON;
  if (gKeyDown[VK_MBUTTON]) keys |= MK_MBUTTON;
  if (gKeyDown[VK_SHIFT]) keys |= MK_SHIFT;
  if (gKeyDown[VK_CONTROL]) keys |= MK_CONTROL;
  return keys;
}

}  // namespace

// ---- What the display reports ----------------------------------------------------------
void DeliverKey(HWND window, UINT virtualKey, bool down, bool repeat, bool alt) {
  if (virtualKey == 0 || virtualKey > 0xFF) return;
  gKeyDown[virtualKey] = down;
  bool control = gKeyDown[VK_CONTROL];
  bool system = (alt && !control) || virtualKey == VK_F10 || virtualKey == VK_MENU;
  DWORD flags = 1;  // repeat count
  if (alt) flags |= 1u << 29;
  if (!down || repeat) flags |= 1u << 30;
  if (!down) flags |= 1u << 31;
  UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  if (window != nullptr) PostMessageW(window, message, virtualKey, static_cast<LPARAM>(flags));
}

void DeliverMouseMove(HWND handle, int x, int y) {
  if (auto window = Find(handle)) {
    std::lock_guard lock(gMutex);
    gCursor = {window->client.x + x, window->client.y + y};
  }
  PostMessageW(handle, WM_MOUSEMOVE, MouseKeys(), MAKELPARAM(x, y));
}

void DeliverMouseButton(HWND window, UINT button, bool down, int x, int y) {
  UINT message;
  switch (button) {
    case VK_LBUTTON:
      message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      break;
    case VK_RBUTTON:
      message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      break;
    case VK_MBUTTON:
      message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      break;
    default:
      return;
  }
  gKeyDown[button] = down;
  if (window != nullptr) PostMessageW(window, message, MouseKeys(), MAKELPARAM(x, y));
}

void DeliverMouseWheel(HWND window, int delta) {
  POINT cursor;
  {
    std::lock_guard lock(gMutex);
    cursor = gCursor;
  }
  WPARAM wParam = MouseKeys() | (static_cast<WPARAM>(static_cast<WORD>(delta * WHEEL_DELTA)) << 16);
  PostMessageW(window, WM_MOUSEWHEEL, wParam, MAKELPARAM(cursor.x, cursor.y));
}

void DeliverPlacement(HWND handle, Placement placement) {
  auto window = Find(handle);
  if (!window) return;
  bool moved, resized;
  {
    std::lock_guard lock(gMutex);
    Placement& c = window->client;
    moved = c.x != placement.x || c.y != placement.y;
    resized = c.width != placement.width || c.height != placement.height;
    c = placement;
  }
  if (moved) SendMessageW(handle, WM_MOVE, 0, MAKELPARAM(placement.x, placement.y));
  if (resized) SendSize(handle);
}

void DeliverSizeState(HWND handle, int sizeType) {
  auto window = Find(handle);
  if (!window) return;
  {
    std::lock_guard lock(gMutex);
    if (window->sizeType == sizeType) return;
    window->sizeType = sizeType;
  }
  SendSize(handle);
}

void DeliverFocus(HWND handle, bool focused) {
  {
    std::lock_guard lock(gMutex);
    if (focused) {
      gForeground = handle;
    } else if (gForeground == handle) {
      gForeground = nullptr;
    }
  }
  SendMessageW(handle, focused ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

void DeliverClose(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

}  // namespace zr::win32::detail

using namespace zr::win32::detail;

// ---- Classes and windows ----------------------------------------------------------------
ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXW) || wc->lpfnWndProc == nullptr ||
      wc->lpszClassName == nullptr || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard lock(gMutex);
  std::wstring key = Lower(wc->lpszClassName);
  if (gClasses.count(key) != 0) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowClass& entry = gClasses[key];
  entry.record = *wc;
  entry.name = wc->lpszClassName;
  entry.record.lpszClassName = entry.name.c_str();
  return static_cast<ATOM>(0xC000 + gClasses.size());
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  if (className == nullptr || IS_INTRESOURCE(className)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto window = std::make_shared<Window>();
  HICON icon;
  {
    std::lock_guard lock(gMutex);
    auto it = gClasses.find(Lower(className));
    if (it == gClasses.end()) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    window->procedure = it->second.record.lpfnWndProc;
    icon = it->second.record.hIcon;
    window->handle = reinterpret_cast<HWND>(gNextHandle);
    gNextHandle += 0x10;
  }
  window->queue = ThreadQueue();
  window->owner = std::this_thread::get_id();
  window->title = windowName != nullptr ? windowName : L"";

  // CW_USEDEFAULT for the width picks the default size, whatever the height says;
  // an explicit size is the outer size, frame included.
  bool useDisplay = display::Open() && display::IsDisplayThread();
  Frame frame = useDisplay ? Frame{0, 0, 0, 0} : kHeadlessFrame;
  Placement& client = window->client;
  if (width == CW_USEDEFAULT) {
    client.width = kDefaultClientWidth;
    client.height = kDefaultClientHeight;
  } else {
    client.width = std::max(0, width - frame.left - frame.right);
    client.height = height == CW_USEDEFAULT ? kDefaultClientHeight : std::max(0, height - frame.top - frame.bottom);
  }
  if (x == CW_USEDEFAULT) {
    // Headless, the default place puts the frame's corner at the screen's origin.
    client.x = useDisplay ? CW_USEDEFAULT : frame.left;
    client.y = useDisplay ? CW_USEDEFAULT : frame.top;
  } else {
    client.x = x + frame.left;
    client.y = y + frame.top;
  }
  if (useDisplay) {
    auto pixels = reinterpret_cast<const zr::win32::IconResource*>(icon);
    window->native = display::CreateWindow(window->handle, window->title, client, (style & WS_THICKFRAME) != 0,
                                           pixels != nullptr && pixels->pixels != nullptr ? pixels : nullptr);
    if (window->native != nullptr) client = display::GetPlacement(window->native);
  }
  {
    std::lock_guard lock(gMutex);
    gWindows[reinterpret_cast<uintptr_t>(window->handle)] = window;
  }
  InstallStopSignals();

  HWND handle = window->handle;
  CREATESTRUCTW create{
      param,      instance,  menu,   parent, client.height, client.width, client.y, client.x, static_cast<LONG>(style),
      windowName, className, exStyle};
  if (SendMessageW(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0 ||
      SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  SendSize(handle);
  SendMessageW(handle, WM_MOVE, 0, MAKELPARAM(client.x, client.y));
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  auto window = Find(handle);
  if (window && window->owner != std::this_thread::get_id()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  {
    std::lock_guard lock(gMutex);
    if (!window || window->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    window->destroying = true;
  }
  SendMessageW(handle, WM_DESTROY, 0, 0);
  SendMessageW(handle, WM_NCDESTROY, 0, 0);
  {
    std::lock_guard lock(gMutex);
    gWindows.erase(reinterpret_cast<uintptr_t>(handle));
    if (gForeground == handle) gForeground = nullptr;
  }
  if (window->native != nullptr) display::DestroyWindow(window->native);
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND handle, int showCommand) {
  auto window = Find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool wasVisible = window->visible;
  bool show = showCommand != SW_HIDE;
  if (show != wasVisible) {
    window->visible = show;
    SendMessageW(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  }
  if (window->native != nullptr) display::Show(window->native, showCommand);
  switch (showCommand) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      DeliverSizeState(handle, SIZE_MINIMIZED);
      break;
    case SW_SHOWMAXIMIZED:
      DeliverSizeState(handle, SIZE_MAXIMIZED);
      break;
    case SW_HIDE:
      break;
    default:
      DeliverSizeState(handle, SIZE_RESTORED);
      break;
  }
  if (show && showCommand != SW_SHOWMINIMIZED && showCommand != SW_MINIMIZE) {
    std::lock_guard lock(gMutex);
    gForeground = handle;
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND window) {
  if (!Find(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return Find(window) ? TRUE : FALSE; }

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  auto window = Find(handle);
  if (!window || rect == nullptr) {
    SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(gMutex);
  *rect = OuterRect(*window);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  auto window = Find(handle);
  if (!window || rect == nullptr) {
    SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(gMutex);
  bool minimized = window->sizeType == SIZE_MINIMIZED;
  *rect = {0, 0, minimized ? 0 : window->client.width, minimized ? 0 : window->client.height};
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND handle, HWND, int x, int y, int cx, int cy, UINT flags) {
  auto window = Find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Placement next;
  {
    std::lock_guard lock(gMutex);
    Frame f = FrameOf(*window);
    next = window->client;
    if (!(flags & SWP_NOMOVE)) {
      next.x = x + f.left;
      next.y = y + f.top;
    }
    if (!(flags & SWP_NOSIZE)) {
      next.width = std::max(0, cx - f.left - f.right);
      next.height = std::max(0, cy - f.top - f.bottom);
    }
  }
  if (window->native != nullptr && !(flags & SWP_NOSIZE)) display::SetSize(window->native, next.width, next.height);
  DeliverPlacement(handle, next);
  return TRUE;
}

BOOL WINAPI SetWindowTextW(HWND handle, LPCWSTR text) {
  auto window = Find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard lock(gMutex);
    window->title = text != nullptr ? text : L"";
  }
  if (window->native != nullptr) display::SetTitle(window->native, window->title);
  return TRUE;
}

int WINAPI GetWindowTextW(HWND handle, LPWSTR text, int maxCount) {
  auto window = Find(handle);
  if (!window || text == nullptr || maxCount <= 0) {
    SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  std::lock_guard lock(gMutex);
  size_t n = std::min(window->title.size(), static_cast<size_t>(maxCount - 1));
  std::copy_n(window->title.c_str(), n, text);
  text[n] = L'\0';
  return static_cast<int>(n);
}

HWND WINAPI GetForegroundWindow() {
  std::lock_guard lock(gMutex);
  return gForeground;
}

// ---- Messages ----------------------------------------------------------------------------
BOOL WINAPI PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> queue;
  POINT cursor;
  if (handle == nullptr) {
    queue = ThreadQueue();
  } else if (auto window = Find(handle)) {
    queue = window->queue;
  } else {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard lock(gMutex);
    cursor = gCursor;
  }
  std::lock_guard lock(queue->mutex);
  if (queue->posted.size() >= kMaxPostedMessages) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  queue->posted.push_back(MSG{handle, message, wParam, lParam, GetTickCount(), cursor});
  queue->wake.notify_all();
  return TRUE;
}

LRESULT WINAPI SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  auto window = Find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (window->owner == std::this_thread::get_id()) return window->procedure(handle, message, wParam, lParam);
  auto item = std::make_shared<SentMessage>();
  item->window = handle;
  item->message = message;
  item->wParam = wParam;
  item->lParam = lParam;
  std::unique_lock lock(window->queue->mutex);
  window->queue->sent.push_back(item);
  window->queue->wake.notify_all();
  item->finished.wait(lock, [&] { return item->done; });
  return item->result;
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RunSentMessages();
  if (display::IsDisplayThread()) display::Pump();
  TakeStopSignal();
  auto& queue = *ThreadQueue();
  std::lock_guard lock(queue.mutex);
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *msg = *it;
    if (removeMessage & PM_REMOVE) queue.posted.erase(it);
    return TRUE;
  }
  // The quit message comes once the posted messages are gone.
  MSG quit{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, GetTickCount(), {}};
  if (queue.quit && (window == nullptr || window == reinterpret_cast<HWND>(-1)) &&
      Matches(quit, nullptr, filterMin, filterMax)) {
    *msg = quit;
    if (removeMessage & PM_REMOVE) queue.quit = false;
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  while (!PeekMessageW(msg, window, filterMin, filterMax, PM_REMOVE)) {
    // The display and the stop signal have no way to wake the queue: look again soon.
    auto& queue = *ThreadQueue();
    std::unique_lock lock(queue.mutex);
    queue.wake.wait_for(lock, std::chrono::milliseconds(5));
  }
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
    return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  }
  WPARAM key = msg->wParam;
  wchar_t character = 0;
  if (key >= 'A' && key <= 'Z') {
    character = static_cast<wchar_t>(gKeyDown[VK_SHIFT] ? key : key - 'A' + 'a');
  } else if ((key >= '0' && key <= '9') || key == VK_SPACE || key == VK_RETURN || key == VK_BACK || key == VK_TAB ||
             key == VK_ESCAPE) {
    character = static_cast<wchar_t>(key);
  }
  if (character != 0) {
    PostMessageW(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, static_cast<WPARAM>(character),
                 msg->lParam);
  }
  return TRUE;
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  auto window = Find(msg->hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return window->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4) PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    default:
      return 0;
  }
}

void WINAPI PostQuitMessage(int exitCode) {
  auto& queue = *ThreadQueue();
  std::lock_guard lock(queue.mutex);
  queue.quit = true;
  queue.quitCode = exitCode;
  queue.wake.notify_all();
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 0xFF) return 0;
  return gKeyDown[virtualKey] ? static_cast<SHORT>(0x8000) : 0;
}

// ---- Platform-internal API ------------------------------------------------------------------
namespace zr::win32 {

void* NativeWindow(HWND handle) {
  auto window = Find(handle);
  return window ? window->native : nullptr;
}

void InjectKey(HWND window, UINT virtualKey, bool down, bool repeat, bool alt) {
  DeliverKey(window, virtualKey, down, repeat, alt);
}

void InjectMouseMove(HWND window, int x, int y) { DeliverMouseMove(window, x, y); }

void InjectMouseButton(HWND handle, UINT button, bool down) {
  POINT cursor{};
  if (auto window = Find(handle)) {
    std::lock_guard lock(gMutex);
    cursor = {gCursor.x - window->client.x, gCursor.y - window->client.y};
  }
  DeliverMouseButton(handle, button, down, cursor.x, cursor.y);
}

void InjectResize(HWND handle, int clientWidth, int clientHeight) {
  auto window = Find(handle);
  if (!window) return;
  Placement next;
  {
    std::lock_guard lock(gMutex);
    next = window->client;
  }
  next.width = std::max(0, clientWidth);
  next.height = std::max(0, clientHeight);
  if (window->native != nullptr) display::SetSize(window->native, next.width, next.height);
  DeliverPlacement(handle, next);
}

}  // namespace zr::win32
