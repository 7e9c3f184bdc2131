#include "device.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "context.h"
#include "resource.h"
#include "shader.h"
#include "state.h"

namespace zr::d3d11 {
namespace {

std::atomic<uint64_t> g_nextUid{1};

}  // namespace

TrackedObject::TrackedObject(Device* device) : uid_(g_nextUid.fetch_add(1)), device_(device) {
  if (device_) {
    device_->AddRefPrivate();
    device_->Register(this);
  }
}

TrackedObject::~TrackedObject() {
  if (device_) {
    device_->Unregister(this);
    device_->ReleasePrivate();
  }
}

ID3D11Device* DeviceInterface(Device* device) { return device; }

HRESULT Device::Create(UINT flags, Device** out) {
  std::unique_ptr<VulkanDevice> vk;
  HRESULT hr = VulkanDevice::Create(&vk);
  if (FAILED(hr)) return hr;
  Device* device = new Device();
  device->vk_ = std::move(vk);
  device->flags_ = flags;
  hr = Context::CreateImmediate(device, &device->immediate_);
  if (FAILED(hr)) {
    device->Release();
    return hr;
  }
  *out = device;
  return S_OK;
}

Device::~Device() {
  delete immediate_;
  vk_.reset();
}

void Device::Destroy() { delete this; }

HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == __uuidof(IUnknown) || riid == __uuidof(ID3D11Device)) {
    AddRefPublic();
    *object = static_cast<ID3D11Device*>(this);
    return S_OK;
  }
  if (riid == __uuidof(ID3D11Debug)) return CreateDebugInterface(this, reinterpret_cast<ID3D11Debug**>(object));
  return E_NOINTERFACE;
}

ULONG Device::Release() {
  AddRefPrivate();
  ULONG left = ReleasePublic();
  if (left == 0) {
    // The application is done with the device: let go of what the layer itself holds
    // (the immediate context's bindings, cached state objects), so that the device
    // goes as soon as the last object made from it does.
    if (immediate_) immediate_->ReleaseBindings();
    std::map<std::string, TrackedObject*> states;
    {
      std::lock_guard<std::mutex> lock(stateMutex_);
      states.swap(states_);
    }
    for (auto& [key, state] : states) state->ReleasePrivate();
  }
  ReleasePrivate();
  return left;
}

void Device::Register(TrackedObject* object) {
  std::lock_guard<std::mutex> lock(registryMutex_);
  object->registryNext = registryHead_;
  if (registryHead_) registryHead_->registryPrev = object;
  registryHead_ = object;
}

void Device::Unregister(TrackedObject* object) {
  std::lock_guard<std::mutex> lock(registryMutex_);
  if (object->registryPrev)
    object->registryPrev->registryNext = object->registryNext;
  else
    registryHead_ = object->registryNext;
  if (object->registryNext) object->registryNext->registryPrev = object->registryPrev;
}

uint32_t Device::LowerSampleCount(uint32_t wanted) {
  uint32_t count = vk_->SupportedSampleCount(wanted);
  if (count != wanted && !sampleCountLowered_.exchange(true)) {
    std::string line = "D3D11: a sample count of " + std::to_string(wanted) + " is not offered by this device; using " +
                       std::to_string(count) + "\n";
    DebugPrint(line.c_str());
  }
  return count;
}

HRESULT Device::CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                             ID3D11Buffer** buffer) {
  if (!desc) return E_INVALIDARG;
  Buffer* made = nullptr;
  HRESULT hr = Buffer::Create(this, *desc, initialData, buffer ? &made : nullptr);
  if (FAILED(hr) || !buffer) return hr;
  *buffer = made;
  return S_OK;
}

template <typename T, typename I, typename Desc>
static HRESULT MakeTexture(Device* device, const Desc* desc, const D3D11_SUBRESOURCE_DATA* initial, I** out) {
  if (!desc) return E_INVALIDARG;
  T* made = nullptr;
  HRESULT hr = T::Create(device, *desc, initial, out ? &made : nullptr);
  if (FAILED(hr) || !out) return hr;
  *out = made;
  return S_OK;
}

HRESULT Device::CreateTexture1D(const D3D11_TEXTURE1D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                ID3D11Texture1D** texture) {
  return MakeTexture<Texture1D>(this, desc, initialData, texture);
}
HRESULT Device::CreateTexture2D(const D3D11_TEXTURE2D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                ID3D11Texture2D** texture) {
  return MakeTexture<Texture2D>(this, desc, initialData, texture);
}
HRESULT Device::CreateTexture3D(const D3D11_TEXTURE3D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                ID3D11Texture3D** texture) {
  return MakeTexture<Texture3D>(this, desc, initialData, texture);
}

template <typename V, typename I, typename Desc>
static HRESULT MakeView(Device* device, ID3D11Resource* resource, const Desc* desc, I** out) {
  if (!resource) return E_INVALIDARG;
  V* made = nullptr;
  HRESULT hr = V::Create(device, resource, desc, out ? &made : nullptr);
  if (FAILED(hr) || !out) return hr;
  *out = made;
  return S_OK;
}

HRESULT Device::CreateShaderResourceView(ID3D11Resource* resource, const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                         ID3D11ShaderResourceView** view) {
  return MakeView<ShaderResourceView>(this, resource, desc, view);
}
HRESULT Device::CreateUnorderedAccessView(ID3D11Resource*, const D3D11_UNORDERED_ACCESS_VIEW_DESC*,
                                          ID3D11UnorderedAccessView** view) {
  if (view) *view = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateRenderTargetView(ID3D11Resource* resource, const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                       ID3D11RenderTargetView** view) {
  return MakeView<RenderTargetView>(this, resource, desc, view);
}
HRESULT Device::CreateDepthStencilView(ID3D11Resource* resource, const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                       ID3D11DepthStencilView** view) {
  return MakeView<DepthStencilView>(this, resource, desc, view);
}

HRESULT Device::CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT numElements, const void* bytecode,
                                  SIZE_T bytecodeLength, ID3D11InputLayout** layout) {
  InputLayout* made = nullptr;
  HRESULT hr = InputLayout::Create(this, elements, numElements, bytecode, bytecodeLength, layout ? &made : nullptr);
  if (FAILED(hr) || !layout) return hr;
  *layout = made;
  return S_OK;
}

template <typename S, typename I>
static HRESULT MakeShader(Device* device, const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                          ShaderStage stage, I** out) {
  if (linkage) return E_INVALIDARG;
  S* made = nullptr;
  HRESULT hr = S::Create(device, bytecode, length, stage, out ? &made : nullptr);
  if (FAILED(hr) || !out) return hr;
  *out = made;
  return S_OK;
}

HRESULT Device::CreateVertexShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                   ID3D11VertexShader** shader) {
  return MakeShader<VertexShader>(this, bytecode, length, linkage, ShaderStage::Vertex, shader);
}
HRESULT Device::CreateGeometryShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                     ID3D11GeometryShader** shader) {
  return MakeShader<GeometryShader>(this, bytecode, length, linkage, ShaderStage::Geometry, shader);
}
HRESULT Device::CreatePixelShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                  ID3D11PixelShader** shader) {
  return MakeShader<PixelShader>(this, bytecode, length, linkage, ShaderStage::Pixel, shader);
}
HRESULT Device::CreateGeometryShaderWithStreamOutput(const void*, SIZE_T, const D3D11_SO_DECLARATION_ENTRY*, UINT,
                                                     const UINT*, UINT, UINT, ID3D11ClassLinkage*,
                                                     ID3D11GeometryShader** shader) {
  if (shader) *shader = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateHullShader(const void*, SIZE_T, ID3D11ClassLinkage*, ID3D11HullShader** shader) {
  if (shader) *shader = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateDomainShader(const void*, SIZE_T, ID3D11ClassLinkage*, ID3D11DomainShader** shader) {
  if (shader) *shader = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateComputeShader(const void*, SIZE_T, ID3D11ClassLinkage*, ID3D11ComputeShader** shader) {
  if (shader) *shader = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateClassLinkage(ID3D11ClassLinkage** linkage) {
  if (linkage) *linkage = nullptr;
  return E_NOTIMPL;
}

template <typename T, typename I, typename Desc, typename Normalize>
static HRESULT MakeState(Device* device, const Desc* desc, I** out, Normalize normalize) {
  if (!desc) return E_INVALIDARG;
  // Zero-filled first, so padding bytes never tell two equal descriptions apart.
  struct Key {
    char type[32];
    Desc desc;
  } key;
  std::memset(&key, 0, sizeof(key));
  const char* name = typeid(T).name();
  std::memcpy(key.type, name, std::min(std::strlen(name), sizeof(key.type) - 1));
  HRESULT hr = normalize(*desc, &key.desc);
  if (FAILED(hr) || !out) return FAILED(hr) ? hr : S_FALSE;
  T* state = nullptr;
  hr = device->FindOrMakeState(&key, sizeof(key), &state, [&](T** made) -> HRESULT {
    *made = new T(device, key.desc);
    if constexpr (std::is_same_v<T, SamplerState>) {
      HRESULT shr = MakeSampler(device->Vk(), key.desc, &(*made)->sampler);
      if (FAILED(shr)) {
        (*made)->Release();
        return shr;
      }
    }
    return S_OK;
  });
  if (FAILED(hr)) return hr;
  *out = state;
  return S_OK;
}

HRESULT Device::CreateBlendState(const D3D11_BLEND_DESC* desc, ID3D11BlendState** state) {
  return MakeState<BlendState>(this, desc, state, NormalizeBlend);
}
HRESULT Device::CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* desc, ID3D11DepthStencilState** state) {
  return MakeState<DepthStencilState>(this, desc, state, NormalizeDepthStencil);
}
HRESULT Device::CreateRasterizerState(const D3D11_RASTERIZER_DESC* desc, ID3D11RasterizerState** state) {
  return MakeState<RasterizerState>(this, desc, state, NormalizeRasterizer);
}
HRESULT Device::CreateSamplerState(const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** state) {
  return MakeState<SamplerState>(this, desc, state, NormalizeSampler);
}

HRESULT Device::CreateQuery(const D3D11_QUERY_DESC*, ID3D11Query** query) {
  if (query) *query = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreatePredicate(const D3D11_QUERY_DESC*, ID3D11Predicate** predicate) {
  if (predicate) *predicate = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateCounter(const D3D11_COUNTER_DESC*, ID3D11Counter** counter) {
  if (counter) *counter = nullptr;
  return DXGI_ERROR_UNSUPPORTED;
}

HRESULT Device::CreateDeferredContext(UINT flags, ID3D11DeviceContext** context) {
  if (flags != 0 || !context) return E_INVALIDARG;
  Context* made = nullptr;
  HRESULT hr = Context::CreateDeferred(this, &made);
  if (FAILED(hr)) return hr;
  *context = made;
  return S_OK;
}

HRESULT Device::OpenSharedResource(HANDLE, REFIID, void** resource) {
  if (resource) *resource = nullptr;
  return E_NOTIMPL;
}

HRESULT Device::CheckFormatSupport(DXGI_FORMAT format, UINT* support) {
  if (!support) return E_INVALIDARG;
  *support = 0;
  FormatInfo info = LookupFormat(*vk_, format);
  if (info.vk == VK_FORMAT_UNDEFINED) return E_FAIL;
  VkFormatProperties p;
  vkGetPhysicalDeviceFormatProperties(vk_->physical, info.vk, &p);
  UINT s = 0;
  if (p.optimalTilingFeatures & VK_FORMAT_FEATURE_SAMPLED_IMAGE_BIT)
    s |= D3D11_FORMAT_SUPPORT_TEXTURE1D | D3D11_FORMAT_SUPPORT_TEXTURE2D | D3D11_FORMAT_SUPPORT_TEXTURE3D |
         D3D11_FORMAT_SUPPORT_TEXTURECUBE | D3D11_FORMAT_SUPPORT_SHADER_LOAD | D3D11_FORMAT_SUPPORT_SHADER_SAMPLE |
         D3D11_FORMAT_SUPPORT_MIP | D3D11_FORMAT_SUPPORT_CPU_LOCKABLE;
  if (p.optimalTilingFeatures & VK_FORMAT_FEATURE_COLOR_ATTACHMENT_BIT)
    s |= D3D11_FORMAT_SUPPORT_RENDER_TARGET | D3D11_FORMAT_SUPPORT_MULTISAMPLE_RENDERTARGET |
         D3D11_FORMAT_SUPPORT_MULTISAMPLE_RESOLVE;
  if (p.optimalTilingFeatures & VK_FORMAT_FEATURE_COLOR_ATTACHMENT_BLEND_BIT) s |= D3D11_FORMAT_SUPPORT_BLENDABLE;
  if (p.optimalTilingFeatures & VK_FORMAT_FEATURE_DEPTH_STENCIL_ATTACHMENT_BIT)
    s |= D3D11_FORMAT_SUPPORT_TEXTURE2D | D3D11_FORMAT_SUPPORT_DEPTH_STENCIL;
  if (p.bufferFeatures & VK_FORMAT_FEATURE_VERTEX_BUFFER_BIT) s |= D3D11_FORMAT_SUPPORT_IA_VERTEX_BUFFER;
  if (format == DXGI_FORMAT_R16_UINT || format == DXGI_FORMAT_R32_UINT) s |= D3D11_FORMAT_SUPPORT_IA_INDEX_BUFFER;
  *support = s;
  return S_OK;
}

HRESULT Device::CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount, UINT* levels) {
  if (!levels) return E_INVALIDARG;
  FormatInfo info = LookupFormat(*vk_, format);
  *levels = info.vk != VK_FORMAT_UNDEFINED && sampleCount >= 1 && vk_->SupportedSampleCount(sampleCount) == sampleCount
                ? 1
                : 0;
  return S_OK;
}

void Device::CheckCounterInfo(D3D11_COUNTER_INFO* info) {
  if (info) *info = {};
}

HRESULT Device::CheckCounter(const D3D11_COUNTER_DESC*, D3D11_COUNTER_TYPE*, UINT*, LPSTR, UINT*, LPSTR, UINT*, LPSTR,
                             UINT*) {
  return E_INVALIDARG;
}

HRESULT Device::CheckFeatureSupport(D3D11_FEATURE feature, void* data, UINT size) {
  if (feature == D3D11_FEATURE_THREADING && data && size == sizeof(D3D11_FEATURE_DATA_THREADING)) {
    auto* t = static_cast<D3D11_FEATURE_DATA_THREADING*>(data);
    t->DriverConcurrentCreates = TRUE;
    t->DriverCommandLists = TRUE;
    return S_OK;
  }
  return E_INVALIDARG;
}

HRESULT Device::GetPrivateData(REFGUID, UINT* size, void*) {
  if (size) *size = 0;
  return DXGI_ERROR_NOT_FOUND;
}

void Device::GetImmediateContext(ID3D11DeviceContext** context) {
  if (!context) return;
  immediate_->AddRef();
  *context = immediate_;
}

HRESULT CreateDeviceAndContext(D3D_DRIVER_TYPE driverType, UINT flags, const D3D_FEATURE_LEVEL* levels, UINT numLevels,
                               UINT sdkVersion, ID3D11Device** device, D3D_FEATURE_LEVEL* level,
                               ID3D11DeviceContext** context) {
  if (device) *device = nullptr;
  if (context) *context = nullptr;
  if (sdkVersion != D3D11_SDK_VERSION) return E_INVALIDARG;
  if (driverType != D3D_DRIVER_TYPE_HARDWARE && driverType != D3D_DRIVER_TYPE_UNKNOWN &&
      driverType != D3D_DRIVER_TYPE_WARP && driverType != D3D_DRIVER_TYPE_REFERENCE)
    return DXGI_ERROR_UNSUPPORTED;
  // Feature level 11_0 is the one offered; a list must name it.
  if (levels && numLevels > 0) {
    bool found = false;
    for (UINT i = 0; i < numLevels; ++i) found = found || levels[i] == D3D_FEATURE_LEVEL_11_0;
    if (!found) return E_INVALIDARG;
  }
  Device* made = nullptr;
  HRESULT hr = Device::Create(flags, &made);
  if (FAILED(hr)) return hr;
  if (level) *level = D3D_FEATURE_LEVEL_11_0;
  if (context) made->GetImmediateContext(context);
  if (device)
    *device = made;
  else
    made->Release();
  return S_OK;
}

}  // namespace zr::d3d11

STDAPI D3D11CreateDevice(IDXGIAdapter*, D3D_DRIVER_TYPE driverType, HMODULE, UINT flags,
                         const D3D_FEATURE_LEVEL* featureLevels, UINT numFeatureLevels, UINT sdkVersion,
                         ID3D11Device** device, D3D_FEATURE_LEVEL* featureLevel,
                         ID3D11DeviceContext** immediateContext) {
  return zr::d3d11::CreateDeviceAndContext(driverType, flags, featureLevels, numFeatureLevels, sdkVersion, device,
                                           featureLevel, immediateContext);
}
