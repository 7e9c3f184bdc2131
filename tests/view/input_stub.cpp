// The key table for the camera tests, standing in for the window procedure's; the
// left button goes through the Windows stand-in's input injection.
#include "input_stub.h"

#include <windows.h>
#include <zr_win32.h>

#include <array>

#include "view/keystate.h"

namespace {
std::array<bool, 25> Keys{};
}  // namespace

namespace test_input {
void Press(int Slot) { Keys.at(Slot) = true; }
void ReleaseAll() {
  Keys.fill(false);
  SetLeftButton(false);
}
void SetLeftButton(bool Down) { zr::win32::InjectMouseButton(nullptr, VK_LBUTTON, Down); }
}  // namespace test_input

bool IsKeyDown(int Slot) { return Keys.at(Slot); }
