#include "state.h"

#include <algorithm>
#include <cmath>

#include "device.h"

namespace zr::d3d11 {
namespace {

bool ValidComparison(D3D11_COMPARISON_FUNC f) { return f >= D3D11_COMPARISON_NEVER && f <= D3D11_COMPARISON_ALWAYS; }
bool ValidStencilOp(D3D11_STENCIL_OP op) { return op >= D3D11_STENCIL_OP_KEEP && op <= D3D11_STENCIL_OP_DECR; }
bool ValidFace(const D3D11_DEPTH_STENCILOP_DESC& f) {
  return ValidStencilOp(f.StencilFailOp) && ValidStencilOp(f.StencilDepthFailOp) && ValidStencilOp(f.StencilPassOp) &&
         ValidComparison(f.StencilFunc);
}
bool ValidBlend(D3D11_BLEND b) {
  return (b >= D3D11_BLEND_ZERO && b <= D3D11_BLEND_SRC_ALPHA_SAT) ||
         (b >= D3D11_BLEND_BLEND_FACTOR && b <= D3D11_BLEND_INV_SRC1_ALPHA);
}
bool ValidBlendOp(D3D11_BLEND_OP op) { return op >= D3D11_BLEND_OP_ADD && op <= D3D11_BLEND_OP_MAX; }
bool ValidAddress(D3D11_TEXTURE_ADDRESS_MODE m) {
  return m >= D3D11_TEXTURE_ADDRESS_WRAP && m <= D3D11_TEXTURE_ADDRESS_MIRROR_ONCE;
}
bool ValidFilter(D3D11_FILTER f) {
  // Bits: 0x1 linear mip, 0x4 linear magnification, 0x10 linear minification,
  // 0x55 anisotropic, 0x180 the reduction (comparison, minimum, maximum).
  UINT base = f & 0x7f;
  if (f & ~0x1ffu) return false;
  return base == 0x55 || (base & ~0x15u) == 0;
}

VkFilter Filter(UINT bits) { return bits ? VK_FILTER_LINEAR : VK_FILTER_NEAREST; }

VkSamplerAddressMode Address(D3D11_TEXTURE_ADDRESS_MODE m) {
  switch (m) {
    case D3D11_TEXTURE_ADDRESS_MIRROR:
      return VK_SAMPLER_ADDRESS_MODE_MIRRORED_REPEAT;
    case D3D11_TEXTURE_ADDRESS_CLAMP:
      return VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    case D3D11_TEXTURE_ADDRESS_BORDER:
      return VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_BORDER;
    case D3D11_TEXTURE_ADDRESS_MIRROR_ONCE:
      return VK_SAMPLER_ADDRESS_MODE_MIRROR_CLAMP_TO_EDGE;
    default:
      return VK_SAMPLER_ADDRESS_MODE_REPEAT;
  }
}

}  // namespace

template <>
const char* DepthStencilState::TypeName() const {
  return "ID3D11DepthStencilState";
}
template <>
const char* RasterizerState::TypeName() const {
  return "ID3D11RasterizerState";
}
template <>
const char* BlendState::TypeName() const {
  return "ID3D11BlendState";
}
template <>
const char* SamplerState::TypeName() const {
  return "ID3D11SamplerState";
}

template <typename Iface, typename Desc>
StateObject<Iface, Desc>::~StateObject() {
  this->OwnerDevice()->Vk().DestroyLater(VK_OBJECT_TYPE_SAMPLER, sampler);
}

template class StateObject<ID3D11DepthStencilState, D3D11_DEPTH_STENCIL_DESC>;
template class StateObject<ID3D11RasterizerState, D3D11_RASTERIZER_DESC>;
template class StateObject<ID3D11BlendState, D3D11_BLEND_DESC>;
template class StateObject<ID3D11SamplerState, D3D11_SAMPLER_DESC>;

D3D11_DEPTH_STENCIL_DESC DefaultDepthStencilDesc() {
  D3D11_DEPTH_STENCILOP_DESC face{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                  D3D11_COMPARISON_ALWAYS};
  return {TRUE, D3D11_DEPTH_WRITE_MASK_ALL, D3D11_COMPARISON_LESS, FALSE, 0xff, 0xff, face, face};
}

D3D11_RASTERIZER_DESC DefaultRasterizerDesc() {
  return {D3D11_FILL_SOLID, D3D11_CULL_BACK, FALSE, 0, 0.0f, 0.0f, TRUE, FALSE, FALSE, FALSE};
}

D3D11_BLEND_DESC DefaultBlendDesc() {
  D3D11_BLEND_DESC d{};
  for (auto& rt : d.RenderTarget)
    rt = {FALSE,           D3D11_BLEND_ONE,  D3D11_BLEND_ZERO,   D3D11_BLEND_OP_ADD,
          D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD, D3D11_COLOR_WRITE_ENABLE_ALL};
  return d;
}

HRESULT NormalizeDepthStencil(const D3D11_DEPTH_STENCIL_DESC& in, D3D11_DEPTH_STENCIL_DESC* out) {
  if (in.DepthWriteMask > D3D11_DEPTH_WRITE_MASK_ALL || !ValidComparison(in.DepthFunc) || !ValidFace(in.FrontFace) ||
      !ValidFace(in.BackFace))
    return E_INVALIDARG;
  D3D11_DEPTH_STENCIL_DESC d = in;
  d.DepthEnable = d.DepthEnable ? TRUE : FALSE;
  d.StencilEnable = d.StencilEnable ? TRUE : FALSE;
  if (!d.DepthEnable) {
    d.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ZERO;
    d.DepthFunc = D3D11_COMPARISON_ALWAYS;
  }
  if (!d.StencilEnable) {
    D3D11_DEPTH_STENCILOP_DESC keep{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                    D3D11_COMPARISON_ALWAYS};
    d.FrontFace = d.BackFace = keep;
    d.StencilReadMask = d.StencilWriteMask = 0;
  }
  *out = d;
  return S_OK;
}

HRESULT NormalizeRasterizer(const D3D11_RASTERIZER_DESC& in, D3D11_RASTERIZER_DESC* out) {
  if ((in.FillMode != D3D11_FILL_SOLID && in.FillMode != D3D11_FILL_WIREFRAME) || in.CullMode < D3D11_CULL_NONE ||
      in.CullMode > D3D11_CULL_BACK || std::isnan(in.DepthBiasClamp) || std::isnan(in.SlopeScaledDepthBias))
    return E_INVALIDARG;
  D3D11_RASTERIZER_DESC d = in;
  d.FrontCounterClockwise = d.FrontCounterClockwise ? TRUE : FALSE;
  d.DepthClipEnable = d.DepthClipEnable ? TRUE : FALSE;
  d.ScissorEnable = d.ScissorEnable ? TRUE : FALSE;
  d.MultisampleEnable = d.MultisampleEnable ? TRUE : FALSE;
  d.AntialiasedLineEnable = d.AntialiasedLineEnable ? TRUE : FALSE;
  *out = d;
  return S_OK;
}

HRESULT NormalizeBlend(const D3D11_BLEND_DESC& in, D3D11_BLEND_DESC* out) {
  D3D11_BLEND_DESC d = in;
  d.AlphaToCoverageEnable = d.AlphaToCoverageEnable ? TRUE : FALSE;
  d.IndependentBlendEnable = d.IndependentBlendEnable ? TRUE : FALSE;
  const int targets = d.IndependentBlendEnable ? 8 : 1;
  for (int i = 0; i < 8; ++i) {
    auto& rt = d.RenderTarget[i];
    if (i >= targets) {
      rt = d.RenderTarget[0];
      continue;
    }
    rt.BlendEnable = rt.BlendEnable ? TRUE : FALSE;
    if (rt.BlendEnable) {
      if (!ValidBlend(rt.SrcBlend) || !ValidBlend(rt.DestBlend) || !ValidBlendOp(rt.BlendOp) ||
          !ValidBlend(rt.SrcBlendAlpha) || !ValidBlend(rt.DestBlendAlpha) || !ValidBlendOp(rt.BlendOpAlpha))
        return E_INVALIDARG;
    } else {
      rt.SrcBlend = rt.SrcBlendAlpha = D3D11_BLEND_ONE;
      rt.DestBlend = rt.DestBlendAlpha = D3D11_BLEND_ZERO;
      rt.BlendOp = rt.BlendOpAlpha = D3D11_BLEND_OP_ADD;
    }
    rt.RenderTargetWriteMask &= D3D11_COLOR_WRITE_ENABLE_ALL;
  }
  *out = d;
  return S_OK;
}

HRESULT NormalizeSampler(const D3D11_SAMPLER_DESC& in, D3D11_SAMPLER_DESC* out) {
  if (!ValidFilter(in.Filter) || !ValidAddress(in.AddressU) || !ValidAddress(in.AddressV) ||
      !ValidAddress(in.AddressW) || in.MaxAnisotropy > D3D11_MAX_MAXANISOTROPY || std::isnan(in.MipLODBias) ||
      std::isnan(in.MinLOD) || std::isnan(in.MaxLOD))
    return E_INVALIDARG;
  const bool comparison = (in.Filter & 0x180) == 0x80;
  if (comparison && !ValidComparison(in.ComparisonFunc)) return E_INVALIDARG;
  D3D11_SAMPLER_DESC d = in;
  if (!comparison) d.ComparisonFunc = D3D11_COMPARISON_NEVER;
  if ((d.Filter & 0x7f) != D3D11_FILTER_ANISOTROPIC) d.MaxAnisotropy = 0;
  const bool border = d.AddressU == D3D11_TEXTURE_ADDRESS_BORDER || d.AddressV == D3D11_TEXTURE_ADDRESS_BORDER ||
                      d.AddressW == D3D11_TEXTURE_ADDRESS_BORDER;
  if (!border) std::fill(std::begin(d.BorderColor), std::end(d.BorderColor), 0.0f);
  d.MipLODBias = std::clamp(d.MipLODBias, -16.0f, 15.99f);
  *out = d;
  return S_OK;
}

HRESULT MakeSampler(VulkanDevice& vk, const D3D11_SAMPLER_DESC& d, VkSampler* out) {
  VkSamplerCreateInfo sci{VK_STRUCTURE_TYPE_SAMPLER_CREATE_INFO};
  const UINT f = d.Filter;
  const bool anisotropic = (f & 0x7f) == D3D11_FILTER_ANISOTROPIC;
  sci.minFilter = Filter(f & 0x10);
  sci.magFilter = Filter(f & 0x04);
  sci.mipmapMode = (f & 0x01) ? VK_SAMPLER_MIPMAP_MODE_LINEAR : VK_SAMPLER_MIPMAP_MODE_NEAREST;
  sci.addressModeU = Address(d.AddressU);
  sci.addressModeV = Address(d.AddressV);
  sci.addressModeW = Address(d.AddressW);
  sci.mipLodBias =
      std::clamp(d.MipLODBias, -vk.properties.limits.maxSamplerLodBias, vk.properties.limits.maxSamplerLodBias);
  sci.anisotropyEnable = anisotropic && vk.enabledFeatures.samplerAnisotropy;
  sci.maxAnisotropy = std::clamp(static_cast<float>(d.MaxAnisotropy), 1.0f, vk.properties.limits.maxSamplerAnisotropy);
  sci.compareEnable = (f & 0x180) == 0x80;
  sci.compareOp = static_cast<VkCompareOp>(sci.compareEnable ? d.ComparisonFunc - 1 : 0);
  sci.minLod = d.MinLOD;
  sci.maxLod = std::max(d.MinLOD, std::min(d.MaxLOD, VK_LOD_CLAMP_NONE));
  // Vulkan offers a few fixed border colours; pick the one nearest the one asked for.
  const float* c = d.BorderColor;
  const bool white = c[0] + c[1] + c[2] > 1.5f;
  sci.borderColor = white         ? VK_BORDER_COLOR_FLOAT_OPAQUE_WHITE
                    : c[3] > 0.5f ? VK_BORDER_COLOR_FLOAT_OPAQUE_BLACK
                                  : VK_BORDER_COLOR_FLOAT_TRANSPARENT_BLACK;
  return vkCreateSampler(vk.device, &sci, nullptr, out) == VK_SUCCESS ? S_OK : E_OUTOFMEMORY;
}

}  // namespace zr::d3d11
