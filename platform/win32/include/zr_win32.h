// What the other platform stand-ins and the tests need from the Windows stand-in
// beyond the Windows API itself: the native window behind a window handle, the
// backend in use, the debugger-output sink, a scripted message-box answer, input
// injection, and the resource tables a program's resource script compiles into.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zr::win32 {

// The display window (an SDL_Window*) behind a window, or nullptr for a headless
// window or an unknown handle. Display windows are created Vulkan-capable.
void* NativeWindow(HWND window);

// True when windows are kept without a display. The first call, or the first
// window, decides for the whole process: a display is used when DISPLAY or
// WAYLAND_DISPLAY names a server that SDL can open. The thread that made that
// decision is the display thread; windows of other threads are always headless.
bool IsHeadless();

// Receives every OutputDebugString text, on the calling thread, one call at a time.
// nullptr restores the default sink, standard error.
using DebugSink = void (*)(const wchar_t* text, void* user);
void SetDebugOutputSink(DebugSink sink, void* user);

// Makes every following MessageBoxW answer `answer` at once (after writing caption
// and text to standard error) instead of asking. 0 restores asking: a real box where
// there is a display, the negative answer (IDNO, IDCANCEL or IDOK) headless.
void SetMessageBoxAnswer(int answer);

// Input as the display delivers it: the messages a real key, pointer or frame drag
// would produce are posted (or, for a resize, sent) to the window.
// `virtualKey` is a Windows virtual-key code; `alt` tells that an Alt key is held.
// With a null window a key or button changes only what GetAsyncKeyState reports.
void InjectKey(HWND window, UINT virtualKey, bool down, bool repeat = false, bool alt = false);
// Pointer position in client coordinates.
void InjectMouseMove(HWND window, int x, int y);
// `button` is VK_LBUTTON, VK_RBUTTON or VK_MBUTTON.
void InjectMouseButton(HWND window, UINT button, bool down);
// The user dragged the frame until the client area was width x height.
void InjectResize(HWND window, int clientWidth, int clientHeight);

// The virtual-key code the display's key of this name produces ("A", "Left",
// "Keypad +", "F10", ...), or 0 for a name the display does not know or a key
// without a virtual-key code.
UINT VirtualKeyForKeyName(const char* keyName);

// ---- Resources --------------------------------------------------------------------
// A resource script is compiled into these tables; the program registers them once,
// before its entry point runs, and LoadStringW and LoadIconW read them.
struct StringResource {
  UINT id;
  const wchar_t* text;
};
struct IconResource {
  UINT id;
  int width;
  int height;
  const uint32_t* pixels;  // width * height pixels, 0xAARRGGBB, top row first
};
struct ModuleResources {
  const StringResource* strings;
  size_t stringCount;
  const IconResource* icons;
  size_t iconCount;
};
void SetModuleResources(const ModuleResources* resources);

}  // namespace zr::win32
