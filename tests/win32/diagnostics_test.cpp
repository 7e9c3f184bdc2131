// System message texts, debugger output, the message box, resources and the
// console.
#include <gtest/gtest.h>
#include <windows.h>
#include <zr_win32.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

const bool kHeadless = (unsetenv("DISPLAY"), unsetenv("WAYLAND_DISPLAY"), true);

std::wstring Format(DWORD code, DWORD size = 512) {
  std::vector<wchar_t> buffer(size + 1, L'#');
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           buffer.data(), size, nullptr);
  EXPECT_EQ(buffer[size], L'#') << "wrote past the buffer";
  return n == 0 ? std::wstring() : std::wstring(buffer.data(), n);
}

TEST(FormatMessage, KnownCodesAndTheirStatusFormsShareATextEndingInALineBreak) {
  for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER,
                     ERROR_FILENAME_EXCED_RANGE, ERROR_NOT_READY}) {
    SCOPED_TRACE(code);
    std::wstring plain = Format(code);
    ASSERT_GT(plain.size(), 2u);
    EXPECT_EQ(plain.substr(plain.size() - 2), L"\r\n");
    EXPECT_EQ(Format(static_cast<DWORD>(HRESULT_FROM_WIN32(code))), plain);
  }
  EXPECT_NE(Format(ERROR_FILE_NOT_FOUND), Format(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(Format(static_cast<DWORD>(E_FAIL)).empty());
  EXPECT_FALSE(Format(static_cast<DWORD>(E_INVALIDARG)).empty());
}

TEST(FormatMessage, UnknownCodesAndShortBuffersGiveNothing) {
  struct Case {
    DWORD code;
    DWORD size;
    DWORD error;
  } cases[] = {
      {0x887A0005u, 512, ERROR_MR_MID_NOT_FOUND},  // the DirectX families have no system text here
      {0x00003701u, 512, ERROR_MR_MID_NOT_FOUND},           {0x12345678u, 512, ERROR_MR_MID_NOT_FOUND},
      {ERROR_FILE_NOT_FOUND, 8, ERROR_INSUFFICIENT_BUFFER}, {ERROR_FILE_NOT_FOUND, 0, ERROR_INSUFFICIENT_BUFFER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code << " size " << std::dec << c.size);
    SetLastError(0);
    EXPECT_EQ(Format(c.code, c.size), L"");
    EXPECT_EQ(GetLastError(), c.error);
  }
}

void Collect(const wchar_t* text, void* user) { static_cast<std::wstring*>(user)->append(text); }

TEST(DebugOutput, GoesToTheSinkOrToStandardError) {
  std::wstring captured;
  zr::win32::SetDebugOutputSink(Collect, &captured);
  OutputDebugStringW(L"engine(12): ");
  OutputDebugStringA("hr=E_FAIL\n");
  zr::win32::SetDebugOutputSink(nullptr, nullptr);
  EXPECT_EQ(captured, L"engine(12): hr=E_FAIL\n");

  testing::internal::CaptureStderr();
  OutputDebugStringW(L"to stderr \u00e9\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr \xc3\xa9\n");
}

TEST(DebugOutput, LastErrorBelongsToEachThread) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  DWORD other = 1;
  std::thread([&] {
    other = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
  }).join();
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(MessageBox, HeadlessAnswersNoOrTheScriptedAnswer) {
  ASSERT_TRUE(kHeadless);
  struct Case {
    int script;
    UINT type;
    int answer;
  } cases[] = {
      {0, MB_YESNO | MB_ICONERROR, IDNO},
      {0, MB_OKCANCEL, IDCANCEL},
      {0, MB_OK, IDOK},
      {IDYES, MB_YESNO | MB_ICONERROR, IDYES},
  };
  for (const Case& c : cases) {
    zr::win32::SetMessageBoxAnswer(c.script);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(GetForegroundWindow(), L"File: x\nLine: 3", L"Unexpected error encountered", c.type),
              c.answer);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unexpected error encountered: File: x\nLine: 3\n");
  }
  zr::win32::SetMessageBoxAnswer(0);
}

TEST(DebugBreak, WithoutADebuggerItReturns) {
  EXPECT_FALSE(IsDebuggerPresent());
  DebugBreak();
}

const zr::win32::StringResource kStrings[] = {{103, L"Ovrin"}, {200, L"A longer text"}};
const uint32_t kPixels[] = {0xFF000000u, 0xFFFFFFFFu};
const zr::win32::IconResource kIcons[] = {{107, 2, 1, kPixels}};
const zr::win32::ModuleResources kResources{kStrings, 2, kIcons, 1};

TEST(Resources, StringsAndIconsComeFromTheRegisteredTables) {
  zr::win32::SetModuleResources(&kResources);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_NE(instance, nullptr);
  wchar_t buffer[100];
  EXPECT_EQ(LoadStringW(instance, 103, buffer, 100), 5);
  EXPECT_STREQ(buffer, L"Ovrin");
  // A short buffer takes what fits, terminated.
  wchar_t small[5];
  EXPECT_EQ(LoadStringW(instance, 200, small, 5), 4);
  EXPECT_STREQ(small, L"A lo");
  // A zero size hands out the text itself.
  const wchar_t* direct = nullptr;
  EXPECT_EQ(LoadStringW(instance, 200, reinterpret_cast<LPWSTR>(&direct), 0), 13);
  EXPECT_EQ(direct, kStrings[1].text);
  EXPECT_EQ(LoadStringW(instance, 104, buffer, 100), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(buffer[0], L'\0');

  HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(107));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<const zr::win32::IconResource*>(icon)->pixels, kPixels);
  EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(108)), nullptr);
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
  zr::win32::SetModuleResources(nullptr);
}

TEST(Console, StandardOutputStaysTheConsole) {
  EXPECT_TRUE(AllocConsole());
  EXPECT_FALSE(AllocConsole());  // one console per process
  FILE* stream = nullptr;
  ASSERT_EQ(freopen_s(&stream, "CONOUT$", "w", stdout), 0);
  EXPECT_EQ(stream, stdout);
  testing::internal::CaptureStdout();
  std::printf("Test Text\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Test Text\n");
  EXPECT_TRUE(FreeConsole());
  EXPECT_TRUE(AllocConsole());
  FreeConsole();
}

}  // namespace
