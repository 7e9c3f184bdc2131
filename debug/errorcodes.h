// Status codes as text: the symbolic name the Windows SDK headers give a code, and a
// one-sentence description of it. Both lookups are pure (constant tables, no state, no
// allocation) and may run on any thread.
#pragma once

#include <windows.h>

// The code's symbolic name, looked up by its exact 32-bit value; "Unknown error." for a
// code the table does not hold. Never null; the text lives as long as the program.
const WCHAR* GetErrorCodeName(HRESULT code);

// Writes a description of the code into buffer (count characters, terminator included):
// the system's message text where it has one, else our own sentence, else
// "Unknown error.". Longer texts are cut to fit; a count of 0 writes nothing.
void GetErrorCodeDescription(HRESULT code, WCHAR* buffer, DWORD count);
