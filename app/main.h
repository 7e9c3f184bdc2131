// The entry's process-wide values and steps, for the entry itself and its tests.
#pragma once

#include <windows.h>

#include "app/sceneinterface.h"

constexpr int MaxLoadString = 100;

extern WCHAR WindowTitle[MaxLoadString];
extern WCHAR WindowClassName[MaxLoadString];
extern HWND MainWindow;

ATOM RegisterWindowClass(HINSTANCE Instance);
bool CreateMainWindow(HINSTANCE Instance, int ShowCommand);
// Start-up, the frame loop and shutdown around `Scene`; returns the exit code:
// 0 when the window cannot be created, else the quit message's code.
int RunApplication(HINSTANCE Instance, int ShowCommand, SceneInterface& Scene);
