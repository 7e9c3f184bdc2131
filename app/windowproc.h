// The window procedure and the input state it keeps for the scene: the mouse
// movement since the last frame and the table of held keys, by slot.
#pragma once

#include <windows.h>

#include "app/sceneinterface.h"

// Slots 0 to 24 are bound to keys; the table holds this many.
constexpr int KeySlotCount = 100;

extern float LastMouseX;
extern float LastMouseY;
// The last change of each pointer axis; the scene sets both to 0 after every frame.
extern float MouseDeltaX;
extern float MouseDeltaY;

// Look the virtual key up in the key table and set or clear its slot; keys not
// in the table change nothing.
void KeyDown(WPARAM VirtualKey);
void KeyUp(WPARAM VirtualKey);
// Slots outside 0 to 24 are ignored.
void SetKey(int Slot);
void ClearKey(int Slot);
bool IsKeyDown(int Slot);

// The scene that size messages are handed to; the entry sets it before it creates
// the window.
void SetResizeTarget(SceneInterface* Scene);

LRESULT CALLBACK WndProc(HWND Window, UINT Message, WPARAM wParam, LPARAM lParam);
