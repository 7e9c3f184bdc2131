#include "debug/failuretrace.h"

#include <cstddef>
#include <cstdint>

#include "debug/errorcodes.h"

namespace {

// Appends to a fixed character buffer, always zero-terminated; what does not fit is cut.
class BoundedText {
 public:
  template <size_t N>
  explicit BoundedText(WCHAR (&buffer)[N]) : Buffer(buffer), Capacity(N) {
    Buffer[0] = L'\0';
  }

  // Appends at most the room left minus keep characters, so that later pieces of that
  // length still fit.
  BoundedText& Append(const WCHAR* text, size_t keep = 0) {
    const size_t limit = Capacity - 1 > keep ? Capacity - 1 - keep : 0;
    for (; Length < limit && *text != L'\0'; ++text) Buffer[Length++] = *text;
    Buffer[Length] = L'\0';
    return *this;
  }

  const WCHAR* Text() const { return Buffer; }

 private:
  WCHAR* Buffer;
  size_t Capacity;
  size_t Length = 0;
};

void Decimal(DWORD value, WCHAR (&out)[11]) {
  WCHAR digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<WCHAR>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  out[n] = L'\0';
}

void Hex8(uint32_t value, WCHAR (&out)[9]) {
  for (int i = 7; i >= 0; --i, value >>= 4) out[i] = L"0123456789abcdef"[value & 0xF];
  out[8] = L'\0';
}

size_t BoundedLength(const WCHAR* text, size_t max) {
  size_t n = 0;
  if (text) {
    while (n < max && text[n] != L'\0') ++n;
  }
  return n;
}

}  // namespace

HRESULT TraceFailure(const WCHAR* file, DWORD line, HRESULT status, const WCHAR* callText, bool showBox) {
  WCHAR strBufferLine[128];
  WCHAR strBufferError[256];
  WCHAR strBufferFile[260];
  WCHAR strBufferMsg[1024];
  WCHAR strBuffer[3000];

  WCHAR digits[11];
  Decimal(line, digits);
  BoundedText(strBufferLine).Append(digits);

  if (file) {
    OutputDebugStringW(
        BoundedText(strBuffer).Append(file, 14).Append(L"(").Append(strBufferLine).Append(L"): ").Text());
  }

  const bool hasCall = BoundedLength(callText, 1024) > 0;
  if (hasCall) {
    OutputDebugStringW(callText);
    OutputDebugStringW(L" ");
  }

  WCHAR hex[9];
  Hex8(static_cast<uint32_t>(status), hex);
  BoundedText(strBufferError).Append(GetErrorCodeName(status), 13).Append(L" (0x").Append(hex).Append(L")");

  OutputDebugStringW(BoundedText(strBuffer).Append(L"hr=").Append(strBufferError).Text());
  OutputDebugStringW(L"\n");

  if (!showBox) return status;

  BoundedText fileText(strBufferFile);
  if (file) fileText.Append(file);

  BoundedText msg(strBufferMsg);
  if (hasCall) msg.Append(L"Calling: ").Append(callText, 1).Append(L"\n");

  BoundedText box(strBuffer);
  box.Append(L"File: ").Append(strBufferFile);
  box.Append(L"\nLine: ").Append(strBufferLine);
  box.Append(L"\nError Code: ").Append(strBufferError);
  box.Append(L"\n").Append(strBufferMsg).Append(L"Do you want to debug the application?");

  if (MessageBoxW(GetForegroundWindow(), box.Text(), L"Unexpected error encountered", MB_YESNO | MB_ICONERROR) ==
      IDYES) {
    DebugBreak();
  }
  return status;
}
