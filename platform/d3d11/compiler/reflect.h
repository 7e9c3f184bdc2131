// Reflection of a compiled SPIR-V module into the shader container's signatures and
// resource bindings.
#pragma once

#include <string>

#include "shader_container.h"

namespace zr::d3d11 {

// Reads shader->spirv (one entry point, of shader->stage) and fills the entry point
// name, the input and output signatures and the resource bindings. Returns false with
// the reason in *error when the module breaks the binding scheme or is malformed.
bool ReflectSpirv(ShaderContainerView* shader, std::string* error);

}  // namespace zr::d3d11
