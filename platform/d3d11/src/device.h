// The device: creation of every object, their registry for the live-object report, and
// the deduplication of state objects by normalised description.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "object.h"
#include "vk_device.h"

namespace zr::d3d11 {

class Context;

class Device final : public ID3D11Device, public TrackedObject {
 public:
  static HRESULT Create(UINT flags, Device** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefPublic(); }
  ULONG STDMETHODCALLTYPE Release() override;
  const char* TypeName() const override { return "ID3D11Device"; }

  // ID3D11Device
  HRESULT STDMETHODCALLTYPE CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                         ID3D11Buffer** buffer) override;
  HRESULT STDMETHODCALLTYPE CreateTexture1D(const D3D11_TEXTURE1D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                            ID3D11Texture1D** texture) override;
  HRESULT STDMETHODCALLTYPE CreateTexture2D(const D3D11_TEXTURE2D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                            ID3D11Texture2D** texture) override;
  HRESULT STDMETHODCALLTYPE CreateTexture3D(const D3D11_TEXTURE3D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initialData,
                                            ID3D11Texture3D** texture) override;
  HRESULT STDMETHODCALLTYPE CreateShaderResourceView(ID3D11Resource* resource,
                                                     const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                                     ID3D11ShaderResourceView** view) override;
  HRESULT STDMETHODCALLTYPE CreateUnorderedAccessView(ID3D11Resource*, const D3D11_UNORDERED_ACCESS_VIEW_DESC*,
                                                      ID3D11UnorderedAccessView** view) override;
  HRESULT STDMETHODCALLTYPE CreateRenderTargetView(ID3D11Resource* resource, const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                                   ID3D11RenderTargetView** view) override;
  HRESULT STDMETHODCALLTYPE CreateDepthStencilView(ID3D11Resource* resource, const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                                   ID3D11DepthStencilView** view) override;
  HRESULT STDMETHODCALLTYPE CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT numElements,
                                              const void* bytecode, SIZE_T bytecodeLength,
                                              ID3D11InputLayout** layout) override;
  HRESULT STDMETHODCALLTYPE CreateVertexShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                               ID3D11VertexShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreateGeometryShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                                 ID3D11GeometryShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreateGeometryShaderWithStreamOutput(const void*, SIZE_T, const D3D11_SO_DECLARATION_ENTRY*,
                                                                 UINT, const UINT*, UINT, UINT, ID3D11ClassLinkage*,
                                                                 ID3D11GeometryShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreatePixelShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                              ID3D11PixelShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreateHullShader(const void*, SIZE_T, ID3D11ClassLinkage*,
                                             ID3D11HullShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreateDomainShader(const void*, SIZE_T, ID3D11ClassLinkage*,
                                               ID3D11DomainShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreateComputeShader(const void*, SIZE_T, ID3D11ClassLinkage*,
                                                ID3D11ComputeShader** shader) override;
  HRESULT STDMETHODCALLTYPE CreateClassLinkage(ID3D11ClassLinkage** linkage) override;
  HRESULT STDMETHODCALLTYPE CreateBlendState(const D3D11_BLEND_DESC* desc, ID3D11BlendState** state) override;
  HRESULT STDMETHODCALLTYPE CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* desc,
                                                    ID3D11DepthStencilState** state) override;
  HRESULT STDMETHODCALLTYPE CreateRasterizerState(const D3D11_RASTERIZER_DESC* desc,
                                                  ID3D11RasterizerState** state) override;
  HRESULT STDMETHODCALLTYPE CreateSamplerState(const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** state) override;
  HRESULT STDMETHODCALLTYPE CreateQuery(const D3D11_QUERY_DESC*, ID3D11Query** query) override;
  HRESULT STDMETHODCALLTYPE CreatePredicate(const D3D11_QUERY_DESC*, ID3D11Predicate** predicate) override;
  HRESULT STDMETHODCALLTYPE CreateCounter(const D3D11_COUNTER_DESC*, ID3D11Counter** counter) override;
  HRESULT STDMETHODCALLTYPE CreateDeferredContext(UINT flags, ID3D11DeviceContext** context) override;
  HRESULT STDMETHODCALLTYPE OpenSharedResource(HANDLE, REFIID, void** resource) override;
  HRESULT STDMETHODCALLTYPE CheckFormatSupport(DXGI_FORMAT format, UINT* support) override;
  HRESULT STDMETHODCALLTYPE CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount, UINT* levels) override;
  void STDMETHODCALLTYPE CheckCounterInfo(D3D11_COUNTER_INFO* info) override;
  HRESULT STDMETHODCALLTYPE CheckCounter(const D3D11_COUNTER_DESC*, D3D11_COUNTER_TYPE*, UINT*, LPSTR, UINT*, LPSTR,
                                         UINT*, LPSTR, UINT*) override;
  HRESULT STDMETHODCALLTYPE CheckFeatureSupport(D3D11_FEATURE feature, void* data, UINT size) override;
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT* size, void*) override;
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return S_OK; }
  D3D_FEATURE_LEVEL STDMETHODCALLTYPE GetFeatureLevel() override { return D3D_FEATURE_LEVEL_11_0; }
  UINT STDMETHODCALLTYPE GetCreationFlags() override { return flags_; }
  HRESULT STDMETHODCALLTYPE GetDeviceRemovedReason() override { return vk_->Lost() ? DXGI_ERROR_DEVICE_REMOVED : S_OK; }
  void STDMETHODCALLTYPE GetImmediateContext(ID3D11DeviceContext** context) override;
  HRESULT STDMETHODCALLTYPE SetExceptionMode(UINT) override { return S_OK; }
  UINT STDMETHODCALLTYPE GetExceptionMode() override { return 0; }

  // The layer's side.
  VulkanDevice& Vk() { return *vk_; }
  Context* Immediate() { return immediate_; }
  // The sample count a texture gets for `wanted`; says once when it had to be lowered.
  uint32_t LowerSampleCount(uint32_t wanted);

  void Register(TrackedObject* object);
  void Unregister(TrackedObject* object);
  // Calls `visit` for every live object, under the registry lock.
  template <typename F>
  void ForEachObject(F&& visit) {
    std::lock_guard<std::mutex> lock(registryMutex_);
    for (TrackedObject* o = registryHead_; o; o = o->registryNext) visit(o);
  }

  // Returns the state object already made from the same normalised description, or
  // makes one with `make`. The cache keeps a private reference to each.
  template <typename T, typename Make>
  HRESULT FindOrMakeState(const void* key, size_t keySize, T** out, Make&& make);

 private:
  Device() : TrackedObject(nullptr) {}
  ~Device() override;
  void Destroy() override;

  std::unique_ptr<VulkanDevice> vk_;
  Context* immediate_ = nullptr;
  UINT flags_ = 0;
  std::atomic<bool> sampleCountLowered_{false};

  std::mutex registryMutex_;
  TrackedObject* registryHead_ = nullptr;

  std::mutex stateMutex_;
  std::map<std::string, TrackedObject*> states_;
};

template <typename T, typename Make>
HRESULT Device::FindOrMakeState(const void* key, size_t keySize, T** out, Make&& make) {
  std::string k(static_cast<const char*>(key), keySize);
  std::lock_guard<std::mutex> lock(stateMutex_);
  auto it = states_.find(k);
  if (it == states_.end()) {
    T* made = nullptr;
    HRESULT hr = make(&made);
    if (FAILED(hr)) return hr;
    made->AddRefPrivate();
    made->ReleasePublic();  // the cache's reference is a private one
    it = states_.emplace(std::move(k), made).first;
  }
  T* state = static_cast<T*>(it->second);
  state->AddRefPublic();
  *out = state;
  return S_OK;
}

// The device's debug interface (the live-object report).
HRESULT CreateDebugInterface(Device* device, ID3D11Debug** out);

// Creates a device as D3D11CreateDevice does (feature level 11_0).
HRESULT CreateDeviceAndContext(D3D_DRIVER_TYPE driverType, UINT flags, const D3D_FEATURE_LEVEL* levels, UINT numLevels,
                               UINT sdkVersion, ID3D11Device** device, D3D_FEATURE_LEVEL* level,
                               ID3D11DeviceContext** context);

}  // namespace zr::d3d11
