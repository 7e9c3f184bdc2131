// The resource compiler of the Windows stand-in: reads the part of a resource
// script a program of ours uses (string tables, icons, #include and #define of
// numeric ids) and writes the tables as C++ that registers them at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::rc {

struct Icon {
  unsigned id = 0;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
};

struct Resources {
  std::vector<std::pair<unsigned, std::wstring>> strings;
  std::vector<Icon> icons;
};

// Gives the bytes of a file the script names (an #include or an icon), relative to
// the script; false when it cannot be read.
using FileReader = std::function<bool(const std::string& name, std::string& contents)>;

// Parses `script` into `out`. On failure returns false with a message naming the line.
bool ParseResourceScript(std::string_view script, const FileReader& readFile, Resources& out, std::string& error);

// Decodes the largest image of an .ico file (uncompressed 24- or 32-bit images up
// to 256 x 256). On failure returns false with a message.
bool DecodeIcon(std::string_view file, Icon& out, std::string& error);

// The C++ source that registers `resources` as the program's resource tables.
std::string GenerateSource(const Resources& resources, std::string_view scriptName);

}  // namespace zr::rc
