// Resource scripts from anywhere: every #include and icon reads the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "resource_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  auto reader = [&](const std::string&, std::string& contents) {
    contents = text;
    return true;
  };
  zr::rc::Resources resources;
  std::string error;
  if (zr::rc::ParseResourceScript(text, reader, resources, error)) zr::rc::GenerateSource(resources, "fuzz.rc");
  return 0;
}
