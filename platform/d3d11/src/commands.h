// The command stream both context kinds speak: the immediate context runs each command
// as it is issued, a deferred context appends it to its list, and executing the list
// runs the same commands in order. Object pointers and arrays in a recorded command
// point into memory the command list owns.
#pragma once

#include <variant>

#include "resource.h"
#include "shader.h"
#include "state.h"

namespace zr::d3d11 {

// The stages whose bindings a context keeps, and the compiler's stage for each.
enum StageSlot : uint8_t { kVS = 0, kGS = 1, kPS = 2, kStageSlots = 3 };
constexpr ShaderStage kSlotStage[kStageSlots] = {ShaderStage::Vertex, ShaderStage::Geometry, ShaderStage::Pixel};

constexpr uint32_t kMaxVertexBuffers = D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT;
constexpr uint32_t kMaxConstantBuffers = kConstantBufferSlots;
constexpr uint32_t kMaxShaderResources = kShaderResourceSlots;
constexpr uint32_t kMaxSamplers = kSamplerSlots;
constexpr uint32_t kMaxRenderTargets = D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT;
constexpr uint32_t kMaxViewports = D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE;

struct StageBindings {
  Ref<Buffer> constantBuffers[kMaxConstantBuffers];
  Ref<ShaderResourceView> resources[kMaxShaderResources];
  Ref<SamplerState> samplers[kMaxSamplers];
};

// Everything a context binds; a default-constructed one is the cleared state.
struct ContextState {
  Ref<InputLayout> inputLayout;
  D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
  Ref<Buffer> vertexBuffers[kMaxVertexBuffers];
  UINT strides[kMaxVertexBuffers] = {};
  UINT offsets[kMaxVertexBuffers] = {};
  Ref<Buffer> indexBuffer;
  DXGI_FORMAT indexFormat = DXGI_FORMAT_UNKNOWN;
  UINT indexOffset = 0;
  Ref<VertexShader> vs;
  Ref<GeometryShader> gs;
  Ref<PixelShader> ps;
  StageBindings stages[kStageSlots];
  Ref<RasterizerState> rasterizer;
  Ref<DepthStencilState> depthStencil;
  UINT stencilRef = 0;
  Ref<BlendState> blend;
  FLOAT blendFactor[4] = {1, 1, 1, 1};
  UINT sampleMask = D3D11_DEFAULT_SAMPLE_MASK;
  Ref<RenderTargetView> renderTargets[kMaxRenderTargets];
  Ref<DepthStencilView> depthStencilView;
  D3D11_VIEWPORT viewports[kMaxViewports] = {};
  UINT numViewports = 0;
  D3D11_RECT scissors[kMaxViewports] = {};
  UINT numScissors = 0;
};

namespace cmd {
struct SetInputLayout {
  InputLayout* layout;
};
struct SetTopology {
  D3D11_PRIMITIVE_TOPOLOGY topology;
};
struct SetVertexBuffers {
  UINT start, count;
  Buffer* const* buffers;
  const UINT* strides;
  const UINT* offsets;
};
struct SetIndexBuffer {
  Buffer* buffer;
  DXGI_FORMAT format;
  UINT offset;
};
struct SetShader {
  StageSlot stage;
  TrackedObject* shader;
};
struct SetConstantBuffers {
  StageSlot stage;
  UINT start, count;
  Buffer* const* buffers;
};
struct SetShaderResources {
  StageSlot stage;
  UINT start, count;
  ShaderResourceView* const* views;
};
struct SetSamplers {
  StageSlot stage;
  UINT start, count;
  SamplerState* const* samplers;
};
struct SetRasterizer {
  RasterizerState* state;
};
struct SetDepthStencil {
  DepthStencilState* state;
  UINT stencilRef;
};
struct SetBlend {
  BlendState* state;
  FLOAT factor[4];
  UINT sampleMask;
};
struct SetRenderTargets {
  UINT count;
  RenderTargetView* const* views;
  DepthStencilView* depthStencil;
};
struct SetViewports {
  UINT count;
  const D3D11_VIEWPORT* viewports;
};
struct SetScissors {
  UINT count;
  const D3D11_RECT* rects;
};
struct ClearState {};
struct RestoreState {
  const ContextState* state;
};
struct ClearRenderTarget {
  RenderTargetView* view;
  FLOAT color[4];
};
struct ClearDepthStencil {
  DepthStencilView* view;
  UINT flags;
  FLOAT depth;
  UINT8 stencil;
};
struct Draw {
  UINT vertexCount, instanceCount, startVertex, startInstance;
};
struct DrawIndexed {
  UINT indexCount, instanceCount, startIndex;
  INT baseVertex;
  UINT startInstance;
};
struct Update {
  ID3D11Resource* resource;
  UINT subresource;
  bool hasBox;
  D3D11_BOX box;
  const void* data;
  UINT rowPitch, depthPitch;
};
struct Copy {
  ID3D11Resource* dst;
  ID3D11Resource* src;
};
struct CopyRegion {
  ID3D11Resource* dst;
  UINT dstSubresource, x, y, z;
  ID3D11Resource* src;
  UINT srcSubresource;
  bool hasBox;
  D3D11_BOX box;
};
struct Resolve {
  ID3D11Resource* dst;
  UINT dstSubresource;
  ID3D11Resource* src;
  UINT srcSubresource;
};
}  // namespace cmd

using Command =
    std::variant<cmd::SetInputLayout, cmd::SetTopology, cmd::SetVertexBuffers, cmd::SetIndexBuffer, cmd::SetShader,
                 cmd::SetConstantBuffers, cmd::SetShaderResources, cmd::SetSamplers, cmd::SetRasterizer,
                 cmd::SetDepthStencil, cmd::SetBlend, cmd::SetRenderTargets, cmd::SetViewports, cmd::SetScissors,
                 cmd::ClearState, cmd::RestoreState, cmd::ClearRenderTarget, cmd::ClearDepthStencil, cmd::Draw,
                 cmd::DrawIndexed, cmd::Update, cmd::Copy, cmd::CopyRegion, cmd::Resolve>;

// Applies a state-setting command to `state`; action commands leave it as it is.
void ApplyState(ContextState& state, const Command& command);

}  // namespace zr::d3d11
