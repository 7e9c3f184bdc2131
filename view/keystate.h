// The held-key table the window procedure fills: true while the key bound to the
// slot (0 to 24) is down.
#pragma once

bool IsKeyDown(int Slot);
