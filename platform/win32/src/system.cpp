// Text conversion, the console, time, the module and its resources.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <thread>

#include "internal.h"

namespace zr::win32::detail {

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto c = static_cast<uint32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<uint8_t>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    uint32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + extra < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    out += static_cast<wchar_t>(valid ? c : 0xFFFD);
    i += valid ? extra + 1 : 1;
  }
  return out;
}

void WriteStandardError(std::string_view text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(STDERR_FILENO, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace zr::win32::detail

namespace {

std::atomic<bool> gConsole{false};
std::atomic<const zr::win32::ModuleResources*> gResources{nullptr};

// The module's handle: the address of something that lives as long as the program.
char gModule;

// Icons and cursors the system provides, without pixels of their own.
zr::win32::IconResource gStockIcon{0, 0, 0, nullptr};
zr::win32::IconResource gStockCursor{0, 0, 0, nullptr};

}  // namespace

// ---- Console -------------------------------------------------------------------------------
// The terminal is the console: standard output is already attached to it.
BOOL WINAPI AllocConsole() {
  if (gConsole.exchange(true)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FreeConsole() {
  std::fflush(stdout);
  gConsole = false;
  return TRUE;
}

errno_t freopen_s(FILE** stream, const char* path, const char* mode, FILE* old) {
  if (stream == nullptr || path == nullptr || mode == nullptr || old == nullptr) return EINVAL;
  if (std::string_view(path) == "CONOUT$") {
    // The console's output is the terminal the stream already writes to.
    std::fflush(old);
    std::clearerr(old);
    *stream = old;
    return 0;
  }
  *stream = std::freopen(path, mode, old);
  return *stream != nullptr ? 0 : errno;
}

// ---- Time ------------------------------------------------------------------------------------
void WINAPI Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

DWORD WINAPI GetTickCount() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = 1000000000;
  return TRUE;
}

// ---- Module and resources ----------------------------------------------------------------------
HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
  if (moduleName != nullptr) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(&gModule);
}

int WINAPI LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int bufferMax) {
  if (buffer == nullptr || bufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const zr::win32::ModuleResources* resources = gResources;
  for (size_t i = 0; resources != nullptr && i < resources->stringCount; ++i) {
    const zr::win32::StringResource& entry = resources->strings[i];
    if (entry.id != id) continue;
    size_t length = std::wcslen(entry.text);
    if (bufferMax == 0) {
      // A zero size asks for the read-only text itself.
      *reinterpret_cast<const wchar_t**>(buffer) = entry.text;
      return static_cast<int>(length);
    }
    size_t n = std::min(length, static_cast<size_t>(bufferMax - 1));
    std::wmemcpy(buffer, entry.text, n);
    buffer[n] = L'\0';
    return static_cast<int>(n);
  }
  if (bufferMax > 0) buffer[0] = L'\0';
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return 0;
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
  if (instance == nullptr) {
    if (id == 32512) return reinterpret_cast<HICON>(&gStockIcon);  // IDI_APPLICATION
  } else {
    const zr::win32::ModuleResources* resources = gResources;
    for (size_t i = 0; resources != nullptr && i < resources->iconCount; ++i) {
      if (resources->icons[i].id == id)
        return reinterpret_cast<HICON>(const_cast<zr::win32::IconResource*>(&resources->icons[i]));
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance == nullptr && name == IDC_ARROW) return reinterpret_cast<HCURSOR>(&gStockCursor);
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

namespace zr::win32 {

void SetModuleResources(const ModuleResources* resources) { gResources = resources; }

}  // namespace zr::win32
