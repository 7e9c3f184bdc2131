// The failure trace: one line about a failing status to the debugger output and, when
// asked, a Yes/No box naming the file, line, status and call, offering to break into the
// debugger. It keeps no state, so any thread may call it.
#pragma once

#include <windows.h>

// Reports the failure and returns status unchanged. file and callText may be null.
HRESULT TraceFailure(const WCHAR* file, DWORD line, HRESULT status, const WCHAR* callText, bool showBox);

#define ZR_WIDE_TEXT_(text) L##text
#define ZR_WIDE_TEXT(text) ZR_WIDE_TEXT_(text)

// The checked call: makes the call, traces a failing status (with this site's file, line
// and the call as written) and goes on with the next statement either way.
#define CHECK_HR(call)                                                                            \
  do {                                                                                            \
    const HRESULT zrCheckedStatus = (call);                                                       \
    if (FAILED(zrCheckedStatus)) {                                                                \
      TraceFailure(ZR_WIDE_TEXT(__FILE__), __LINE__, zrCheckedStatus, ZR_WIDE_TEXT(#call), true); \
    }                                                                                             \
  } while (0)
