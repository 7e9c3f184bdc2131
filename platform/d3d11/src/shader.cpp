#include "shader.h"

#include <cctype>
#include <cstring>

#include "device.h"
#include "formats.h"

namespace zr::d3d11 {

template <>
const char* VertexShader::TypeName() const {
  return "ID3D11VertexShader";
}
template <>
const char* GeometryShader::TypeName() const {
  return "ID3D11GeometryShader";
}
template <>
const char* PixelShader::TypeName() const {
  return "ID3D11PixelShader";
}

template <typename Iface>
HRESULT Shader<Iface>::Create(Device* device, const void* bytecode, SIZE_T length, ShaderStage stage, Shader** out) {
  if (!bytecode || length == 0) return E_INVALIDARG;
  ShaderContainerView container;
  if (!ParseShaderContainer(bytecode, length, &container) || container.stage != stage || container.spirv.empty())
    return E_INVALIDARG;
  if (!out) return S_FALSE;
  VkShaderModuleCreateInfo mci{VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO};
  mci.codeSize = container.spirv.size() * sizeof(uint32_t);
  mci.pCode = container.spirv.data();
  VkShaderModule module;
  if (vkCreateShaderModule(device->Vk().device, &mci, nullptr, &module) != VK_SUCCESS) return E_INVALIDARG;
  Shader* s = new Shader(device);
  s->container = std::move(container);
  s->module = module;
  *out = s;
  return S_OK;
}

template <typename Iface>
Shader<Iface>::~Shader() {
  this->OwnerDevice()->Vk().DestroyLater(VK_OBJECT_TYPE_SHADER_MODULE, module);
}

template class Shader<ID3D11VertexShader>;
template class Shader<ID3D11GeometryShader>;
template class Shader<ID3D11PixelShader>;

HRESULT InputLayout::Create(Device* device, const D3D11_INPUT_ELEMENT_DESC* descs, UINT count, const void* bytecode,
                            SIZE_T length, InputLayout** out) {
  if ((!descs && count) || count > D3D11_IA_VERTEX_INPUT_STRUCTURE_ELEMENT_COUNT || !bytecode) return E_INVALIDARG;
  ShaderContainerView vs;
  if (!ParseShaderContainer(bytecode, length, &vs) || vs.stage != ShaderStage::Vertex) return E_INVALIDARG;

  std::vector<InputElement> elements;
  uint32_t nextOffset[D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT] = {};
  for (UINT i = 0; i < count; ++i) {
    const D3D11_INPUT_ELEMENT_DESC& d = descs[i];
    if (!d.SemanticName || d.InputSlot >= D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT ||
        d.InputSlotClass > D3D11_INPUT_PER_INSTANCE_DATA ||
        (d.InputSlotClass == D3D11_INPUT_PER_VERTEX_DATA && d.InstanceDataStepRate != 0))
      return E_INVALIDARG;
    FormatInfo info = LookupFormat(device->Vk(), d.Format);
    if (info.vk == VK_FORMAT_UNDEFINED || info.blockSize != 1 || info.typeless ||
        info.aspect != VK_IMAGE_ASPECT_COLOR_BIT ||
        !(info.swizzle.r == VK_COMPONENT_SWIZZLE_IDENTITY && info.swizzle.a == VK_COMPONENT_SWIZZLE_IDENTITY))
      return E_INVALIDARG;
    InputElement e;
    e.semanticName = d.SemanticName;
    for (char& c : e.semanticName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    e.semanticIndex = d.SemanticIndex;
    e.format = d.Format;
    e.vkFormat = info.vk;
    e.slot = d.InputSlot;
    e.offset = d.AlignedByteOffset == D3D11_APPEND_ALIGNED_ELEMENT ? nextOffset[d.InputSlot] : d.AlignedByteOffset;
    e.perInstance = d.InputSlotClass == D3D11_INPUT_PER_INSTANCE_DATA;
    nextOffset[d.InputSlot] = e.offset + info.blockBytes;
    for (const InputElement& other : elements)
      if (other.semanticName == e.semanticName && other.semanticIndex == e.semanticIndex) return E_INVALIDARG;
    elements.push_back(std::move(e));
  }
  // Every input the shader reads from a vertex buffer needs an element.
  for (const SignatureElement& in : vs.inputs) {
    if (in.systemValue != SystemValue::None) continue;
    bool found = false;
    for (const InputElement& e : elements)
      found = found || (e.semanticName == in.semanticName && e.semanticIndex == in.semanticIndex);
    if (!found) return E_INVALIDARG;
  }
  if (!out) return S_FALSE;
  InputLayout* layout = new InputLayout(device);
  layout->elements = std::move(elements);
  *out = layout;
  return S_OK;
}

}  // namespace zr::d3d11
