// Pieces shared by the stand-in's sources: text conversion, the display layer
// (SDL, display.cpp) and the window layer's entry points for display input
// (windows.cpp).
#pragma once

#include <windows.h>
#include <zr_win32.h>

#include <string>
#include <string_view>

namespace zr::win32::detail {

// UTF-8 <-> wide text; invalid sequences become U+FFFD.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Writes UTF-8 text to standard error in one piece.
void WriteStandardError(std::string_view text);

// ---- Display layer --------------------------------------------------------------------
struct Frame {
  int left, top, right, bottom;
};
struct Placement {
  int x, y;  // client origin on the screen
  int width, height;
};
namespace display {
// Opens the display once; false from then on when there is none.
bool Open();
// Whether the display was opened, without opening it.
bool IsOpen();
// The thread that opened the display; only it creates display windows and pumps.
bool IsDisplayThread();
// A hidden display window with this client placement (x or y may be CW_USEDEFAULT).
void* CreateWindow(HWND owner, const std::wstring& title, Placement placement, bool resizable,
                   const IconResource* icon);
void DestroyWindow(void* native);
void SetTitle(void* native, const std::wstring& title);
void Show(void* native, int showCommand);
void SetSize(void* native, int width, int height);
Placement GetPlacement(void* native);
Frame GetFrame(void* native);
// Takes every waiting display event and hands it to the Deliver functions below.
void Pump();
// A modal box; returns the Windows answer, or 0 when no box could be shown.
int ShowMessageBox(void* owner, const std::wstring& text, const std::wstring& caption, UINT type);
UINT VirtualKeyForKeyName(const char* keyName);
}  // namespace display

// ---- Window layer: what the display reports ------------------------------------------
void DeliverKey(HWND window, UINT virtualKey, bool down, bool repeat, bool alt);
void DeliverMouseMove(HWND window, int x, int y);
void DeliverMouseButton(HWND window, UINT button, bool down, int x, int y);
void DeliverMouseWheel(HWND window, int delta);
void DeliverPlacement(HWND window, Placement placement);
// `sizeType` is SIZE_RESTORED, SIZE_MINIMIZED or SIZE_MAXIMIZED.
void DeliverSizeState(HWND window, int sizeType);
void DeliverFocus(HWND window, bool focused);
void DeliverClose(HWND window);

}  // namespace zr::win32::detail
