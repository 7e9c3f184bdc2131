// The program's entry: console, window, scene set-up, the frame loop and shutdown.
#include <windows.h>
#ifdef _WIN32
#include <crtdbg.h>
#endif

#include <cstdio>

#include "app/demoscene.h"
#include "app/main.h"
#include "app/resource.h"
#include "app/windowproc.h"

WCHAR WindowTitle[MaxLoadString];
WCHAR WindowClassName[MaxLoadString];
HWND MainWindow = nullptr;

ATOM RegisterWindowClass(HINSTANCE Instance) {
  WNDCLASSEXW WindowClass{};
  WindowClass.cbSize = sizeof(WNDCLASSEXW);
  WindowClass.style = CS_HREDRAW | CS_VREDRAW;
  WindowClass.lpfnWndProc = WndProc;
  WindowClass.cbClsExtra = 0;
  WindowClass.cbWndExtra = 0;
  WindowClass.hInstance = Instance;
  WindowClass.hIcon = LoadIconW(Instance, MAKEINTRESOURCEW(IDI_ZERRICK));
  WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  WindowClass.lpszMenuName = nullptr;
  WindowClass.lpszClassName = WindowClassName;
  WindowClass.hIconSm = LoadIconW(Instance, MAKEINTRESOURCEW(IDI_SMALL));
  return RegisterClassExW(&WindowClass);
}

bool CreateMainWindow(HINSTANCE Instance, int ShowCommand) {
  MainWindow = CreateWindowExW(0, WindowClassName, WindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                               nullptr, nullptr, Instance, nullptr);
  if (MainWindow == nullptr) return false;
  ShowWindow(MainWindow, ShowCommand);
  UpdateWindow(MainWindow);
  return true;
}

int RunApplication(HINSTANCE Instance, int ShowCommand, SceneInterface& Scene) {
#ifdef _WIN32
  _CrtSetDbgFlag(_CRTDBG_ALLOC_MEM_DF | _CRTDBG_LEAK_CHECK_DF);
#endif
  AllocConsole();
  FILE* Console = nullptr;
  freopen_s(&Console, "CONOUT$", "w", stdout);
  std::printf("Test Text\n");

  LoadStringW(Instance, IDS_APP_TITLE, WindowTitle, MaxLoadString);
  LoadStringW(Instance, IDC_ZERRICK, WindowClassName, MaxLoadString);

  // Size messages sent while the window is created reach the scene before SetUp.
  SetResizeTarget(&Scene);
  RegisterWindowClass(Instance);
  if (!CreateMainWindow(Instance, ShowCommand)) return 0;

  MSG msg{};
  RECT RectWindow{};
  GetWindowRect(MainWindow, &RectWindow);
  float Width = static_cast<float>(RectWindow.right - RectWindow.left);
  float Height = static_cast<float>(RectWindow.bottom - RectWindow.top);
  Scene.SetUp(MainWindow, Width, Height);

  // One message per pass; a frame only when none is waiting.
  while (msg.message != WM_QUIT) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      Scene.RunFrame();
    }
  }

  FreeConsole();
  int ExitCode = static_cast<int>(msg.wParam);
  Scene.TearDown();
  return ExitCode;
}

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, LPWSTR, int ShowCommand) {
  static DemoScene Scene;
  return RunApplication(Instance, ShowCommand, Scene);
}
