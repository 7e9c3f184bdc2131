// Last-error codes, system message texts, debugger output, the debugger break and
// the message box.
#include <atomic>
#include <csignal>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>

#include "internal.h"

namespace {

thread_local DWORD tLastError = ERROR_SUCCESS;

std::mutex gSinkMutex;
zr::win32::DebugSink gSink = nullptr;
void* gSinkUser = nullptr;

std::atomic<int> gScriptedAnswer{0};

struct SystemText {
  DWORD code;
  const wchar_t* text;
};

// The system's texts for the Win32 codes; each is also the text of the code's
// HRESULT form 0x8007xxxx.
constexpr SystemText kWin32Texts[] = {
    {ERROR_SUCCESS, L"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, L"The function is not valid for this object."},
    {ERROR_FILE_NOT_FOUND, L"The file cannot be found."},
    {ERROR_PATH_NOT_FOUND, L"The path cannot be found."},
    {ERROR_TOO_MANY_OPEN_FILES, L"Too many files are open."},
    {ERROR_ACCESS_DENIED, L"Access is denied."},
    {ERROR_INVALID_HANDLE, L"The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"There is not enough memory to run this command."},
    {ERROR_INVALID_DATA, L"The data is not valid."},
    {ERROR_OUTOFMEMORY, L"There is not enough memory to finish this operation."},
    {ERROR_INVALID_DRIVE, L"The drive cannot be found."},
    {ERROR_WRITE_PROTECT, L"The medium is write-protected."},
    {ERROR_NOT_READY, L"The device is not ready."},
    {ERROR_BAD_LENGTH, L"The program gave a length that is not right."},
    {ERROR_READ_FAULT, L"The device cannot be read."},
    {ERROR_SHARING_VIOLATION, L"The file is being used by another process."},
    {ERROR_LOCK_VIOLATION, L"Another process has locked a part of the file."},
    {ERROR_HANDLE_EOF, L"The end of the file has been reached."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_FILE_EXISTS, L"The file exists."},
    {ERROR_INVALID_PARAMETER, L"A parameter is not valid."},
    {ERROR_BROKEN_PIPE, L"The pipe has been ended."},
    {ERROR_BUFFER_OVERFLOW, L"The file name is too long."},
    {ERROR_DISK_FULL, L"There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, L"This function is not supported on this system."},
    {ERROR_INSUFFICIENT_BUFFER, L"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, L"The file name, directory name or volume label is not valid."},
    {ERROR_NEGATIVE_SEEK, L"The file pointer cannot be moved before the start of the file."},
    {ERROR_DIR_NOT_EMPTY, L"The directory is not empty."},
    {ERROR_BAD_PATHNAME, L"The path is not valid."},
    {ERROR_BUSY, L"The resource is in use."},
    {ERROR_ALREADY_EXISTS, L"A file cannot be created when it already exists."},
    {ERROR_FILENAME_EXCED_RANGE, L"The file name or extension is too long."},
    {ERROR_MORE_DATA, L"More data is available."},
    {ERROR_NO_MORE_ITEMS, L"No more data is available."},
    {ERROR_DIRECTORY, L"The directory name is not valid."},
    {ERROR_MR_MID_NOT_FOUND, L"The system has no text for this message number."},
    {ERROR_ARITHMETIC_OVERFLOW, L"The result is too large for the arithmetic."},
    {ERROR_NOACCESS, L"Memory was accessed at a place that is not valid."},
    {ERROR_INVALID_FLAGS, L"The flags are not valid."},
    {ERROR_IO_DEVICE, L"A device input or output error stopped the request."},
    {ERROR_NOT_FOUND, L"Element not found."},
    {ERROR_INVALID_WINDOW_HANDLE, L"The window handle is not valid."},
    {ERROR_CANNOT_FIND_WND_CLASS, L"The window class cannot be found."},
    {ERROR_WINDOW_OF_OTHER_THREAD, L"The window belongs to another thread."},
    {ERROR_CLASS_ALREADY_EXISTS, L"The window class already exists."},
    {ERROR_CLASS_DOES_NOT_EXIST, L"The window class does not exist."},
    {ERROR_TIMEOUT, L"The time allowed for the operation ran out."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, L"The image file holds no resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, L"The image file holds no resource of this type."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, L"The image file holds no resource of this name."},
    {ERROR_NOT_ENOUGH_QUOTA, L"There is not enough quota to process this command."},
    {ERROR_CANT_ACCESS_FILE, L"The system cannot access the file."},
    {ERROR_CANT_RESOLVE_FILENAME, L"The system cannot resolve the name of the file."},
};

// The system's texts for the general COM failures.
constexpr SystemText kComTexts[] = {
    {static_cast<DWORD>(E_NOTIMPL), L"Not implemented."},
    {static_cast<DWORD>(E_NOINTERFACE), L"The object does not support this interface."},
    {static_cast<DWORD>(E_POINTER), L"The pointer is not valid."},
    {static_cast<DWORD>(E_ABORT), L"The operation was aborted."},
    {static_cast<DWORD>(E_FAIL), L"Unspecified error."},
    {static_cast<DWORD>(E_UNEXPECTED), L"An unexpected failure occurred."},
};

const wchar_t* Lookup(const SystemText* table, size_t count, DWORD code) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].code == code) return table[i].text;
  }
  return nullptr;
}

const wchar_t* SystemTextFor(DWORD code) {
  if (const wchar_t* text = Lookup(kComTexts, std::size(kComTexts), code)) return text;
  if ((code & 0xFFFF0000u) == 0x80070000u) {
    code &= 0xFFFF;
    if (code == 0) return nullptr;
  }
  return Lookup(kWin32Texts, std::size(kWin32Texts), code);
}

int NegativeAnswer(UINT type) {
  switch (type & 0xF) {
    case MB_YESNO:
      return IDNO;
    case MB_OKCANCEL:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

}  // namespace

DWORD WINAPI GetLastError() { return tLastError; }

void WINAPI SetLastError(DWORD code) { tLastError = code; }

DWORD WINAPI FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPWSTR buffer, DWORD size, va_list*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & FORMAT_MESSAGE_FROM_STRING) || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const wchar_t* text = SystemTextFor(messageId);
  if (text == nullptr) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  // The system's texts end with a line break.
  size_t length = std::wcslen(text);
  if (static_cast<size_t>(size) < length + 3) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(buffer, text, length);
  buffer[length] = L'\r';
  buffer[length + 1] = L'\n';
  buffer[length + 2] = L'\0';
  return static_cast<DWORD>(length + 2);
}

void WINAPI OutputDebugStringW(LPCWSTR text) {
  if (text == nullptr) return;
  std::lock_guard lock(gSinkMutex);
  if (gSink != nullptr) {
    gSink(text, gSinkUser);
  } else {
    zr::win32::detail::WriteStandardError(zr::win32::detail::ToUtf8(text));
  }
}

void WINAPI OutputDebugStringA(LPCSTR text) {
  if (text == nullptr) return;
  OutputDebugStringW(zr::win32::detail::FromUtf8(text).c_str());
}

BOOL WINAPI IsDebuggerPresent() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) return std::stol(line.substr(10)) != 0 ? TRUE : FALSE;
  }
  return FALSE;
}

// Without a debugger the break would end the program; it only stops under one.
void WINAPI DebugBreak() {
  if (IsDebuggerPresent()) std::raise(SIGTRAP);
}

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::wstring body = text != nullptr ? text : L"";
  std::wstring title = caption != nullptr ? caption : L"Error";
  int scripted = gScriptedAnswer.load();
  if (scripted == 0 && zr::win32::detail::display::IsOpen()) {
    int answer = zr::win32::detail::display::ShowMessageBox(zr::win32::NativeWindow(owner), body, title, type);
    if (answer == 0) SetLastError(ERROR_NOT_SUPPORTED);
    return answer;
  }
  zr::win32::detail::WriteStandardError(zr::win32::detail::ToUtf8(title + L": " + body + L"\n"));
  return scripted != 0 ? scripted : NegativeAnswer(type);
}

namespace zr::win32 {

void SetDebugOutputSink(DebugSink sink, void* user) {
  std::lock_guard lock(gSinkMutex);
  gSink = sink;
  gSinkUser = user;
}

void SetMessageBoxAnswer(int answer) { gScriptedAnswer = answer; }

}  // namespace zr::win32
