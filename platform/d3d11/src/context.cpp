#include "context.h"

#include <algorithm>
#include <cstring>

#include "device.h"
#include "executor.h"

namespace zr::d3d11 {
namespace {

template <typename T, typename I>
void Assign(Ref<T>* slots, UINT start, UINT n, UINT max, I* const* items) {
  for (UINT i = 0; i < n && start + i < max; ++i) slots[start + i] = items[i];
}

template <typename Out, typename T>
Out* Expose(const Ref<T>& ref) {
  T* p = ref.get();
  if (!p) return nullptr;
  p->AddRef();
  return static_cast<Out*>(p);
}

}  // namespace

void ApplyState(ContextState& s, const Command& command) {
  std::visit(
      [&](const auto& c) {
        using T = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<T, cmd::SetInputLayout>) {
          s.inputLayout = c.layout;
        } else if constexpr (std::is_same_v<T, cmd::SetTopology>) {
          s.topology = c.topology;
        } else if constexpr (std::is_same_v<T, cmd::SetVertexBuffers>) {
          for (UINT i = 0; i < c.count && c.start + i < kMaxVertexBuffers; ++i) {
            s.vertexBuffers[c.start + i] = c.buffers[i];
            s.strides[c.start + i] = c.strides ? c.strides[i] : 0;
            s.offsets[c.start + i] = c.offsets ? c.offsets[i] : 0;
          }
        } else if constexpr (std::is_same_v<T, cmd::SetIndexBuffer>) {
          s.indexBuffer = c.buffer;
          s.indexFormat = c.format;
          s.indexOffset = c.offset;
        } else if constexpr (std::is_same_v<T, cmd::SetShader>) {
          if (c.stage == kVS) s.vs = static_cast<VertexShader*>(c.shader);
          if (c.stage == kGS) s.gs = static_cast<GeometryShader*>(c.shader);
          if (c.stage == kPS) s.ps = static_cast<PixelShader*>(c.shader);
        } else if constexpr (std::is_same_v<T, cmd::SetConstantBuffers>) {
          Assign(s.stages[c.stage].constantBuffers, c.start, c.count, kMaxConstantBuffers, c.buffers);
        } else if constexpr (std::is_same_v<T, cmd::SetShaderResources>) {
          Assign(s.stages[c.stage].resources, c.start, c.count, kMaxShaderResources, c.views);
        } else if constexpr (std::is_same_v<T, cmd::SetSamplers>) {
          Assign(s.stages[c.stage].samplers, c.start, c.count, kMaxSamplers, c.samplers);
        } else if constexpr (std::is_same_v<T, cmd::SetRasterizer>) {
          s.rasterizer = c.state;
        } else if constexpr (std::is_same_v<T, cmd::SetDepthStencil>) {
          s.depthStencil = c.state;
          s.stencilRef = c.stencilRef;
        } else if constexpr (std::is_same_v<T, cmd::SetBlend>) {
          s.blend = c.state;
          std::copy(c.factor, c.factor + 4, s.blendFactor);
          s.sampleMask = c.sampleMask;
        } else if constexpr (std::is_same_v<T, cmd::SetRenderTargets>) {
          for (UINT i = 0; i < kMaxRenderTargets; ++i) s.renderTargets[i] = i < c.count ? c.views[i] : nullptr;
          s.depthStencilView = c.depthStencil;
        } else if constexpr (std::is_same_v<T, cmd::SetViewports>) {
          s.numViewports = std::min<UINT>(c.count, kMaxViewports);
          std::copy(c.viewports, c.viewports + s.numViewports, s.viewports);
        } else if constexpr (std::is_same_v<T, cmd::SetScissors>) {
          s.numScissors = std::min<UINT>(c.count, kMaxViewports);
          std::copy(c.rects, c.rects + s.numScissors, s.scissors);
        } else if constexpr (std::is_same_v<T, cmd::ClearState>) {
          s = ContextState{};
        } else if constexpr (std::is_same_v<T, cmd::RestoreState>) {
          s = *c.state;
        }
      },
      command);
}

// ---- Creation and lifetime -------------------------------------------------------------------

Context::Context(Device* tracked, Device* owner) : DeviceChild(tracked), device_(owner) {}

HRESULT Context::CreateImmediate(Device* device, Context** out) {
  Context* c = new Context(nullptr, device);
  c->executor_ = std::make_unique<Executor>(device);
  HRESULT hr = c->executor_->Init();
  if (FAILED(hr)) {
    delete c;
    return hr;
  }
  *out = c;
  return S_OK;
}

HRESULT Context::CreateDeferred(Device* device, Context** out) {
  Context* c = new Context(device, device);
  c->recording_ = new CommandList(device);
  *out = c;
  return S_OK;
}

Context::~Context() {
  if (executor_) executor_->FlushAndWait();
  executor_.reset();
  if (recording_) recording_->Release();
}

ULONG Context::AddRef() { return executor_ ? device_->AddRef() : AddRefPublic(); }
ULONG Context::Release() { return executor_ ? device_->Release() : ReleasePublic(); }

void Context::GetDevice(ID3D11Device** device) {
  device_->AddRef();
  *device = device_;
}

void Context::ReleaseBindings() {
  executor_->state = ContextState{};
  executor_->Flush();
}

ContextState& Context::State() { return executor_ ? executor_->state : shadow_; }

// ---- Recording -------------------------------------------------------------------------------

void Context::Issue(const Command& command) {
  if (executor_) {
    executor_->Run(command);
    return;
  }
  Command copy = command;
  Persist(copy);
  // A list that continues the previous one's state takes that state at its first draw,
  // so that bindings replaced before any draw (a resize unbinding the old targets) are
  // not held by the list.
  if (restorePending_ && (std::holds_alternative<cmd::Draw>(copy) || std::holds_alternative<cmd::DrawIndexed>(copy))) {
    auto snapshot = std::make_unique<ContextState>(shadow_);
    recording_->commands.insert(recording_->commands.begin(), cmd::RestoreState{snapshot.get()});
    recording_->snapshots.push_back(std::move(snapshot));
    restorePending_ = false;
  }
  ApplyState(shadow_, copy);
  recording_->commands.push_back(copy);
}

template <typename T>
const T* Context::Keep(const T* data, size_t count) {
  if (!data || count == 0) return nullptr;
  auto block = std::make_unique<uint8_t[]>(sizeof(T) * count);
  std::memcpy(block.get(), data, sizeof(T) * count);
  const T* kept = reinterpret_cast<const T*>(block.get());
  recording_->arena.push_back(std::move(block));
  return kept;
}

void Context::Hold(TrackedObject* object) {
  if (object) recording_->held.emplace_back(object);
}

void Context::Persist(Command& command) {
  std::visit(
      [&](auto& c) {
        using T = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<T, cmd::SetInputLayout>) {
          Hold(c.layout);
        } else if constexpr (std::is_same_v<T, cmd::SetVertexBuffers>) {
          c.buffers = Keep(c.buffers, c.count);
          c.strides = Keep(c.strides, c.count);
          c.offsets = Keep(c.offsets, c.count);
          for (UINT i = 0; i < c.count; ++i) Hold(c.buffers[i]);
        } else if constexpr (std::is_same_v<T, cmd::SetIndexBuffer>) {
          Hold(c.buffer);
        } else if constexpr (std::is_same_v<T, cmd::SetShader>) {
          Hold(c.shader);
        } else if constexpr (std::is_same_v<T, cmd::SetConstantBuffers>) {
          c.buffers = Keep(c.buffers, c.count);
          for (UINT i = 0; i < c.count; ++i) Hold(c.buffers[i]);
        } else if constexpr (std::is_same_v<T, cmd::SetShaderResources>) {
          c.views = Keep(c.views, c.count);
          for (UINT i = 0; i < c.count; ++i) Hold(c.views[i]);
        } else if constexpr (std::is_same_v<T, cmd::SetSamplers>) {
          c.samplers = Keep(c.samplers, c.count);
          for (UINT i = 0; i < c.count; ++i) Hold(c.samplers[i]);
        } else if constexpr (std::is_same_v<T, cmd::SetRasterizer> || std::is_same_v<T, cmd::SetDepthStencil> ||
                             std::is_same_v<T, cmd::SetBlend>) {
          Hold(c.state);
        } else if constexpr (std::is_same_v<T, cmd::SetRenderTargets>) {
          c.views = Keep(c.views, c.count);
          for (UINT i = 0; i < c.count; ++i) Hold(c.views[i]);
          Hold(c.depthStencil);
        } else if constexpr (std::is_same_v<T, cmd::SetViewports>) {
          c.viewports = Keep(c.viewports, c.count);
        } else if constexpr (std::is_same_v<T, cmd::SetScissors>) {
          c.rects = Keep(c.rects, c.count);
        } else if constexpr (std::is_same_v<T, cmd::ClearRenderTarget> || std::is_same_v<T, cmd::ClearDepthStencil>) {
          Hold(c.view);
        } else if constexpr (std::is_same_v<T, cmd::Update>) {
          Hold(AsTracked(c.resource));
          c.data = Keep(static_cast<const uint8_t*>(c.data), c.depthPitch);
        } else if constexpr (std::is_same_v<T, cmd::Copy> || std::is_same_v<T, cmd::CopyRegion> ||
                             std::is_same_v<T, cmd::Resolve>) {
          Hold(AsTracked(c.dst));
          Hold(AsTracked(c.src));
        }
      },
      command);
}

HRESULT Context::FinishCommandList(BOOL restore, ID3D11CommandList** list) {
  if (executor_ || !list) return DXGI_ERROR_INVALID_CALL;
  CommandList* next = new CommandList(device_);
  // With restore the next list starts from the state recorded so far (taken at its
  // first draw); without, from the cleared state.
  restorePending_ = restore != FALSE;
  if (!restore) shadow_ = ContextState{};
  *list = recording_;
  recording_ = next;
  return S_OK;
}

void Context::ExecuteCommandList(ID3D11CommandList* list, BOOL restore) {
  if (!list || !executor_) return;
  executor_->RunList(*static_cast<CommandList*>(list), restore != FALSE);
}

// ---- Bindings --------------------------------------------------------------------------------

void Context::SetBuffers(StageSlot stage, UINT start, UINT n, ID3D11Buffer* const* buffers) {
  Buffer* list[kMaxConstantBuffers] = {};
  n = std::min(n, kMaxConstantBuffers - std::min(start, kMaxConstantBuffers));
  for (UINT i = 0; i < n; ++i) list[i] = buffers ? static_cast<Buffer*>(buffers[i]) : nullptr;
  Issue(cmd::SetConstantBuffers{stage, start, n, list});
}
void Context::SetResources(StageSlot stage, UINT start, UINT n, ID3D11ShaderResourceView* const* views) {
  ShaderResourceView* list[kMaxShaderResources] = {};
  n = std::min(n, kMaxShaderResources - std::min(start, kMaxShaderResources));
  for (UINT i = 0; i < n; ++i) list[i] = views ? static_cast<ShaderResourceView*>(views[i]) : nullptr;
  Issue(cmd::SetShaderResources{stage, start, n, list});
}
void Context::SetSamplerStates(StageSlot stage, UINT start, UINT n, ID3D11SamplerState* const* samplers) {
  SamplerState* list[kMaxSamplers] = {};
  n = std::min(n, kMaxSamplers - std::min(start, kMaxSamplers));
  for (UINT i = 0; i < n; ++i) list[i] = samplers ? static_cast<SamplerState*>(samplers[i]) : nullptr;
  Issue(cmd::SetSamplers{stage, start, n, list});
}

void Context::VSSetConstantBuffers(UINT start, UINT n, ID3D11Buffer* const* b) { SetBuffers(kVS, start, n, b); }
void Context::GSSetConstantBuffers(UINT start, UINT n, ID3D11Buffer* const* b) { SetBuffers(kGS, start, n, b); }
void Context::PSSetConstantBuffers(UINT start, UINT n, ID3D11Buffer* const* b) { SetBuffers(kPS, start, n, b); }
void Context::VSSetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView* const* v) {
  SetResources(kVS, start, n, v);
}
void Context::GSSetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView* const* v) {
  SetResources(kGS, start, n, v);
}
void Context::PSSetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView* const* v) {
  SetResources(kPS, start, n, v);
}
void Context::VSSetSamplers(UINT start, UINT n, ID3D11SamplerState* const* s) { SetSamplerStates(kVS, start, n, s); }
void Context::GSSetSamplers(UINT start, UINT n, ID3D11SamplerState* const* s) { SetSamplerStates(kGS, start, n, s); }
void Context::PSSetSamplers(UINT start, UINT n, ID3D11SamplerState* const* s) { SetSamplerStates(kPS, start, n, s); }

void Context::VSSetShader(ID3D11VertexShader* shader, ID3D11ClassInstance* const*, UINT) {
  Issue(cmd::SetShader{kVS, static_cast<VertexShader*>(shader)});
}
void Context::GSSetShader(ID3D11GeometryShader* shader, ID3D11ClassInstance* const*, UINT) {
  Issue(cmd::SetShader{kGS, static_cast<GeometryShader*>(shader)});
}
void Context::PSSetShader(ID3D11PixelShader* shader, ID3D11ClassInstance* const*, UINT) {
  Issue(cmd::SetShader{kPS, static_cast<PixelShader*>(shader)});
}

void Context::IASetInputLayout(ID3D11InputLayout* layout) {
  Issue(cmd::SetInputLayout{static_cast<InputLayout*>(layout)});
}
void Context::IASetVertexBuffers(UINT start, UINT n, ID3D11Buffer* const* buffers, const UINT* strides,
                                 const UINT* offsets) {
  Buffer* list[kMaxVertexBuffers] = {};
  n = std::min(n, kMaxVertexBuffers - std::min(start, kMaxVertexBuffers));
  for (UINT i = 0; i < n; ++i) list[i] = buffers ? static_cast<Buffer*>(buffers[i]) : nullptr;
  Issue(cmd::SetVertexBuffers{start, n, list, strides, offsets});
}
void Context::IASetIndexBuffer(ID3D11Buffer* buffer, DXGI_FORMAT format, UINT offset) {
  Issue(cmd::SetIndexBuffer{static_cast<Buffer*>(buffer), format, offset});
}
void Context::IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY topology) { Issue(cmd::SetTopology{topology}); }

void Context::RSSetState(ID3D11RasterizerState* state) {
  Issue(cmd::SetRasterizer{static_cast<RasterizerState*>(state)});
}
void Context::RSSetViewports(UINT n, const D3D11_VIEWPORT* viewports) {
  Issue(cmd::SetViewports{viewports ? n : 0, viewports});
}
void Context::RSSetScissorRects(UINT n, const D3D11_RECT* rects) { Issue(cmd::SetScissors{rects ? n : 0, rects}); }

void Context::OMSetRenderTargets(UINT n, ID3D11RenderTargetView* const* views, ID3D11DepthStencilView* depthStencil) {
  RenderTargetView* list[kMaxRenderTargets] = {};
  n = std::min(n, kMaxRenderTargets);
  for (UINT i = 0; i < n; ++i) list[i] = views ? static_cast<RenderTargetView*>(views[i]) : nullptr;
  Issue(cmd::SetRenderTargets{n, list, static_cast<DepthStencilView*>(depthStencil)});
}
void Context::OMSetRenderTargetsAndUnorderedAccessViews(UINT n, ID3D11RenderTargetView* const* views,
                                                        ID3D11DepthStencilView* depthStencil, UINT, UINT,
                                                        ID3D11UnorderedAccessView* const*, const UINT*) {
  if (n != D3D11_KEEP_RENDER_TARGETS_AND_DEPTH_STENCIL) OMSetRenderTargets(n, views, depthStencil);
}
void Context::OMSetBlendState(ID3D11BlendState* state, const FLOAT factor[4], UINT sampleMask) {
  cmd::SetBlend c{static_cast<BlendState*>(state), {1, 1, 1, 1}, sampleMask};
  if (factor) std::copy(factor, factor + 4, c.factor);
  Issue(c);
}
void Context::OMSetDepthStencilState(ID3D11DepthStencilState* state, UINT stencilRef) {
  Issue(cmd::SetDepthStencil{static_cast<DepthStencilState*>(state), stencilRef});
}

void Context::ClearState() { Issue(cmd::ClearState{}); }

// ---- Actions ---------------------------------------------------------------------------------

void Context::Draw(UINT vertexCount, UINT startVertex) { Issue(cmd::Draw{vertexCount, 1, startVertex, 0}); }
void Context::DrawInstanced(UINT vertexCount, UINT instanceCount, UINT startVertex, UINT startInstance) {
  Issue(cmd::Draw{vertexCount, instanceCount, startVertex, startInstance});
}
void Context::DrawIndexed(UINT indexCount, UINT startIndex, INT baseVertex) {
  Issue(cmd::DrawIndexed{indexCount, 1, startIndex, baseVertex, 0});
}
void Context::DrawIndexedInstanced(UINT indexCount, UINT instanceCount, UINT startIndex, INT baseVertex,
                                   UINT startInstance) {
  Issue(cmd::DrawIndexed{indexCount, instanceCount, startIndex, baseVertex, startInstance});
}

void Context::ClearRenderTargetView(ID3D11RenderTargetView* view, const FLOAT color[4]) {
  if (!view || !color) return;
  cmd::ClearRenderTarget c{static_cast<RenderTargetView*>(view), {}};
  std::copy(color, color + 4, c.color);
  Issue(c);
}
void Context::ClearDepthStencilView(ID3D11DepthStencilView* view, UINT flags, FLOAT depth, UINT8 stencil) {
  if (!view) return;
  Issue(cmd::ClearDepthStencil{static_cast<DepthStencilView*>(view), flags, depth, stencil});
}

void Context::UpdateSubresource(ID3D11Resource* dst, UINT dstSub, const D3D11_BOX* box, const void* data, UINT rowPitch,
                                UINT depthPitch) {
  if (!dst || !data) return;
  cmd::Update c{dst, dstSub, box != nullptr, box ? *box : D3D11_BOX{}, data, rowPitch, depthPitch};
  // The number of source bytes the update reads, so a recording can keep a copy.
  if (Buffer* b = AsBuffer(dst)) {
    UINT left = box ? box->left : 0, right = box ? box->right : b->Desc().ByteWidth;
    if (dstSub != 0 || right > b->Desc().ByteWidth || left >= right) return;
    c.rowPitch = c.depthPitch = right - left;
  } else if (TextureData* t = AsTexture(dst)) {
    if (dstSub >= t->SubresourceCount() || !t->image || t->usage != D3D11_USAGE_DEFAULT) return;
    VkExtent3D e = t->MipExtent(dstSub % t->mipLevels);
    if (box && (box->right > e.width || box->bottom > e.height || box->back > e.depth || box->left >= box->right ||
                box->top >= box->bottom || box->front >= box->back))
      return;
    UINT w = box ? box->right - box->left : e.width, h = box ? box->bottom - box->top : e.height,
         d = box ? box->back - box->front : e.depth;
    UINT rows = BlockRows(t->info, h);
    UINT rowBytes = SourceRowBytes(t->info, w);
    if (rowPitch < rowBytes) rowPitch = rowBytes;
    if (depthPitch < rowPitch * rows) depthPitch = rowPitch * rows;
    c.rowPitch = rowPitch;
    c.depthPitch = depthPitch;
    // The whole source: d slices, the last one only as far as its last row.
    c.depthPitch = depthPitch;
    if (!executor_) {
      size_t size = static_cast<size_t>(depthPitch) * (d - 1) + static_cast<size_t>(rowPitch) * (rows - 1) + rowBytes;
      Command copy = c;
      Hold(AsTracked(dst));
      auto& u = std::get<cmd::Update>(copy);
      u.data = Keep(static_cast<const uint8_t*>(data), size);
      recording_->commands.push_back(copy);
      return;
    }
  } else {
    return;
  }
  Issue(c);
}

void Context::CopyResource(ID3D11Resource* dst, ID3D11Resource* src) {
  if (!dst || !src || dst == src) return;
  Issue(cmd::Copy{dst, src});
}
void Context::CopySubresourceRegion(ID3D11Resource* dst, UINT dstSub, UINT x, UINT y, UINT z, ID3D11Resource* src,
                                    UINT srcSub, const D3D11_BOX* box) {
  if (!dst || !src) return;
  Issue(cmd::CopyRegion{dst, dstSub, x, y, z, src, srcSub, box != nullptr, box ? *box : D3D11_BOX{}});
}
void Context::ResolveSubresource(ID3D11Resource* dst, UINT dstSub, ID3D11Resource* src, UINT srcSub, DXGI_FORMAT) {
  if (!dst || !src) return;
  Issue(cmd::Resolve{dst, dstSub, src, srcSub});
}

HRESULT Context::Map(ID3D11Resource* resource, UINT sub, D3D11_MAP type, UINT flags, D3D11_MAPPED_SUBRESOURCE* mapped) {
  if (!resource || !mapped || (flags & ~D3D11_MAP_FLAG_DO_NOT_WAIT)) return E_INVALIDARG;
  *mapped = {};
  if (!executor_) return E_INVALIDARG;  // deferred contexts map nothing
  const bool read = type == D3D11_MAP_READ || type == D3D11_MAP_READ_WRITE;
  const bool write = type != D3D11_MAP_READ;
  if (type < D3D11_MAP_READ || type > D3D11_MAP_WRITE_NO_OVERWRITE) return E_INVALIDARG;
  D3D11_USAGE usage;
  UINT cpu;
  if (Buffer* b = AsBuffer(resource)) {
    usage = b->Desc().Usage;
    cpu = b->Desc().CPUAccessFlags;
    if (sub != 0) return E_INVALIDARG;
  } else if (TextureData* t = AsTexture(resource)) {
    usage = t->usage;
    cpu = t->cpuAccess;
    if (sub >= t->SubresourceCount()) return E_INVALIDARG;
  } else {
    return E_INVALIDARG;
  }
  const bool discardKind = type == D3D11_MAP_WRITE_DISCARD || type == D3D11_MAP_WRITE_NO_OVERWRITE;
  if ((read && !(cpu & D3D11_CPU_ACCESS_READ)) || (write && !(cpu & D3D11_CPU_ACCESS_WRITE)) ||
      (usage == D3D11_USAGE_DYNAMIC) != discardKind)
    return E_INVALIDARG;
  if (type != D3D11_MAP_WRITE_NO_OVERWRITE && !executor_->FlushAndWait()) return DXGI_ERROR_DEVICE_REMOVED;
  if (Buffer* b = AsBuffer(resource)) {
    mapped->pData = b->Mapped();
    mapped->RowPitch = mapped->DepthPitch = b->Desc().ByteWidth;
  } else {
    TextureData* t = AsTexture(resource);
    mapped->pData = static_cast<uint8_t*>(t->hostMemory.mapped) + t->layout[sub].offset;
    mapped->RowPitch = t->layout[sub].rowPitch;
    mapped->DepthPitch = t->layout[sub].depthPitch;
  }
  return mapped->pData ? S_OK : E_FAIL;
}

void Context::Unmap(ID3D11Resource* resource, UINT sub) {
  if (!executor_ || !resource) return;
  TextureData* t = AsTexture(resource);
  if (t && t->usage == D3D11_USAGE_DYNAMIC && sub < t->SubresourceCount()) executor_->UploadHostCopy(*t, sub);
}

void Context::Flush() {
  if (executor_) executor_->Flush();
}

// ---- Queries of the bound state --------------------------------------------------------------

void Context::GetBuffers(StageSlot stage, UINT start, UINT n, ID3D11Buffer** out) {
  for (UINT i = 0; out && i < n; ++i)
    out[i] = start + i < kMaxConstantBuffers ? Expose<ID3D11Buffer>(State().stages[stage].constantBuffers[start + i])
                                             : nullptr;
}
void Context::GetResources(StageSlot stage, UINT start, UINT n, ID3D11ShaderResourceView** out) {
  for (UINT i = 0; out && i < n; ++i)
    out[i] = start + i < kMaxShaderResources
                 ? Expose<ID3D11ShaderResourceView>(State().stages[stage].resources[start + i])
                 : nullptr;
}
void Context::GetSamplerStates(StageSlot stage, UINT start, UINT n, ID3D11SamplerState** out) {
  for (UINT i = 0; out && i < n; ++i)
    out[i] = start + i < kMaxSamplers ? Expose<ID3D11SamplerState>(State().stages[stage].samplers[start + i]) : nullptr;
}

void Context::VSGetConstantBuffers(UINT start, UINT n, ID3D11Buffer** b) { GetBuffers(kVS, start, n, b); }
void Context::GSGetConstantBuffers(UINT start, UINT n, ID3D11Buffer** b) { GetBuffers(kGS, start, n, b); }
void Context::PSGetConstantBuffers(UINT start, UINT n, ID3D11Buffer** b) { GetBuffers(kPS, start, n, b); }
void Context::VSGetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView** v) { GetResources(kVS, start, n, v); }
void Context::GSGetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView** v) { GetResources(kGS, start, n, v); }
void Context::PSGetShaderResources(UINT start, UINT n, ID3D11ShaderResourceView** v) { GetResources(kPS, start, n, v); }
void Context::VSGetSamplers(UINT start, UINT n, ID3D11SamplerState** s) { GetSamplerStates(kVS, start, n, s); }
void Context::GSGetSamplers(UINT start, UINT n, ID3D11SamplerState** s) { GetSamplerStates(kGS, start, n, s); }
void Context::PSGetSamplers(UINT start, UINT n, ID3D11SamplerState** s) { GetSamplerStates(kPS, start, n, s); }

void Context::VSGetShader(ID3D11VertexShader** shader, ID3D11ClassInstance**, UINT* n) {
  if (shader) *shader = Expose<ID3D11VertexShader>(State().vs);
  if (n) *n = 0;
}
void Context::GSGetShader(ID3D11GeometryShader** shader, ID3D11ClassInstance**, UINT* n) {
  if (shader) *shader = Expose<ID3D11GeometryShader>(State().gs);
  if (n) *n = 0;
}
void Context::PSGetShader(ID3D11PixelShader** shader, ID3D11ClassInstance**, UINT* n) {
  if (shader) *shader = Expose<ID3D11PixelShader>(State().ps);
  if (n) *n = 0;
}
void Context::IAGetInputLayout(ID3D11InputLayout** layout) {
  if (layout) *layout = Expose<ID3D11InputLayout>(State().inputLayout);
}
void Context::IAGetVertexBuffers(UINT start, UINT n, ID3D11Buffer** buffers, UINT* strides, UINT* offsets) {
  for (UINT i = 0; i < n; ++i) {
    bool in = start + i < kMaxVertexBuffers;
    if (buffers) buffers[i] = in ? Expose<ID3D11Buffer>(State().vertexBuffers[start + i]) : nullptr;
    if (strides) strides[i] = in ? State().strides[start + i] : 0;
    if (offsets) offsets[i] = in ? State().offsets[start + i] : 0;
  }
}
void Context::IAGetIndexBuffer(ID3D11Buffer** buffer, DXGI_FORMAT* format, UINT* offset) {
  if (buffer) *buffer = Expose<ID3D11Buffer>(State().indexBuffer);
  if (format) *format = State().indexFormat;
  if (offset) *offset = State().indexOffset;
}
void Context::IAGetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY* topology) {
  if (topology) *topology = State().topology;
}
void Context::GetPredication(ID3D11Predicate** predicate, BOOL* value) {
  if (predicate) *predicate = nullptr;
  if (value) *value = FALSE;
}
void Context::OMGetRenderTargets(UINT n, ID3D11RenderTargetView** views, ID3D11DepthStencilView** depthStencil) {
  for (UINT i = 0; views && i < n; ++i)
    views[i] = i < kMaxRenderTargets ? Expose<ID3D11RenderTargetView>(State().renderTargets[i]) : nullptr;
  if (depthStencil) *depthStencil = Expose<ID3D11DepthStencilView>(State().depthStencilView);
}
void Context::OMGetRenderTargetsAndUnorderedAccessViews(UINT n, ID3D11RenderTargetView** views,
                                                        ID3D11DepthStencilView** depthStencil, UINT, UINT numUavs,
                                                        ID3D11UnorderedAccessView** uavs) {
  OMGetRenderTargets(n, views, depthStencil);
  for (UINT i = 0; uavs && i < numUavs; ++i) uavs[i] = nullptr;
}
void Context::OMGetBlendState(ID3D11BlendState** state, FLOAT factor[4], UINT* sampleMask) {
  if (state) *state = Expose<ID3D11BlendState>(State().blend);
  if (factor) std::copy(State().blendFactor, State().blendFactor + 4, factor);
  if (sampleMask) *sampleMask = State().sampleMask;
}
void Context::OMGetDepthStencilState(ID3D11DepthStencilState** state, UINT* stencilRef) {
  if (state) *state = Expose<ID3D11DepthStencilState>(State().depthStencil);
  if (stencilRef) *stencilRef = State().stencilRef;
}
void Context::SOGetTargets(UINT n, ID3D11Buffer** targets) {
  for (UINT i = 0; targets && i < n; ++i) targets[i] = nullptr;
}
void Context::RSGetState(ID3D11RasterizerState** state) {
  if (state) *state = Expose<ID3D11RasterizerState>(State().rasterizer);
}
void Context::RSGetViewports(UINT* n, D3D11_VIEWPORT* viewports) {
  if (!n) return;
  if (viewports) std::copy(State().viewports, State().viewports + std::min(*n, State().numViewports), viewports);
  *n = State().numViewports;
}
void Context::RSGetScissorRects(UINT* n, D3D11_RECT* rects) {
  if (!n) return;
  if (rects) std::copy(State().scissors, State().scissors + std::min(*n, State().numScissors), rects);
  *n = State().numScissors;
}

// Hull, domain and compute stages are not offered: nothing is ever bound there.
template <typename T>
static void Nulls(UINT n, T** out) {
  for (UINT i = 0; out && i < n; ++i) out[i] = nullptr;
}
void Context::HSGetShaderResources(UINT, UINT n, ID3D11ShaderResourceView** v) { Nulls(n, v); }
void Context::HSGetShader(ID3D11HullShader** s, ID3D11ClassInstance**, UINT* n) {
  Nulls(1, s);
  if (n) *n = 0;
}
void Context::HSGetSamplers(UINT, UINT n, ID3D11SamplerState** s) { Nulls(n, s); }
void Context::HSGetConstantBuffers(UINT, UINT n, ID3D11Buffer** b) { Nulls(n, b); }
void Context::DSGetShaderResources(UINT, UINT n, ID3D11ShaderResourceView** v) { Nulls(n, v); }
void Context::DSGetShader(ID3D11DomainShader** s, ID3D11ClassInstance**, UINT* n) {
  Nulls(1, s);
  if (n) *n = 0;
}
void Context::DSGetSamplers(UINT, UINT n, ID3D11SamplerState** s) { Nulls(n, s); }
void Context::DSGetConstantBuffers(UINT, UINT n, ID3D11Buffer** b) { Nulls(n, b); }
void Context::CSGetShaderResources(UINT, UINT n, ID3D11ShaderResourceView** v) { Nulls(n, v); }
void Context::CSGetUnorderedAccessViews(UINT, UINT n, ID3D11UnorderedAccessView** u) { Nulls(n, u); }
void Context::CSGetShader(ID3D11ComputeShader** s, ID3D11ClassInstance**, UINT* n) {
  Nulls(1, s);
  if (n) *n = 0;
}
void Context::CSGetSamplers(UINT, UINT n, ID3D11SamplerState** s) { Nulls(n, s); }
void Context::CSGetConstantBuffers(UINT, UINT n, ID3D11Buffer** b) { Nulls(n, b); }

}  // namespace zr::d3d11
