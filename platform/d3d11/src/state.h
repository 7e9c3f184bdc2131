// Fixed-function state objects. Each keeps its normalised description: fields that
// cannot matter are cleared, so equal states are one object (the device dedupes them).
#pragma once

#include "object.h"
#include "vk_device.h"

namespace zr::d3d11 {

template <typename Iface, typename Desc>
class StateObject final : public DeviceChild<Iface> {
 public:
  StateObject(Device* device, const Desc& desc) : DeviceChild<Iface>(device), desc(desc) {}
  const char* TypeName() const override;
  void STDMETHODCALLTYPE GetDesc(Desc* out) override { *out = desc; }
  const Desc desc;
  VkSampler sampler = VK_NULL_HANDLE;  // sampler states only

 private:
  ~StateObject() override;
};
using DepthStencilState = StateObject<ID3D11DepthStencilState, D3D11_DEPTH_STENCIL_DESC>;
using RasterizerState = StateObject<ID3D11RasterizerState, D3D11_RASTERIZER_DESC>;
using BlendState = StateObject<ID3D11BlendState, D3D11_BLEND_DESC>;
using SamplerState = StateObject<ID3D11SamplerState, D3D11_SAMPLER_DESC>;

// The descriptions a context uses when no state object is bound.
D3D11_DEPTH_STENCIL_DESC DefaultDepthStencilDesc();
D3D11_RASTERIZER_DESC DefaultRasterizerDesc();
D3D11_BLEND_DESC DefaultBlendDesc();

// Validate and normalise a description (E_INVALIDARG for values D3D11 refuses).
HRESULT NormalizeDepthStencil(const D3D11_DEPTH_STENCIL_DESC& in, D3D11_DEPTH_STENCIL_DESC* out);
HRESULT NormalizeRasterizer(const D3D11_RASTERIZER_DESC& in, D3D11_RASTERIZER_DESC* out);
HRESULT NormalizeBlend(const D3D11_BLEND_DESC& in, D3D11_BLEND_DESC* out);
HRESULT NormalizeSampler(const D3D11_SAMPLER_DESC& in, D3D11_SAMPLER_DESC* out);
// Makes the Vulkan sampler of a normalised description.
HRESULT MakeSampler(VulkanDevice& vk, const D3D11_SAMPLER_DESC& desc, VkSampler* out);

}  // namespace zr::d3d11
