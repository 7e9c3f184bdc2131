// Held keys and the left button as the camera tests set them.
#pragma once

namespace test_input {
void Press(int Slot);
void ReleaseAll();
void SetLeftButton(bool Down);
}  // namespace test_input
