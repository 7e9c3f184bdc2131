// Held keys through the window procedure's key table and the left button through
// the Windows stand-in's input injection, as the camera tests set them.
#include "test_input.h"

#include <windows.h>
#include <zr_win32.h>

#include "app/windowproc.h"

namespace test_input {
void Press(int Slot) { SetKey(Slot); }
void ReleaseAll() {
  for (int slot = 0; slot < KeySlotCount; ++slot) ClearKey(slot);
  SetLeftButton(false);
}
void SetLeftButton(bool Down) { zr::win32::InjectMouseButton(nullptr, VK_LBUTTON, Down); }
}  // namespace test_input
