#include "app/windowproc.h"

float LastMouseX = 0;
float LastMouseY = 0;
float MouseDeltaX = 0;
float MouseDeltaY = 0;

namespace {

constexpr int UsedKeySlots = 25;
bool KeyState[KeySlotCount] = {};
SceneInterface* ResizeTarget = nullptr;

struct KeyBinding {
  WPARAM VirtualKey;
  int Slot;
};

// The one place where keys are bound to slots. Slot 8 has no key.
constexpr KeyBinding KeyTable[] = {
    {VK_LEFT, 0}, {VK_RIGHT, 1}, {VK_UP, 2}, {VK_DOWN, 3}, {'W', 4},  {'A', 5},  {'S', 6},     {'D', 7},
    {'Q', 9},     {'E', 10},     {'R', 11},  {'F', 12},    {'1', 13}, {'2', 14}, {'3', 15},    {'4', 16},
    {'5', 17},    {'6', 18},     {'7', 19},  {'8', 20},    {'9', 21}, {'0', 22}, {VK_ADD, 23}, {VK_SUBTRACT, 24},
};

int SlotOf(WPARAM VirtualKey) {
  for (const KeyBinding& binding : KeyTable) {
    if (binding.VirtualKey == VirtualKey) return binding.Slot;
  }
  return -1;
}

void OnMouseMove(LPARAM lParam) {
  float X = static_cast<float>(LOWORD(lParam));
  float Y = static_cast<float>(HIWORD(lParam));
  if (X != LastMouseX) MouseDeltaX = X - LastMouseX;
  if (Y != LastMouseY) MouseDeltaY = Y - LastMouseY;
  LastMouseX = X;
  LastMouseY = Y;
}

void OnSize(HWND Window) {
  RECT Rect{};
  GetWindowRect(Window, &Rect);
  float Width = static_cast<float>(Rect.right - Rect.left);
  float Height = static_cast<float>(Rect.bottom - Rect.top);
  if (ResizeTarget != nullptr) ResizeTarget->OnWindowResized(Width, Height);
}

}  // namespace

void KeyDown(WPARAM VirtualKey) {
  int Slot = SlotOf(VirtualKey);
  if (Slot >= 0) SetKey(Slot);
}

void KeyUp(WPARAM VirtualKey) {
  int Slot = SlotOf(VirtualKey);
  if (Slot >= 0) ClearKey(Slot);
}

void SetKey(int Slot) {
  if (Slot >= 0 && Slot < UsedKeySlots) KeyState[Slot] = true;
}

void ClearKey(int Slot) {
  if (Slot >= 0 && Slot < UsedKeySlots) KeyState[Slot] = false;
}

bool IsKeyDown(int Slot) { return Slot >= 0 && Slot < KeySlotCount && KeyState[Slot]; }

void SetResizeTarget(SceneInterface* Scene) { ResizeTarget = Scene; }

LRESULT CALLBACK WndProc(HWND Window, UINT Message, WPARAM wParam, LPARAM lParam) {
  switch (Message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      OnSize(Window);
      return 0;
    case WM_KEYDOWN:
      KeyDown(wParam);
      return 0;
    case WM_KEYUP:
      KeyUp(wParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      return 0;
    default:
      return DefWindowProcW(Window, Message, wParam, lParam);
  }
}
