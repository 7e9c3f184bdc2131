// Icon files from anywhere.
#include <cstddef>
#include <cstdint>
#include <string>

#include "resource_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zr::rc::Icon icon;
  std::string error;
  if (zr::rc::DecodeIcon(std::string_view(reinterpret_cast<const char*>(data), size), icon, error)) {
    if (icon.pixels.size() != static_cast<size_t>(icon.width) * icon.height) __builtin_trap();
  }
  return 0;
}
