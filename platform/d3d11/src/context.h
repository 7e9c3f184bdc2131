// The device contexts: the immediate one runs commands as they come (through its
// Executor); a deferred one records them into a command list.
#pragma once

#include <memory>
#include <vector>

#include "commands.h"

namespace zr::d3d11 {

class Executor;

// A finished recording: the commands and what they point at.
class CommandList final : public DeviceChild<ID3D11CommandList> {
 public:
  explicit CommandList(Device* device) : DeviceChild(device) {}
  const char* TypeName() const override { return "ID3D11CommandList"; }
  UINT STDMETHODCALLTYPE GetContextFlags() override { return 0; }

  std::vector<Command> commands;
  std::vector<std::unique_ptr<uint8_t[]>> arena;         // arrays and update data
  std::vector<std::unique_ptr<ContextState>> snapshots;  // states a list starts from
  std::vector<Ref<TrackedObject>> held;                  // every object a command names
};

class Context final : public DeviceChild<ID3D11DeviceContext> {
 public:
  static HRESULT CreateImmediate(Device* device, Context** out);
  static HRESULT CreateDeferred(Device* device, Context** out);
  const char* TypeName() const override { return "ID3D11DeviceContext"; }

  // The immediate context counts with its device.
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  void STDMETHODCALLTYPE GetDevice(ID3D11Device** device) override;

  // Drops the immediate context's bindings and submits (the device is going away).
  void ReleaseBindings();
  Executor* GetExecutor() { return executor_.get(); }

  void STDMETHODCALLTYPE VSSetConstantBuffers(UINT start, UINT n, ID3D11Buffer* const* buffers) override;
  void STDMETHODCALLTYPE PSSetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView* const* views) override;
  void STDMETHODCALLTYPE PSSetShader(ID3D11PixelShader* shader, ID3D11ClassInstance* const*, UINT) override;
  void STDMETHODCALLTYPE PSSetSamplers(UINT start, UINT n, ID3D11SamplerState* const* samplers) override;
  void STDMETHODCALLTYPE VSSetShader(ID3D11VertexShader* shader, ID3D11ClassInstance* const*, UINT) override;
  void STDMETHODCALLTYPE DrawIndexed(UINT indexCount, UINT startIndex, INT baseVertex) override;
  void STDMETHODCALLTYPE Draw(UINT vertexCount, UINT startVertex) override;
  HRESULT STDMETHODCALLTYPE Map(ID3D11Resource* resource, UINT subresource, D3D11_MAP type, UINT flags,
                                D3D11_MAPPED_SUBRESOURCE* mapped) override;
  void STDMETHODCALLTYPE Unmap(ID3D11Resource* resource, UINT subresource) override;
  void STDMETHODCALLTYPE PSSetConstantBuffers(UINT start, UINT n, ID3D11Buffer* const* buffers) override;
  void STDMETHODCALLTYPE IASetInputLayout(ID3D11InputLayout* layout) override;
  void STDMETHODCALLTYPE IASetVertexBuffers(UINT start, UINT n, ID3D11Buffer* const* buffers, const UINT* strides,
                                            const UINT* offsets) override;
  void STDMETHODCALLTYPE IASetIndexBuffer(ID3D11Buffer* buffer, DXGI_FORMAT format, UINT offset) override;
  void STDMETHODCALLTYPE DrawIndexedInstanced(UINT indexCount, UINT instanceCount, UINT startIndex, INT baseVertex,
                                              UINT startInstance) override;
  void STDMETHODCALLTYPE DrawInstanced(UINT vertexCount, UINT instanceCount, UINT startVertex,
                                       UINT startInstance) override;
  void STDMETHODCALLTYPE GSSetConstantBuffers(UINT start, UINT n, ID3D11Buffer* const* buffers) override;
  void STDMETHODCALLTYPE GSSetShader(ID3D11GeometryShader* shader, ID3D11ClassInstance* const*, UINT) override;
  void STDMETHODCALLTYPE IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY topology) override;
  void STDMETHODCALLTYPE VSSetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView* const* views) override;
  void STDMETHODCALLTYPE VSSetSamplers(UINT start, UINT n, ID3D11SamplerState* const* samplers) override;
  void STDMETHODCALLTYPE Begin(ID3D11Asynchronous*) override {}
  void STDMETHODCALLTYPE End(ID3D11Asynchronous*) override {}
  HRESULT STDMETHODCALLTYPE GetData(ID3D11Asynchronous*, void*, UINT, UINT) override { return E_INVALIDARG; }
  void STDMETHODCALLTYPE SetPredication(ID3D11Predicate*, BOOL) override {}
  void STDMETHODCALLTYPE GSSetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView* const* views) override;
  void STDMETHODCALLTYPE GSSetSamplers(UINT start, UINT n, ID3D11SamplerState* const* samplers) override;
  void STDMETHODCALLTYPE OMSetRenderTargets(UINT n, ID3D11RenderTargetView* const* views,
                                            ID3D11DepthStencilView* depthStencil) override;
  void STDMETHODCALLTYPE OMSetRenderTargetsAndUnorderedAccessViews(UINT n, ID3D11RenderTargetView* const* views,
                                                                   ID3D11DepthStencilView* depthStencil, UINT, UINT,
                                                                   ID3D11UnorderedAccessView* const*,
                                                                   const UINT*) override;
  void STDMETHODCALLTYPE OMSetBlendState(ID3D11BlendState* state, const FLOAT factor[4], UINT sampleMask) override;
  void STDMETHODCALLTYPE OMSetDepthStencilState(ID3D11DepthStencilState* state, UINT stencilRef) override;
  void STDMETHODCALLTYPE SOSetTargets(UINT, ID3D11Buffer* const*, const UINT*) override {}
  void STDMETHODCALLTYPE DrawAuto() override {}
  void STDMETHODCALLTYPE DrawIndexedInstancedIndirect(ID3D11Buffer*, UINT) override {}
  void STDMETHODCALLTYPE DrawInstancedIndirect(ID3D11Buffer*, UINT) override {}
  void STDMETHODCALLTYPE Dispatch(UINT, UINT, UINT) override {}
  void STDMETHODCALLTYPE DispatchIndirect(ID3D11Buffer*, UINT) override {}
  void STDMETHODCALLTYPE RSSetState(ID3D11RasterizerState* state) override;
  void STDMETHODCALLTYPE RSSetViewports(UINT n, const D3D11_VIEWPORT* viewports) override;
  void STDMETHODCALLTYPE RSSetScissorRects(UINT n, const D3D11_RECT* rects) override;
  void STDMETHODCALLTYPE CopySubresourceRegion(ID3D11Resource* dst, UINT dstSub, UINT x, UINT y, UINT z,
                                               ID3D11Resource* src, UINT srcSub, const D3D11_BOX* box) override;
  void STDMETHODCALLTYPE CopyResource(ID3D11Resource* dst, ID3D11Resource* src) override;
  void STDMETHODCALLTYPE UpdateSubresource(ID3D11Resource* dst, UINT dstSub, const D3D11_BOX* box, const void* data,
                                           UINT rowPitch, UINT depthPitch) override;
  void STDMETHODCALLTYPE CopyStructureCount(ID3D11Buffer*, UINT, ID3D11UnorderedAccessView*) override {}
  void STDMETHODCALLTYPE ClearRenderTargetView(ID3D11RenderTargetView* view, const FLOAT color[4]) override;
  void STDMETHODCALLTYPE ClearUnorderedAccessViewUint(ID3D11UnorderedAccessView*, const UINT[4]) override {}
  void STDMETHODCALLTYPE ClearUnorderedAccessViewFloat(ID3D11UnorderedAccessView*, const FLOAT[4]) override {}
  void STDMETHODCALLTYPE ClearDepthStencilView(ID3D11DepthStencilView* view, UINT flags, FLOAT depth,
                                               UINT8 stencil) override;
  void STDMETHODCALLTYPE GenerateMips(ID3D11ShaderResourceView*) override {}
  void STDMETHODCALLTYPE SetResourceMinLOD(ID3D11Resource*, FLOAT) override {}
  FLOAT STDMETHODCALLTYPE GetResourceMinLOD(ID3D11Resource*) override { return 0.0f; }
  void STDMETHODCALLTYPE ResolveSubresource(ID3D11Resource* dst, UINT dstSub, ID3D11Resource* src, UINT srcSub,
                                            DXGI_FORMAT format) override;
  void STDMETHODCALLTYPE ExecuteCommandList(ID3D11CommandList* list, BOOL restore) override;
  void STDMETHODCALLTYPE HSSetShaderResources(UINT, UINT, ID3D11ShaderResourceView* const*) override {}
  void STDMETHODCALLTYPE HSSetShader(ID3D11HullShader*, ID3D11ClassInstance* const*, UINT) override {}
  void STDMETHODCALLTYPE HSSetSamplers(UINT, UINT, ID3D11SamplerState* const*) override {}
  void STDMETHODCALLTYPE HSSetConstantBuffers(UINT, UINT, ID3D11Buffer* const*) override {}
  void STDMETHODCALLTYPE DSSetShaderResources(UINT, UINT, ID3D11ShaderResourceView* const*) override {}
  void STDMETHODCALLTYPE DSSetShader(ID3D11DomainShader*, ID3D11ClassInstance* const*, UINT) override {}
  void STDMETHODCALLTYPE DSSetSamplers(UINT, UINT, ID3D11SamplerState* const*) override {}
  void STDMETHODCALLTYPE DSSetConstantBuffers(UINT, UINT, ID3D11Buffer* const*) override {}
  void STDMETHODCALLTYPE CSSetShaderResources(UINT, UINT, ID3D11ShaderResourceView* const*) override {}
  void STDMETHODCALLTYPE CSSetUnorderedAccessViews(UINT, UINT, ID3D11UnorderedAccessView* const*,
                                                   const UINT*) override {}
  void STDMETHODCALLTYPE CSSetShader(ID3D11ComputeShader*, ID3D11ClassInstance* const*, UINT) override {}
  void STDMETHODCALLTYPE CSSetSamplers(UINT, UINT, ID3D11SamplerState* const*) override {}
  void STDMETHODCALLTYPE CSSetConstantBuffers(UINT, UINT, ID3D11Buffer* const*) override {}
  void STDMETHODCALLTYPE VSGetConstantBuffers(UINT start, UINT n, ID3D11Buffer** buffers) override;
  void STDMETHODCALLTYPE PSGetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView** views) override;
  void STDMETHODCALLTYPE PSGetShader(ID3D11PixelShader** shader, ID3D11ClassInstance**, UINT* n) override;
  void STDMETHODCALLTYPE PSGetSamplers(UINT start, UINT n, ID3D11SamplerState** samplers) override;
  void STDMETHODCALLTYPE VSGetShader(ID3D11VertexShader** shader, ID3D11ClassInstance**, UINT* n) override;
  void STDMETHODCALLTYPE PSGetConstantBuffers(UINT start, UINT n, ID3D11Buffer** buffers) override;
  void STDMETHODCALLTYPE IAGetInputLayout(ID3D11InputLayout** layout) override;
  void STDMETHODCALLTYPE IAGetVertexBuffers(UINT start, UINT n, ID3D11Buffer** buffers, UINT* strides,
                                            UINT* offsets) override;
  void STDMETHODCALLTYPE IAGetIndexBuffer(ID3D11Buffer** buffer, DXGI_FORMAT* format, UINT* offset) override;
  void STDMETHODCALLTYPE GSGetConstantBuffers(UINT start, UINT n, ID3D11Buffer** buffers) override;
  void STDMETHODCALLTYPE GSGetShader(ID3D11GeometryShader** shader, ID3D11ClassInstance**, UINT* n) override;
  void STDMETHODCALLTYPE IAGetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY* topology) override;
  void STDMETHODCALLTYPE VSGetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView** views) override;
  void STDMETHODCALLTYPE VSGetSamplers(UINT start, UINT n, ID3D11SamplerState** samplers) override;
  void STDMETHODCALLTYPE GetPredication(ID3D11Predicate** predicate, BOOL* value) override;
  void STDMETHODCALLTYPE GSGetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView** views) override;
  void STDMETHODCALLTYPE GSGetSamplers(UINT start, UINT n, ID3D11SamplerState** samplers) override;
  void STDMETHODCALLTYPE OMGetRenderTargets(UINT n, ID3D11RenderTargetView** views,
                                            ID3D11DepthStencilView** depthStencil) override;
  void STDMETHODCALLTYPE OMGetRenderTargetsAndUnorderedAccessViews(UINT n, ID3D11RenderTargetView** views,
                                                                   ID3D11DepthStencilView** depthStencil, UINT,
                                                                   UINT numUavs,
                                                                   ID3D11UnorderedAccessView** uavs) override;
  void STDMETHODCALLTYPE OMGetBlendState(ID3D11BlendState** state, FLOAT factor[4], UINT* sampleMask) override;
  void STDMETHODCALLTYPE OMGetDepthStencilState(ID3D11DepthStencilState** state, UINT* stencilRef) override;
  void STDMETHODCALLTYPE SOGetTargets(UINT n, ID3D11Buffer** targets) override;
  void STDMETHODCALLTYPE RSGetState(ID3D11RasterizerState** state) override;
  void STDMETHODCALLTYPE RSGetViewports(UINT* n, D3D11_VIEWPORT* viewports) override;
  void STDMETHODCALLTYPE RSGetScissorRects(UINT* n, D3D11_RECT* rects) override;
  void STDMETHODCALLTYPE HSGetShaderResources(UINT, UINT n, ID3D11ShaderResourceView** views) override;
  void STDMETHODCALLTYPE HSGetShader(ID3D11HullShader** shader, ID3D11ClassInstance**, UINT* n) override;
  void STDMETHODCALLTYPE HSGetSamplers(UINT, UINT n, ID3D11SamplerState** samplers) override;
  void STDMETHODCALLTYPE HSGetConstantBuffers(UINT, UINT n, ID3D11Buffer** buffers) override;
  void STDMETHODCALLTYPE DSGetShaderResources(UINT, UINT n, ID3D11ShaderResourceView** views) override;
  void STDMETHODCALLTYPE DSGetShader(ID3D11DomainShader** shader, ID3D11ClassInstance**, UINT* n) override;
  void STDMETHODCALLTYPE DSGetSamplers(UINT, UINT n, ID3D11SamplerState** samplers) override;
  void STDMETHODCALLTYPE DSGetConstantBuffers(UINT, UINT n, ID3D11Buffer** buffers) override;
  void STDMETHODCALLTYPE CSGetShaderResources(UINT, UINT n, ID3D11ShaderResourceView** views) override;
  void STDMETHODCALLTYPE CSGetUnorderedAccessViews(UINT, UINT n, ID3D11UnorderedAccessView** uavs) override;
  void STDMETHODCALLTYPE CSGetShader(ID3D11ComputeShader** shader, ID3D11ClassInstance**, UINT* n) override;
  void STDMETHODCALLTYPE CSGetSamplers(UINT, UINT n, ID3D11SamplerState** samplers) override;
  void STDMETHODCALLTYPE CSGetConstantBuffers(UINT, UINT n, ID3D11Buffer** buffers) override;
  void STDMETHODCALLTYPE ClearState() override;
  void STDMETHODCALLTYPE Flush() override;
  D3D11_DEVICE_CONTEXT_TYPE STDMETHODCALLTYPE GetType() override {
    return executor_ ? D3D11_DEVICE_CONTEXT_IMMEDIATE : D3D11_DEVICE_CONTEXT_DEFERRED;
  }
  UINT STDMETHODCALLTYPE GetContextFlags() override { return 0; }
  HRESULT STDMETHODCALLTYPE FinishCommandList(BOOL restore, ID3D11CommandList** list) override;

  ~Context() override;

 private:
  Context(Device* tracked, Device* owner);
  ContextState& State();
  void Issue(const Command& command);
  // Deferred recording: copies of arrays and data live in the list being recorded.
  template <typename T>
  const T* Keep(const T* data, size_t count);
  void Hold(TrackedObject* object);
  void Persist(Command& command);
  void SetBuffers(StageSlot stage, UINT start, UINT n, ID3D11Buffer* const* buffers);
  void SetResources(StageSlot stage, UINT start, UINT n, ID3D11ShaderResourceView* const* views);
  void SetSamplerStates(StageSlot stage, UINT start, UINT n, ID3D11SamplerState* const* samplers);
  void GetBuffers(StageSlot stage, UINT start, UINT n, ID3D11Buffer** buffers);
  void GetResources(StageSlot stage, UINT start, UINT n, ID3D11ShaderResourceView** views);
  void GetSamplerStates(StageSlot stage, UINT start, UINT n, ID3D11SamplerState** samplers);

  Device* device_;
  std::unique_ptr<Executor> executor_;  // immediate only
  ContextState shadow_;                 // deferred: the state as recorded so far
  bool restorePending_ = false;         // deferred: the list continues shadow_, taken at its first draw
  CommandList* recording_ = nullptr;    // deferred: the list being recorded (its public reference)
};

}  // namespace zr::d3d11
