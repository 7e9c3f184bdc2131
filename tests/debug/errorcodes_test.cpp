#include "debug/errorcodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

HRESULT Code(uint32_t value) { return static_cast<HRESULT>(value); }

struct NameCase {
  uint32_t Code;
  const WCHAR* Name;
};

const NameCase kNames[] = {
    {0x00000000, L"S_OK"},
    {0x00000001, L"S_FALSE"},
    {0x00000005, L"ERROR_ACCESS_DENIED"},
    {0x00000006, L"ERROR_INVALID_HANDLE"},
    {0x0000000E, L"ERROR_OUTOFMEMORY"},
    {0x00000057, L"ERROR_INVALID_PARAMETER"},
    {0x00000102, L"WAIT_TIMEOUT"},
    {0x000000C8, L"ERROR_RING2SEG_MUST_BE_MOVABLE"},
    {0x000000C9, L"ERROR_RELOC_CHAIN_XEEDS_SEGLIM"},
    {0x80070001, L"ERROR_INVALID_FUNCTION"},
    {0x80070005, L"E_ACCESSDENIED"},
    {0x80070006, L"E_HANDLE"},
    {0x8007000E, L"E_OUTOFMEMORY"},
    {0x80070057, L"E_INVALIDARG"},
    {0x80070102, L"WAIT_TIMEOUT"},
    {0x800700C8, L"Unknown error."},
    {0x800700C9, L"Unknown error."},
    {0x80070000, L"Unknown error."},
    {0x80004005, L"E_FAIL"},
    {0x8000FFFF, L"E_UNEXPECTED"},
    {0x887A0005, L"DXGI_ERROR_DEVICE_REMOVED"},
    {0x887A0003, L"DXGI_ERROR_MORE_DATA"},
    {0x087A0003, L"Unknown error."},
    {0x087A0001, L"DXGI_STATUS_OCCLUDED"},
    {0x887C0004, L"D3D11_ERROR_DEFERRED_CONTEXT_MAP_WITHOUT_INITIAL_DISCARD"},
    {0x88790002, L"D3D10_ERROR_FILE_NOT_FOUND"},
    {0x88760868, L"D3DERR_DEVICELOST"},
    {0x8876086C, L"D3DERR_INVALIDCALL"},
    {0x0876086F, L"D3DOK_NOAUTOGEN"},
    {0x88970001, L"XAPO_E_FORMAT_UNSUPPORTED"},
    {0xC0090001, L"ERROR_AUDITING_DISABLED"},
    {0x80040200, L"DIERR_INSUFFICIENTPRIVS & VFW_E_INVALIDMEDIATYPE"},
    {0x80040201, L"DIERR_DEVICEFULL & VFW_E_INVALIDSUBTYPE & DMO_E_INVALIDSTREAMINDEX"},
    {0x8004020B, L"DIERR_MAPFILEFAIL & VFW_E_RUNTIME_ERROR"},
    {0x80040401, L"DIERR_CANCELLED & MS_E_SAMPLEALLOC"},
    {0x80040300, L"DIERR_DRIVERFIRST"},
    {0x80040301, L"DIERR_DRIVERFIRST+1"},
    {0x80040305, L"DIERR_DRIVERFIRST+5"},
    {0x800403FF, L"DIERR_DRIVERLAST"},
    {0x80040901, L"DXUTERR_NODIRECT3D"},
    {0x8004090A, L"DXUTERR_DEVICEREMOVED"},
    {0x00003701, L"Unknown error."},
    {0x80073701, L"Unknown error."},
    {0x7FFFFFFF, L"Unknown error."},
    {0xFFFFFFFF, L"Unknown error."},
    {0x12345678, L"Unknown error."},
};

TEST(ErrorCodeName, NamesTheCodesExactly) {
  for (const NameCase& c : kNames) {
    const WCHAR* name = GetErrorCodeName(Code(c.Code));
    ASSERT_NE(name, nullptr) << std::hex << c.Code;
    EXPECT_EQ(std::wstring(name), c.Name) << std::hex << c.Code;
  }
}

// Each plain Win32 code has its status-code form under the same name, and only those
// forms exist in that facility, apart from the listed exceptions.
TEST(ErrorCodeName, Win32CodesHaveTheirStatusForms) {
  const std::wstring unknown = L"Unknown error.";
  for (uint32_t c = 2; c <= 0xFFFF; ++c) {
    if (c == 0x5 || c == 0x6 || c == 0xE || c == 0x57 || c == 0xC8 || c == 0xC9) continue;
    const std::wstring plain = GetErrorCodeName(Code(c));
    const std::wstring status = GetErrorCodeName(Code(0x80070000 | c));
    EXPECT_EQ(status, plain) << std::hex << c;
    if (c > 0x3700) {
      EXPECT_EQ(plain, unknown) << std::hex << c;
    }
  }
}

// What the description should be: the system's text when it has one for the code.
std::wstring SystemText(HRESULT code) {
  WCHAR text[4096];
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code), 0x400, text, 4096, nullptr);
  return n ? std::wstring(text) : std::wstring();
}

std::wstring Description(HRESULT code, DWORD count = 512) {
  WCHAR text[512];
  GetErrorCodeDescription(code, text, count);
  return text;
}

struct DescriptionCase {
  uint32_t Code;
  const WCHAR* Text;  // ours, used where the system has no text for the code
};

const DescriptionCase kDescriptions[] = {
    {0x887A0005, L"Hardware device removed."},
    {0x887C0002, L"File not found"},
    {0x887C0004, L"Deferred context requires Map-Discard usage pattern"},
    {0x80040901, L"Could not initialize Direct3D."},
    {0x80070015, L"This object has not been initialized"},
    {0x80040301, L"DIERR_DRIVERFIRST+1"},
    {0x80040305, L"DIERR_DRIVERFIRST+5"},
    {0x087A0004, L""},
    {0x087A0006, L""},
    {0x12345678, L"Unknown error."},
    {0x80073701, L"Unknown error."},
};

TEST(ErrorCodeDescription, PrefersTheSystemTextThenOurs) {
  for (const DescriptionCase& c : kDescriptions) {
    const std::wstring system = SystemText(Code(c.Code));
    EXPECT_EQ(Description(Code(c.Code)), system.empty() ? std::wstring(c.Text) : system) << std::hex << c.Code;
  }
}

TEST(ErrorCodeDescription, SharedCodesJoinTheirSentences) {
  const uint32_t shared[] = {0x80040200, 0x80040205, 0x8004020B, 0x80040401, 0x80040402};
  for (uint32_t code : shared) {
    if (!SystemText(Code(code)).empty()) continue;
    EXPECT_NE(Description(Code(code)).find(L". & "), std::wstring::npos) << std::hex << code;
  }
  if (SystemText(Code(0x80040400)).empty()) {
    EXPECT_EQ(Description(Code(0x80040400)).find(L" & "), std::wstring::npos);
  }
}

TEST(ErrorCodeDescription, StaysInsideTheBuffer) {
  // The unknown-code text is ours on every system, so its cut is known exactly.
  ASSERT_TRUE(SystemText(Code(0x12345678)).empty());
  struct Case {
    DWORD Count;
    const WCHAR* Expected;  // nullptr: buffer untouched
  };
  const Case cases[] = {{0, nullptr}, {1, L""}, {5, L"Unkn"}, {15, L"Unknown error."}, {16, L"Unknown error."}};
  for (const Case& c : cases) {
    WCHAR buffer[32];
    for (WCHAR& ch : buffer) ch = L'#';
    GetErrorCodeDescription(Code(0x12345678), buffer, c.Count);
    if (!c.Expected) {
      for (WCHAR ch : buffer) EXPECT_EQ(ch, L'#');
      continue;
    }
    EXPECT_EQ(std::wstring(buffer), c.Expected) << c.Count;
    for (size_t i = c.Count; i < 32; ++i) EXPECT_EQ(buffer[i], L'#') << c.Count << " at " << i;
  }
}

TEST(ErrorCodeDescription, CutsALongDescriptionToTheBuffer) {
  const HRESULT code = Code(0x887C0004);
  if (!SystemText(code).empty()) GTEST_SKIP() << "the system describes this code itself";
  const std::wstring full = Description(code);
  ASSERT_GT(full.size(), 10u);
  WCHAR buffer[16];
  for (WCHAR& ch : buffer) ch = L'#';
  GetErrorCodeDescription(code, buffer, 11);
  EXPECT_EQ(std::wstring(buffer), full.substr(0, 10));
  for (size_t i = 11; i < 16; ++i) EXPECT_EQ(buffer[i], L'#');
}

}  // namespace
