// The process entry: calls the program's wWinMain as Windows would, with the
// module's instance, the command line after the program name, and SW_SHOWDEFAULT.
#include <string>

#include "internal.h"

int main(int argc, char** argv) {
  std::wstring commandLine;
  for (int i = 1; i < argc; ++i) {
    std::wstring argument = zr::win32::detail::FromUtf8(argv[i]);
    if (!commandLine.empty()) commandLine += L' ';
    bool quote = argument.empty() || argument.find_first_of(L" \t\"") != std::wstring::npos;
    if (!quote) {
      commandLine += argument;
      continue;
    }
    commandLine += L'"';
    for (wchar_t c : argument) {
      if (c == L'"') commandLine += L'\\';
      commandLine += c;
    }
    commandLine += L'"';
  }
  return wWinMain(GetModuleHandleW(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
