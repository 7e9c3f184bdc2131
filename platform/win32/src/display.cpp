// The display layer: windows, input and message boxes through SDL2.
#include <SDL2/SDL.h>
#include <SDL2/SDL_vulkan.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "internal.h"

namespace zr::win32::detail::display {
namespace {

constexpr const char* kWindowKey = "zr.hwnd";

std::once_flag gOpenOnce;
std::atomic<bool> gOpen{false};
std::thread::id gDisplayThread;

SDL_Window* Native(void* native) { return static_cast<SDL_Window*>(native); }

HWND HandleOf(Uint32 windowId) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  return window != nullptr ? static_cast<HWND>(SDL_GetWindowData(window, kWindowKey)) : nullptr;
}

UINT VirtualKeyFor(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<UINT>(VK_F1 + (key - SDLK_F1));
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<UINT>(VK_NUMPAD0 + 1 + (key - SDLK_KP_1));
  switch (key) {
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_KP_PLUS:
      return VK_ADD;
    case SDLK_KP_MINUS:
      return VK_SUBTRACT;
    case SDLK_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDLK_KP_DIVIDE:
      return VK_DIVIDE;
    case SDLK_KP_PERIOD:
      return VK_DECIMAL;
    case SDLK_KP_0:
      return VK_NUMPAD0;
    case SDLK_KP_ENTER:
    case SDLK_RETURN:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    default:
      return 0;
  }
}

UINT ButtonFor(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return VK_LBUTTON;
    case SDL_BUTTON_RIGHT:
      return VK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
      return VK_MBUTTON;
    default:
      return 0;
  }
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (HWND window = HandleOf(event.key.windowID)) {
        DeliverKey(window, VirtualKeyFor(event.key.keysym.sym), event.type == SDL_KEYDOWN, event.key.repeat != 0,
                   (event.key.keysym.mod & KMOD_ALT) != 0);
      }
      break;
    case SDL_MOUSEMOTION:
      if (HWND window = HandleOf(event.motion.windowID)) DeliverMouseMove(window, event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (HWND window = HandleOf(event.button.windowID)) {
        DeliverMouseButton(window, ButtonFor(event.button.button), event.type == SDL_MOUSEBUTTONDOWN, event.button.x,
                           event.button.y);
      }
      break;
    case SDL_MOUSEWHEEL:
      if (HWND window = HandleOf(event.wheel.windowID)) DeliverMouseWheel(window, event.wheel.y);
      break;
    case SDL_WINDOWEVENT: {
      HWND window = HandleOf(event.window.windowID);
      if (window == nullptr) break;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MOVED:
          DeliverPlacement(window, GetPlacement(SDL_GetWindowFromID(event.window.windowID)));
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          DeliverSizeState(window, SIZE_MINIMIZED);
          break;
        case SDL_WINDOWEVENT_MAXIMIZED:
          DeliverSizeState(window, SIZE_MAXIMIZED);
          break;
        case SDL_WINDOWEVENT_RESTORED:
          DeliverSizeState(window, SIZE_RESTORED);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          DeliverFocus(window, true);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          DeliverFocus(window, false);
          break;
        case SDL_WINDOWEVENT_CLOSE:
          DeliverClose(window);
          break;
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool Open() {
  std::call_once(gOpenOnce, [] {
    // Stop signals are the window layer's; SDL must not turn them into its own quit.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Without a display server to name there is nothing to open.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) return;
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
      gOpen = true;
      gDisplayThread = std::this_thread::get_id();
      std::atexit(SDL_Quit);
    }
  });
  return gOpen;
}

bool IsOpen() { return gOpen; }

bool IsDisplayThread() { return gOpen && std::this_thread::get_id() == gDisplayThread; }

void* CreateWindow(HWND owner, const std::wstring& title, Placement placement, bool resizable,
                   const IconResource* icon) {
  int x = placement.x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : placement.x;
  int y = placement.y == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : placement.y;
  int w = placement.width > 0 ? placement.width : 1;
  int h = placement.height > 0 ? placement.height : 1;
  Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
  std::string text = ToUtf8(title);
  // A window the swap chain can present to; without a Vulkan loader, a plain one.
  SDL_Window* window = SDL_CreateWindow(text.c_str(), x, y, w, h, flags | SDL_WINDOW_VULKAN);
  if (window == nullptr) window = SDL_CreateWindow(text.c_str(), x, y, w, h, flags);
  if (window == nullptr) return nullptr;
  SDL_SetWindowData(window, kWindowKey, owner);
  if (icon != nullptr) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(icon->pixels), icon->width, icon->height, 32, icon->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface != nullptr) {
      SDL_SetWindowIcon(window, surface);
      SDL_FreeSurface(surface);
    }
  }
  return window;
}

void DestroyWindow(void* native) { SDL_DestroyWindow(Native(native)); }

void SetTitle(void* native, const std::wstring& title) { SDL_SetWindowTitle(Native(native), ToUtf8(title).c_str()); }

void Show(void* native, int showCommand) {
  SDL_Window* window = Native(native);
  switch (showCommand) {
    case SW_HIDE:
      SDL_HideWindow(window);
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      SDL_ShowWindow(window);
      SDL_MinimizeWindow(window);
      break;
    case SW_SHOWMAXIMIZED:
      SDL_ShowWindow(window);
      SDL_MaximizeWindow(window);
      break;
    case SW_RESTORE:
      SDL_RestoreWindow(window);
      SDL_ShowWindow(window);
      break;
    default:
      SDL_ShowWindow(window);
      break;
  }
}

void SetSize(void* native, int width, int height) {
  SDL_SetWindowSize(Native(native), width > 0 ? width : 1, height > 0 ? height : 1);
}

Placement GetPlacement(void* native) {
  Placement p{};
  SDL_GetWindowPosition(Native(native), &p.x, &p.y);
  SDL_GetWindowSize(Native(native), &p.width, &p.height);
  return p;
}

Frame GetFrame(void* native) {
  Frame f{};
  if (SDL_GetWindowBordersSize(Native(native), &f.top, &f.left, &f.bottom, &f.right) != 0) f = {};
  return f;
}

void Pump() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Translate(event);
}

int ShowMessageBox(void* owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  SDL_MessageBoxButtonData buttons[2];
  int count;
  switch (type & 0xF) {
    case MB_YESNO:
      buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
      buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
      count = 2;
      break;
    case MB_OKCANCEL:
      buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
      buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
      count = 2;
      break;
    default:
      buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
      count = 1;
      break;
  }
  Uint32 flags = (type & 0xF0) == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
                 : (type & 0xF0) == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                                   : SDL_MESSAGEBOX_INFORMATION;
  std::string title = ToUtf8(caption);
  std::string message = ToUtf8(text);
  SDL_MessageBoxData data{flags, Native(owner), title.c_str(), message.c_str(), count, buttons, nullptr};
  int answer = 0;
  return SDL_ShowMessageBox(&data, &answer) == 0 ? answer : 0;
}

UINT VirtualKeyForKeyName(const char* keyName) {
  if (keyName == nullptr) return 0;
  SDL_Keycode key = SDL_GetKeyFromName(keyName);
  return key == SDLK_UNKNOWN ? 0 : VirtualKeyFor(key);
}

}  // namespace zr::win32::detail::display

namespace zr::win32 {

bool IsHeadless() { return !detail::display::Open(); }

UINT VirtualKeyForKeyName(const char* keyName) { return detail::display::VirtualKeyForKeyName(keyName); }

}  // namespace zr::win32
