// Shaders made from the compiler's container, and input layouts.
#pragma once

#include <shader_container.h>

#include <string>
#include <vector>

#include "object.h"
#include "vk_device.h"

namespace zr::d3d11 {

class ShaderData {
 public:
  ShaderContainerView container;
  VkShaderModule module = VK_NULL_HANDLE;
};

template <typename Iface>
class Shader final : public DeviceChild<Iface>, public ShaderData {
 public:
  // Parses the container (E_INVALIDARG on garbage or on a container of another stage).
  static HRESULT Create(Device* device, const void* bytecode, SIZE_T length, ShaderStage stage, Shader** out);
  const char* TypeName() const override;

 private:
  explicit Shader(Device* device) : DeviceChild<Iface>(device) {}
  ~Shader() override;
};
using VertexShader = Shader<ID3D11VertexShader>;
using GeometryShader = Shader<ID3D11GeometryShader>;
using PixelShader = Shader<ID3D11PixelShader>;

struct InputElement {
  std::string semanticName;  // upper-cased
  uint32_t semanticIndex;
  DXGI_FORMAT format;
  VkFormat vkFormat;
  uint32_t slot;
  uint32_t offset;  // resolved: no D3D11_APPEND_ALIGNED_ELEMENT left
  bool perInstance;
};

class InputLayout final : public DeviceChild<ID3D11InputLayout> {
 public:
  // Resolves appended offsets and checks every input the vertex shader reads is given.
  static HRESULT Create(Device* device, const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* bytecode,
                        SIZE_T length, InputLayout** out);
  const char* TypeName() const override { return "ID3D11InputLayout"; }
  std::vector<InputElement> elements;

 private:
  explicit InputLayout(Device* device) : DeviceChild(device) {}
};

}  // namespace zr::d3d11
