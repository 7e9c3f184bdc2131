// Container bytes as the device receives them: parse, then reflect the SPIR-V inside.
#include <cstddef>
#include <cstdint>
#include <string>

#include "reflect.h"
#include "shader_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zr::d3d11::ShaderContainerView shader;
  if (zr::d3d11::ParseShaderContainer(data, size, &shader)) {
    std::string error;
    zr::d3d11::ReflectSpirv(&shader, &error);
  }
  return 0;
}
