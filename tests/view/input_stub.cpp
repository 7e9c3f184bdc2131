// The key table and the left button for the camera tests, standing in for the
// window procedure's table and the asynchronous key state.
#include "input_stub.h"

#include <windows.h>

#include <array>

#include "view/keystate.h"

namespace {
std::array<bool, 25> Keys{};
bool LeftButton = false;
}  // namespace

namespace test_input {
void Press(int Slot) { Keys.at(Slot) = true; }
void ReleaseAll() {
  Keys.fill(false);
  LeftButton = false;
}
void SetLeftButton(bool Down) { LeftButton = Down; }
}  // namespace test_input

bool IsKeyDown(int Slot) { return Keys.at(Slot); }

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
  return virtualKey == VK_LBUTTON && LeftButton ? SHORT(0x8000) : SHORT(0);
}
