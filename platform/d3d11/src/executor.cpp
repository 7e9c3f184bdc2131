#include "executor.h"

#include <algorithm>
#include <cstring>

#include "context.h"
#include "device.h"

namespace zr::d3d11 {
namespace {

constexpr VkDeviceSize kChunkSize = 4 << 20;
constexpr uint32_t kDrawsPerSubmission = 4096;
constexpr uint32_t kMaxDescriptors = 64;

VkPrimitiveTopology Topology(D3D11_PRIMITIVE_TOPOLOGY t) {
  switch (t) {
    case D3D11_PRIMITIVE_TOPOLOGY_POINTLIST:
      return VK_PRIMITIVE_TOPOLOGY_POINT_LIST;
    case D3D11_PRIMITIVE_TOPOLOGY_LINELIST:
      return VK_PRIMITIVE_TOPOLOGY_LINE_LIST;
    case D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP:
      return VK_PRIMITIVE_TOPOLOGY_LINE_STRIP;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST:
      return VK_PRIMITIVE_TOPOLOGY_TRIANGLE_LIST;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP:
      return VK_PRIMITIVE_TOPOLOGY_TRIANGLE_STRIP;
    case D3D11_PRIMITIVE_TOPOLOGY_LINELIST_ADJ:
      return VK_PRIMITIVE_TOPOLOGY_LINE_LIST_WITH_ADJACENCY;
    case D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP_ADJ:
      return VK_PRIMITIVE_TOPOLOGY_LINE_STRIP_WITH_ADJACENCY;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ:
      return VK_PRIMITIVE_TOPOLOGY_TRIANGLE_LIST_WITH_ADJACENCY;
    case D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP_ADJ:
      return VK_PRIMITIVE_TOPOLOGY_TRIANGLE_STRIP_WITH_ADJACENCY;
    default:
      return VK_PRIMITIVE_TOPOLOGY_MAX_ENUM;
  }
}

VkCompareOp Compare(D3D11_COMPARISON_FUNC f) { return static_cast<VkCompareOp>(f - D3D11_COMPARISON_NEVER); }

VkStencilOp StencilOp(D3D11_STENCIL_OP op) {
  switch (op) {
    case D3D11_STENCIL_OP_ZERO:
      return VK_STENCIL_OP_ZERO;
    case D3D11_STENCIL_OP_REPLACE:
      return VK_STENCIL_OP_REPLACE;
    case D3D11_STENCIL_OP_INCR_SAT:
      return VK_STENCIL_OP_INCREMENT_AND_CLAMP;
    case D3D11_STENCIL_OP_DECR_SAT:
      return VK_STENCIL_OP_DECREMENT_AND_CLAMP;
    case D3D11_STENCIL_OP_INVERT:
      return VK_STENCIL_OP_INVERT;
    case D3D11_STENCIL_OP_INCR:
      return VK_STENCIL_OP_INCREMENT_AND_WRAP;
    case D3D11_STENCIL_OP_DECR:
      return VK_STENCIL_OP_DECREMENT_AND_WRAP;
    default:
      return VK_STENCIL_OP_KEEP;
  }
}

VkStencilOpState StencilFace(const D3D11_DEPTH_STENCILOP_DESC& f, const D3D11_DEPTH_STENCIL_DESC& d) {
  return {StencilOp(f.StencilFailOp),
          StencilOp(f.StencilPassOp),
          StencilOp(f.StencilDepthFailOp),
          Compare(f.StencilFunc),
          d.StencilReadMask,
          d.StencilWriteMask,
          0};
}

VkBlendFactor BlendFactor(D3D11_BLEND b) {
  switch (b) {
    case D3D11_BLEND_ZERO:
      return VK_BLEND_FACTOR_ZERO;
    case D3D11_BLEND_ONE:
      return VK_BLEND_FACTOR_ONE;
    case D3D11_BLEND_SRC_COLOR:
      return VK_BLEND_FACTOR_SRC_COLOR;
    case D3D11_BLEND_INV_SRC_COLOR:
      return VK_BLEND_FACTOR_ONE_MINUS_SRC_COLOR;
    case D3D11_BLEND_SRC_ALPHA:
      return VK_BLEND_FACTOR_SRC_ALPHA;
    case D3D11_BLEND_INV_SRC_ALPHA:
      return VK_BLEND_FACTOR_ONE_MINUS_SRC_ALPHA;
    case D3D11_BLEND_DEST_ALPHA:
      return VK_BLEND_FACTOR_DST_ALPHA;
    case D3D11_BLEND_INV_DEST_ALPHA:
      return VK_BLEND_FACTOR_ONE_MINUS_DST_ALPHA;
    case D3D11_BLEND_DEST_COLOR:
      return VK_BLEND_FACTOR_DST_COLOR;
    case D3D11_BLEND_INV_DEST_COLOR:
      return VK_BLEND_FACTOR_ONE_MINUS_DST_COLOR;
    case D3D11_BLEND_SRC_ALPHA_SAT:
      return VK_BLEND_FACTOR_SRC_ALPHA_SATURATE;
    case D3D11_BLEND_BLEND_FACTOR:
      return VK_BLEND_FACTOR_CONSTANT_COLOR;
    case D3D11_BLEND_INV_BLEND_FACTOR:
      return VK_BLEND_FACTOR_ONE_MINUS_CONSTANT_COLOR;
    case D3D11_BLEND_SRC1_COLOR:
      return VK_BLEND_FACTOR_SRC1_COLOR;
    case D3D11_BLEND_INV_SRC1_COLOR:
      return VK_BLEND_FACTOR_ONE_MINUS_SRC1_COLOR;
    case D3D11_BLEND_SRC1_ALPHA:
      return VK_BLEND_FACTOR_SRC1_ALPHA;
    case D3D11_BLEND_INV_SRC1_ALPHA:
      return VK_BLEND_FACTOR_ONE_MINUS_SRC1_ALPHA;
    default:
      return VK_BLEND_FACTOR_ONE;
  }
}

VkBlendOp BlendOp(D3D11_BLEND_OP op) {
  switch (op) {
    case D3D11_BLEND_OP_SUBTRACT:
      return VK_BLEND_OP_SUBTRACT;
    case D3D11_BLEND_OP_REV_SUBTRACT:
      return VK_BLEND_OP_REVERSE_SUBTRACT;
    case D3D11_BLEND_OP_MIN:
      return VK_BLEND_OP_MIN;
    case D3D11_BLEND_OP_MAX:
      return VK_BLEND_OP_MAX;
    default:
      return VK_BLEND_OP_ADD;
  }
}

bool IsStencilFormat(VkFormat f) {
  return f == VK_FORMAT_D24_UNORM_S8_UINT || f == VK_FORMAT_D32_SFLOAT_S8_UINT || f == VK_FORMAT_D16_UNORM_S8_UINT ||
         f == VK_FORMAT_S8_UINT;
}

// Gives the input `variableId` of a SPIR-V module the location `location`.
void SetLocation(std::vector<uint32_t>& words, uint32_t variableId, uint32_t location) {
  constexpr uint32_t kOpDecorate = 71, kDecorationLocation = 30;
  for (size_t i = 5; i < words.size();) {
    uint32_t op = words[i] & 0xffff, count = words[i] >> 16;
    if (count == 0) break;
    if (op == kOpDecorate && count >= 4 && i + 3 < words.size() && words[i + 1] == variableId &&
        words[i + 2] == kDecorationLocation)
      words[i + 3] = location;
    i += count;
  }
}

}  // namespace

// The shaders bound together: their descriptor bindings in one push-descriptor set.
struct Executor::Program {
  uint64_t vs = 0, gs = 0, ps = 0;
  struct Binding {
    uint32_t binding;
    VkDescriptorType type;
    StageSlot stage;
    RegisterClass registerClass;
    uint32_t registerNumber;
    D3D_SRV_DIMENSION dimension;
  };
  std::vector<Binding> bindings;
  VkDescriptorSetLayout setLayout = VK_NULL_HANDLE;
  VkPipelineLayout layout = VK_NULL_HANDLE;
  bool usable = true;
};

// Everything a pipeline is built from; zero-filled so it hashes as bytes.
struct Executor::PipelineKey {
  uint64_t vs, gs, ps, inputLayout, rasterizer, depthStencil, blend;
  uint32_t topology, samples, sampleMask, depthFormat;
  uint32_t colorFormats[kMaxRenderTargets];
  uint32_t strides[kMaxVertexBuffers];
};

size_t Executor::KeyHash::operator()(const PipelineKey& k) const {
  const auto* p = reinterpret_cast<const uint8_t*>(&k);
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof(k); ++i) h = (h ^ p[i]) * 1099511628211ull;
  return static_cast<size_t>(h);
}
bool Executor::KeyEqual::operator()(const PipelineKey& a, const PipelineKey& b) const {
  return std::memcmp(&a, &b, sizeof(a)) == 0;
}

Executor::Executor(Device* device) : device_(device), vk_(device->Vk()) {}

HRESULT Executor::Init() {
  HRESULT hr = vk_.CreateBuffer(65536,
                                VK_BUFFER_USAGE_UNIFORM_BUFFER_BIT | VK_BUFFER_USAGE_VERTEX_BUFFER_BIT |
                                    VK_BUFFER_USAGE_INDEX_BUFFER_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT,
                                MemoryKind::DeviceLocal, &nullBuffer_, &nullBufferMemory_);
  if (FAILED(hr)) return hr;
  struct NullImage {
    VkImageType type;
    uint32_t layers;
    VkSampleCountFlagBits samples;
    VkImageCreateFlags flags;
  } kinds[4] = {{VK_IMAGE_TYPE_1D, 1, VK_SAMPLE_COUNT_1_BIT, 0},
                {VK_IMAGE_TYPE_2D, 6, VK_SAMPLE_COUNT_1_BIT, VK_IMAGE_CREATE_CUBE_COMPATIBLE_BIT},
                {VK_IMAGE_TYPE_3D, 1, VK_SAMPLE_COUNT_1_BIT, 0},
                {VK_IMAGE_TYPE_2D, 1, static_cast<VkSampleCountFlagBits>(vk_.SupportedSampleCount(4)), 0}};
  for (int i = 0; i < 4; ++i) {
    VkImageCreateInfo ici{VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO};
    ici.flags = kinds[i].flags;
    ici.imageType = kinds[i].type;
    ici.format = VK_FORMAT_R8G8B8A8_UNORM;
    ici.extent = {1, 1, 1};
    ici.mipLevels = 1;
    ici.arrayLayers = kinds[i].layers;
    ici.samples = kinds[i].samples;
    ici.usage = VK_IMAGE_USAGE_SAMPLED_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT |
                (i == 3 ? VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT : 0);
    if (vkCreateImage(vk_.device, &ici, nullptr, &nullImages_[i]) != VK_SUCCESS) return E_FAIL;
    VkMemoryRequirements req;
    vkGetImageMemoryRequirements(vk_.device, nullImages_[i], &req);
    if (FAILED(hr = vk_.Allocate(req, MemoryKind::DeviceLocal, &nullImageMemory_[i]))) return hr;
    vkBindImageMemory(vk_.device, nullImages_[i], nullImageMemory_[i].memory, 0);
  }
  struct NullView {
    D3D_SRV_DIMENSION dimension;
    int image;
    VkImageViewType type;
    uint32_t layers;
  } views[] = {{D3D_SRV_DIMENSION_TEXTURE1D, 0, VK_IMAGE_VIEW_TYPE_1D, 1},
               {D3D_SRV_DIMENSION_TEXTURE1DARRAY, 0, VK_IMAGE_VIEW_TYPE_1D_ARRAY, 1},
               {D3D_SRV_DIMENSION_TEXTURE2D, 1, VK_IMAGE_VIEW_TYPE_2D, 1},
               {D3D_SRV_DIMENSION_TEXTURE2DARRAY, 1, VK_IMAGE_VIEW_TYPE_2D_ARRAY, 1},
               {D3D_SRV_DIMENSION_TEXTURECUBE, 1, VK_IMAGE_VIEW_TYPE_CUBE, 6},
               {D3D_SRV_DIMENSION_TEXTURECUBEARRAY, 1, VK_IMAGE_VIEW_TYPE_CUBE_ARRAY, 6},
               {D3D_SRV_DIMENSION_TEXTURE3D, 2, VK_IMAGE_VIEW_TYPE_3D, 1},
               {D3D_SRV_DIMENSION_TEXTURE2DMS, 3, VK_IMAGE_VIEW_TYPE_2D, 1},
               {D3D_SRV_DIMENSION_TEXTURE2DMSARRAY, 3, VK_IMAGE_VIEW_TYPE_2D_ARRAY, 1}};
  for (const NullView& v : views) {
    if (v.type == VK_IMAGE_VIEW_TYPE_CUBE_ARRAY && !vk_.enabledFeatures.imageCubeArray) continue;
    VkImageViewCreateInfo vci{VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO};
    vci.image = nullImages_[v.image];
    vci.viewType = v.type;
    vci.format = VK_FORMAT_R8G8B8A8_UNORM;
    vci.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, v.layers};
    if (vkCreateImageView(vk_.device, &vci, nullptr, &nullViews_[v.dimension]) != VK_SUCCESS) return E_FAIL;
  }
  nullViews_[D3D_SRV_DIMENSION_UNKNOWN] = nullViews_[D3D_SRV_DIMENSION_TEXTURE2D];
  D3D11_SAMPLER_DESC sd{D3D11_FILTER_MIN_MAG_MIP_LINEAR,
                        D3D11_TEXTURE_ADDRESS_CLAMP,
                        D3D11_TEXTURE_ADDRESS_CLAMP,
                        D3D11_TEXTURE_ADDRESS_CLAMP,
                        0.0f,
                        1,
                        D3D11_COMPARISON_NEVER,
                        {1, 1, 1, 1},
                        -D3D11_FLOAT32_MAX,
                        D3D11_FLOAT32_MAX};
  if (FAILED(hr = MakeSampler(vk_, sd, &nullSampler_))) return hr;
  // Null bindings read zeros.
  return vk_.RunOneShot([&](VkCommandBuffer cb) {
    vkCmdFillBuffer(cb, nullBuffer_, 0, VK_WHOLE_SIZE, 0);
    VkClearColorValue zero{};
    for (int i = 0; i < 4; ++i) {
      VkImageMemoryBarrier b{VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER};
      b.dstAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
      b.oldLayout = VK_IMAGE_LAYOUT_UNDEFINED;
      b.newLayout = VK_IMAGE_LAYOUT_GENERAL;
      b.srcQueueFamilyIndex = b.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
      b.image = nullImages_[i];
      b.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, kinds[i].layers};
      vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 0,
                           nullptr, 1, &b);
      vkCmdClearColorImage(cb, nullImages_[i], VK_IMAGE_LAYOUT_GENERAL, &zero, 1, &b.subresourceRange);
    }
    VkMemoryBarrier mb{VK_STRUCTURE_TYPE_MEMORY_BARRIER};
    mb.srcAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
    mb.dstAccessMask = VK_ACCESS_MEMORY_READ_BIT;
    vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, 0, 1, &mb, 0, nullptr,
                         0, nullptr);
  });
}

Executor::~Executor() {
  FlushAndWait();
  state = ContextState{};
  renamed_.clear();
  vk_.WaitIdle();
  VkDevice d = vk_.device;
  for (auto& [key, pipeline] : pipelines_) vkDestroyPipeline(d, pipeline, nullptr);
  for (auto& p : programs_) {
    vkDestroyPipelineLayout(d, p->layout, nullptr);
    vkDestroyDescriptorSetLayout(d, p->setLayout, nullptr);
  }
  for (auto& f : frames_) vkDestroyCommandPool(d, f->pool, nullptr);
  for (Chunk& c : chunks_) {
    vkDestroyBuffer(d, c.buffer, nullptr);
    vkFreeMemory(d, c.memory.memory, nullptr);
  }
  for (VkImageView v : nullViews_)
    if (v && v != nullViews_[D3D_SRV_DIMENSION_UNKNOWN]) vkDestroyImageView(d, v, nullptr);
  if (nullViews_[D3D_SRV_DIMENSION_UNKNOWN]) vkDestroyImageView(d, nullViews_[D3D_SRV_DIMENSION_UNKNOWN], nullptr);
  for (int i = 0; i < 4; ++i) {
    if (nullImages_[i]) vkDestroyImage(d, nullImages_[i], nullptr);
    if (nullImageMemory_[i].memory) vkFreeMemory(d, nullImageMemory_[i].memory, nullptr);
  }
  if (nullSampler_) vkDestroySampler(d, nullSampler_, nullptr);
  if (nullBuffer_) vkDestroyBuffer(d, nullBuffer_, nullptr);
  if (nullBufferMemory_.memory) vkFreeMemory(d, nullBufferMemory_.memory, nullptr);
}

// ---- Submission ------------------------------------------------------------------------------

VkCommandBuffer Executor::Cmd() {
  if (frame_) return frame_->cb;
  uint64_t done = vk_.CompletedSerial();
  for (auto& f : frames_) {
    if (f->serial <= done) {
      frame_ = f.get();
      vkResetCommandPool(vk_.device, frame_->pool, 0);
      break;
    }
  }
  if (!frame_) {
    auto f = std::make_unique<Frame>();
    VkCommandPoolCreateInfo pci{VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO};
    pci.flags = VK_COMMAND_POOL_CREATE_TRANSIENT_BIT;
    pci.queueFamilyIndex = vk_.queueFamily;
    vkCreateCommandPool(vk_.device, &pci, nullptr, &f->pool);
    VkCommandBufferAllocateInfo ai{VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO};
    ai.commandPool = f->pool;
    ai.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
    ai.commandBufferCount = 1;
    vkAllocateCommandBuffers(vk_.device, &ai, &f->cb);
    frames_.push_back(std::move(f));
    frame_ = frames_.back().get();
  }
  // Not reusable until this submission completes.
  frame_->serial = UINT64_MAX;
  vk_.BeginRecording();
  VkCommandBufferBeginInfo bi{VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO};
  bi.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
  vkBeginCommandBuffer(frame_->cb, &bi);
  boundPipeline_ = VK_NULL_HANDLE;
  return frame_->cb;
}

void Executor::Barrier() {
  VkMemoryBarrier mb{VK_STRUCTURE_TYPE_MEMORY_BARRIER};
  mb.srcAccessMask = VK_ACCESS_MEMORY_WRITE_BIT;
  mb.dstAccessMask = VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT;
  vkCmdPipelineBarrier(Cmd(), VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, 0, 1, &mb, 0,
                       nullptr, 0, nullptr);
}

void Executor::Flush() {
  if (!frame_) return;
  EndRendering();
  for (Ref<Buffer>& b : renamed_) Materialize(b.get());
  renamed_.clear();
  vkEndCommandBuffer(frame_->cb);
  uint64_t serial = vk_.Submit(frame_->cb);
  vk_.EndRecording(serial);
  frame_->serial = serial;
  frame_ = nullptr;
  for (Chunk& c : chunks_) {
    if (c.inFrame) c.serial = serial;
    c.inFrame = false;
  }
  chunk_ = SIZE_MAX;
  draws_ = 0;
  vk_.CollectGarbage();
}

bool Executor::FlushAndWait() {
  Flush();
  const bool done = vk_.WaitIdle();
  vk_.CollectGarbage();
  return done;
}

HRESULT Executor::AllocateUpload(VkDeviceSize size, VkDeviceSize align, Slice* out) {
  align = std::max<VkDeviceSize>(align, 16);
  if (chunk_ != SIZE_MAX) {
    Chunk& c = chunks_[chunk_];
    VkDeviceSize at = (c.used + align - 1) / align * align;
    if (at + size <= c.memory.size) {
      c.used = at + size;
      *out = {c.buffer, at, static_cast<uint8_t*>(c.memory.mapped) + at};
      return S_OK;
    }
  }
  uint64_t done = vk_.CompletedSerial();
  chunk_ = SIZE_MAX;
  for (size_t i = 0; i < chunks_.size(); ++i) {
    if (!chunks_[i].inFrame && chunks_[i].serial <= done && chunks_[i].memory.size >= size) {
      chunk_ = i;
      break;
    }
  }
  if (chunk_ == SIZE_MAX) {
    Chunk c;
    HRESULT hr = vk_.CreateBuffer(std::max(kChunkSize, size),
                                  VK_BUFFER_USAGE_TRANSFER_SRC_BIT | VK_BUFFER_USAGE_UNIFORM_BUFFER_BIT |
                                      VK_BUFFER_USAGE_VERTEX_BUFFER_BIT | VK_BUFFER_USAGE_INDEX_BUFFER_BIT,
                                  MemoryKind::Upload, &c.buffer, &c.memory);
    if (FAILED(hr)) return hr;
    chunks_.push_back(c);
    chunk_ = chunks_.size() - 1;
  }
  Chunk& c = chunks_[chunk_];
  c.inFrame = true;
  c.used = size;
  *out = {c.buffer, 0, static_cast<uint8_t*>(c.memory.mapped)};
  return S_OK;
}

void Executor::Materialize(Buffer* b) {
  if (b->currentBuffer == b->Handle()) return;
  EndRendering();
  VkBufferCopy region{b->currentOffset, 0, b->Desc().ByteWidth};
  vkCmdCopyBuffer(Cmd(), b->currentBuffer, b->Handle(), 1, &region);
  Barrier();
  b->currentBuffer = b->Handle();
  b->currentOffset = 0;
}

// ---- Rendering -------------------------------------------------------------------------------

void Executor::EndRendering() {
  if (!rendering_) return;
  vkCmdEndRendering(frame_->cb);
  rendering_ = false;
  Barrier();
}

bool Executor::BeginRendering() {
  uint64_t targets[kMaxRenderTargets + 1];
  for (uint32_t i = 0; i < kMaxRenderTargets; ++i)
    targets[i] = state.renderTargets[i] ? state.renderTargets[i]->Uid() : 0;
  targets[kMaxRenderTargets] = state.depthStencilView ? state.depthStencilView->Uid() : 0;
  if (rendering_ && std::equal(targets, targets + kMaxRenderTargets + 1, renderingTargets_)) return true;
  EndRendering();

  VkRenderingAttachmentInfo colors[kMaxRenderTargets];
  uint32_t colorCount = 0;
  VkExtent2D area{UINT32_MAX, UINT32_MAX};
  auto grow = [&](const TextureData* t, uint32_t mip) {
    VkExtent3D e = t->MipExtent(mip);
    area.width = std::min(area.width, e.width);
    area.height = std::min(area.height, e.height);
  };
  for (uint32_t i = 0; i < kMaxRenderTargets; ++i) {
    colors[i] = {VK_STRUCTURE_TYPE_RENDERING_ATTACHMENT_INFO};
    if (RenderTargetView* v = state.renderTargets[i].get()) {
      colors[i].imageView = v->imageView;
      colors[i].imageLayout = VK_IMAGE_LAYOUT_GENERAL;
      colors[i].loadOp = VK_ATTACHMENT_LOAD_OP_LOAD;
      colors[i].storeOp = VK_ATTACHMENT_STORE_OP_STORE;
      grow(v->texture, v->range.baseMipLevel);
      colorCount = i + 1;
    }
  }
  VkRenderingAttachmentInfo depth{VK_STRUCTURE_TYPE_RENDERING_ATTACHMENT_INFO};
  VkRenderingAttachmentInfo stencil{VK_STRUCTURE_TYPE_RENDERING_ATTACHMENT_INFO};
  DepthStencilView* dsv = state.depthStencilView.get();
  if (dsv) {
    depth.imageView = dsv->imageView;
    depth.imageLayout = VK_IMAGE_LAYOUT_GENERAL;
    depth.loadOp = VK_ATTACHMENT_LOAD_OP_LOAD;
    depth.storeOp = VK_ATTACHMENT_STORE_OP_STORE;
    stencil = depth;
    grow(dsv->texture, dsv->range.baseMipLevel);
  }
  if (area.width == UINT32_MAX) return false;
  VkRenderingInfo ri{VK_STRUCTURE_TYPE_RENDERING_INFO};
  ri.renderArea = {{0, 0}, area};
  ri.layerCount = 1;
  ri.colorAttachmentCount = colorCount;
  ri.pColorAttachments = colors;
  ri.pDepthAttachment = dsv ? &depth : nullptr;
  ri.pStencilAttachment = dsv && IsStencilFormat(dsv->vkFormat) ? &stencil : nullptr;
  vkCmdBeginRendering(Cmd(), &ri);
  rendering_ = true;
  renderArea_ = area;
  std::copy(targets, targets + kMaxRenderTargets + 1, renderingTargets_);
  return true;
}

Executor::Program* Executor::GetProgram() {
  uint64_t vs = state.vs->Uid(), gs = state.gs ? state.gs->Uid() : 0, ps = state.ps ? state.ps->Uid() : 0;
  if (lastProgram_ && lastProgram_->vs == vs && lastProgram_->gs == gs && lastProgram_->ps == ps) return lastProgram_;
  for (auto& p : programs_) {
    if (p->vs == vs && p->gs == gs && p->ps == ps) return lastProgram_ = p.get();
  }
  auto p = std::make_unique<Program>();
  p->vs = vs, p->gs = gs, p->ps = ps;
  const ShaderData* shaders[kStageSlots] = {state.vs.get(), state.gs.get(), state.ps.get()};
  std::vector<VkDescriptorSetLayoutBinding> bindings;
  for (int s = 0; s < kStageSlots; ++s) {
    if (!shaders[s]) continue;
    const VkShaderStageFlags flag = s == kVS   ? VK_SHADER_STAGE_VERTEX_BIT
                                    : s == kGS ? VK_SHADER_STAGE_GEOMETRY_BIT
                                               : VK_SHADER_STAGE_FRAGMENT_BIT;
    for (const ResourceBindingDesc& b : shaders[s]->container.bindings) {
      VkDescriptorType type = b.kind == DescriptorKind::UniformBuffer  ? VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER
                              : b.kind == DescriptorKind::Sampler      ? VK_DESCRIPTOR_TYPE_SAMPLER
                              : b.kind == DescriptorKind::SampledImage ? VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE
                                                                       : VK_DESCRIPTOR_TYPE_MAX_ENUM;
      if (type == VK_DESCRIPTOR_TYPE_MAX_ENUM || b.set != kDescriptorSet) {
        p->usable = false;
        continue;
      }
      for (uint32_t i = 0; i < b.arraySize; ++i) {
        p->bindings.push_back(
            {b.binding + i, type, static_cast<StageSlot>(s), b.registerClass, b.registerNumber + i, b.dimension});
      }
      bindings.push_back({b.binding, type, b.arraySize, flag, nullptr});
    }
  }
  if (p->bindings.size() > std::min<size_t>(kMaxDescriptors, 32)) p->usable = false;
  VkDescriptorSetLayoutCreateInfo sci{VK_STRUCTURE_TYPE_DESCRIPTOR_SET_LAYOUT_CREATE_INFO};
  sci.flags = VK_DESCRIPTOR_SET_LAYOUT_CREATE_PUSH_DESCRIPTOR_BIT_KHR;
  sci.bindingCount = p->usable ? static_cast<uint32_t>(bindings.size()) : 0;
  sci.pBindings = bindings.data();
  vkCreateDescriptorSetLayout(vk_.device, &sci, nullptr, &p->setLayout);
  VkPipelineLayoutCreateInfo lci{VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO};
  lci.setLayoutCount = 1;
  lci.pSetLayouts = &p->setLayout;
  vkCreatePipelineLayout(vk_.device, &lci, nullptr, &p->layout);
  programs_.push_back(std::move(p));
  return lastProgram_ = programs_.back().get();
}

VkPipeline Executor::GetPipeline(Program& program) {
  PipelineKey key;
  std::memset(&key, 0, sizeof(key));
  key.vs = program.vs, key.gs = program.gs, key.ps = program.ps;
  key.inputLayout = state.inputLayout ? state.inputLayout->Uid() : 0;
  key.rasterizer = state.rasterizer ? state.rasterizer->Uid() : 0;
  key.depthStencil = state.depthStencil ? state.depthStencil->Uid() : 0;
  key.blend = state.blend ? state.blend->Uid() : 0;
  key.topology = state.topology;
  key.sampleMask = state.sampleMask;
  uint32_t samples = 1;
  for (uint32_t i = 0; i < kMaxRenderTargets; ++i) {
    if (RenderTargetView* v = state.renderTargets[i].get()) {
      key.colorFormats[i] = v->vkFormat;
      samples = v->texture->sampleCount;
    }
  }
  if (state.depthStencilView) {
    key.depthFormat = state.depthStencilView->vkFormat;
    samples = state.depthStencilView->texture->sampleCount;
  }
  key.samples = samples;
  if (state.inputLayout)
    for (const InputElement& e : state.inputLayout->elements) key.strides[e.slot] = state.strides[e.slot];
  auto it = pipelines_.find(key);
  if (it != pipelines_.end()) return it->second;

  // Stages, with each consumer's inputs moved to the locations its producer wrote.
  const ShaderData* shaders[kStageSlots] = {state.vs.get(), state.gs.get(), state.ps.get()};
  VkPipelineShaderStageCreateInfo stages[kStageSlots];
  VkShaderModule patched[kStageSlots] = {};
  uint32_t stageCount = 0;
  const ShaderData* producer = nullptr;
  for (int s = 0; s < kStageSlots; ++s) {
    const ShaderData* sh = shaders[s];
    if (!sh) continue;
    VkShaderModule module = sh->module;
    if (producer) {
      std::vector<uint32_t> words;
      for (const SignatureElement& in : sh->container.inputs) {
        if (in.location == kNoLocation) continue;
        for (const SignatureElement& out : producer->container.outputs) {
          if (out.semanticName == in.semanticName && out.semanticIndex == in.semanticIndex &&
              out.location != kNoLocation && out.location != in.location) {
            if (words.empty()) words = sh->container.spirv;
            SetLocation(words, in.variableId, out.location);
          }
        }
      }
      if (!words.empty()) {
        VkShaderModuleCreateInfo mci{VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO};
        mci.codeSize = words.size() * 4;
        mci.pCode = words.data();
        vkCreateShaderModule(vk_.device, &mci, nullptr, &patched[s]);
        module = patched[s];
      }
    }
    stages[stageCount] = {VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO};
    stages[stageCount].stage = s == kVS   ? VK_SHADER_STAGE_VERTEX_BIT
                               : s == kGS ? VK_SHADER_STAGE_GEOMETRY_BIT
                                          : VK_SHADER_STAGE_FRAGMENT_BIT;
    stages[stageCount].module = module;
    stages[stageCount].pName = sh->container.entryPoint.c_str();
    ++stageCount;
    producer = sh;
  }

  // Vertex input: each vertex-shader input from the layout element of its semantic.
  std::vector<VkVertexInputAttributeDescription> attributes;
  std::vector<VkVertexInputBindingDescription> bindings;
  if (state.inputLayout) {
    for (const SignatureElement& in : state.vs->container.inputs) {
      if (in.systemValue != SystemValue::None || in.location == kNoLocation) continue;
      for (const InputElement& e : state.inputLayout->elements) {
        if (e.semanticName != in.semanticName || e.semanticIndex != in.semanticIndex) continue;
        attributes.push_back({in.location, e.slot, e.vkFormat, e.offset});
        bool known = false;
        for (auto& b : bindings) known = known || b.binding == e.slot;
        if (!known)
          bindings.push_back({e.slot, state.strides[e.slot],
                              e.perInstance ? VK_VERTEX_INPUT_RATE_INSTANCE : VK_VERTEX_INPUT_RATE_VERTEX});
      }
    }
  }
  VkPipelineVertexInputStateCreateInfo vi{VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO};
  vi.vertexBindingDescriptionCount = static_cast<uint32_t>(bindings.size());
  vi.pVertexBindingDescriptions = bindings.data();
  vi.vertexAttributeDescriptionCount = static_cast<uint32_t>(attributes.size());
  vi.pVertexAttributeDescriptions = attributes.data();
  VkPipelineInputAssemblyStateCreateInfo ia{VK_STRUCTURE_TYPE_PIPELINE_INPUT_ASSEMBLY_STATE_CREATE_INFO};
  ia.topology = Topology(state.topology);
  VkPipelineViewportStateCreateInfo vp{VK_STRUCTURE_TYPE_PIPELINE_VIEWPORT_STATE_CREATE_INFO};
  vp.viewportCount = 1;
  vp.scissorCount = 1;

  const D3D11_RASTERIZER_DESC rd = state.rasterizer ? state.rasterizer->desc : DefaultRasterizerDesc();
  VkPipelineRasterizationStateCreateInfo rs{VK_STRUCTURE_TYPE_PIPELINE_RASTERIZATION_STATE_CREATE_INFO};
  rs.depthClampEnable = !rd.DepthClipEnable && vk_.enabledFeatures.depthClamp;
  rs.polygonMode = rd.FillMode == D3D11_FILL_WIREFRAME && vk_.enabledFeatures.fillModeNonSolid ? VK_POLYGON_MODE_LINE
                                                                                               : VK_POLYGON_MODE_FILL;
  rs.cullMode = rd.CullMode == D3D11_CULL_BACK    ? VK_CULL_MODE_BACK_BIT
                : rd.CullMode == D3D11_CULL_FRONT ? VK_CULL_MODE_FRONT_BIT
                                                  : VK_CULL_MODE_NONE;
  // The viewport is flipped (negative height), so the screen-space winding D3D
  // describes is the one Vulkan sees in framebuffer coordinates.
  rs.frontFace = rd.FrontCounterClockwise ? VK_FRONT_FACE_COUNTER_CLOCKWISE : VK_FRONT_FACE_CLOCKWISE;
  rs.depthBiasEnable = rd.DepthBias != 0 || rd.SlopeScaledDepthBias != 0.0f;
  rs.depthBiasConstantFactor = static_cast<float>(rd.DepthBias);
  rs.depthBiasClamp = vk_.enabledFeatures.depthBiasClamp ? rd.DepthBiasClamp : 0.0f;
  rs.depthBiasSlopeFactor = rd.SlopeScaledDepthBias;
  rs.lineWidth = 1.0f;

  const D3D11_BLEND_DESC bd = state.blend ? state.blend->desc : DefaultBlendDesc();
  VkPipelineMultisampleStateCreateInfo ms{VK_STRUCTURE_TYPE_PIPELINE_MULTISAMPLE_STATE_CREATE_INFO};
  ms.rasterizationSamples = static_cast<VkSampleCountFlagBits>(samples);
  VkSampleMask sampleMask = state.sampleMask;
  ms.pSampleMask = &sampleMask;
  ms.alphaToCoverageEnable = bd.AlphaToCoverageEnable;

  const D3D11_DEPTH_STENCIL_DESC dd = state.depthStencil ? state.depthStencil->desc : DefaultDepthStencilDesc();
  VkPipelineDepthStencilStateCreateInfo ds{VK_STRUCTURE_TYPE_PIPELINE_DEPTH_STENCIL_STATE_CREATE_INFO};
  const bool hasDepth = key.depthFormat != 0;
  const bool hasStencil = hasDepth && IsStencilFormat(static_cast<VkFormat>(key.depthFormat));
  ds.depthTestEnable = hasDepth && dd.DepthEnable;
  ds.depthWriteEnable = hasDepth && dd.DepthEnable && dd.DepthWriteMask == D3D11_DEPTH_WRITE_MASK_ALL;
  ds.depthCompareOp = Compare(dd.DepthFunc);
  ds.stencilTestEnable = hasStencil && dd.StencilEnable;
  ds.front = StencilFace(dd.FrontFace, dd);
  ds.back = StencilFace(dd.BackFace, dd);
  ds.maxDepthBounds = 1.0f;

  VkPipelineColorBlendAttachmentState blends[kMaxRenderTargets];
  VkFormat colorFormats[kMaxRenderTargets];
  uint32_t colorCount = 0;
  for (uint32_t i = 0; i < kMaxRenderTargets; ++i) {
    if (key.colorFormats[i]) colorCount = i + 1;
  }
  for (uint32_t i = 0; i < colorCount; ++i) {
    const D3D11_RENDER_TARGET_BLEND_DESC& t = bd.RenderTarget[bd.IndependentBlendEnable ? i : 0];
    colorFormats[i] = static_cast<VkFormat>(key.colorFormats[i]);
    blends[i] = {t.BlendEnable && colorFormats[i] != VK_FORMAT_UNDEFINED,
                 BlendFactor(t.SrcBlend),
                 BlendFactor(t.DestBlend),
                 BlendOp(t.BlendOp),
                 BlendFactor(t.SrcBlendAlpha),
                 BlendFactor(t.DestBlendAlpha),
                 BlendOp(t.BlendOpAlpha),
                 static_cast<VkColorComponentFlags>(t.RenderTargetWriteMask)};
  }
  VkPipelineColorBlendStateCreateInfo cb{VK_STRUCTURE_TYPE_PIPELINE_COLOR_BLEND_STATE_CREATE_INFO};
  cb.attachmentCount = colorCount;
  cb.pAttachments = blends;
  const VkDynamicState dynamics[] = {VK_DYNAMIC_STATE_VIEWPORT, VK_DYNAMIC_STATE_SCISSOR,
                                     VK_DYNAMIC_STATE_STENCIL_REFERENCE, VK_DYNAMIC_STATE_BLEND_CONSTANTS};
  VkPipelineDynamicStateCreateInfo dy{VK_STRUCTURE_TYPE_PIPELINE_DYNAMIC_STATE_CREATE_INFO};
  dy.dynamicStateCount = 4;
  dy.pDynamicStates = dynamics;
  VkPipelineRenderingCreateInfo rci{VK_STRUCTURE_TYPE_PIPELINE_RENDERING_CREATE_INFO};
  rci.colorAttachmentCount = colorCount;
  rci.pColorAttachmentFormats = colorFormats;
  rci.depthAttachmentFormat = hasDepth ? static_cast<VkFormat>(key.depthFormat) : VK_FORMAT_UNDEFINED;
  rci.stencilAttachmentFormat = hasStencil ? static_cast<VkFormat>(key.depthFormat) : VK_FORMAT_UNDEFINED;

  VkGraphicsPipelineCreateInfo pci{VK_STRUCTURE_TYPE_GRAPHICS_PIPELINE_CREATE_INFO};
  pci.pNext = &rci;
  pci.stageCount = stageCount;
  pci.pStages = stages;
  pci.pVertexInputState = &vi;
  pci.pInputAssemblyState = &ia;
  pci.pViewportState = &vp;
  pci.pRasterizationState = &rs;
  pci.pMultisampleState = &ms;
  pci.pDepthStencilState = &ds;
  pci.pColorBlendState = &cb;
  pci.pDynamicState = &dy;
  pci.layout = program.layout;
  VkPipeline pipeline = VK_NULL_HANDLE;
  if (vkCreateGraphicsPipelines(vk_.device, VK_NULL_HANDLE, 1, &pci, nullptr, &pipeline) != VK_SUCCESS)
    pipeline = VK_NULL_HANDLE;
  for (VkShaderModule m : patched)
    if (m) vkDestroyShaderModule(vk_.device, m, nullptr);
  pipelines_.emplace(key, pipeline);
  return pipeline;
}

bool Executor::PrepareDraw(UINT startInstance) {
  if (!state.vs || state.numViewports == 0 || Topology(state.topology) == VK_PRIMITIVE_TOPOLOGY_MAX_ENUM) return false;
  Program* program = GetProgram();
  if (!program->usable) return false;
  if (!BeginRendering()) return false;
  VkPipeline pipeline = GetPipeline(*program);
  if (!pipeline) return false;
  VkCommandBuffer cb = Cmd();
  if (pipeline != boundPipeline_) {
    vkCmdBindPipeline(cb, VK_PIPELINE_BIND_POINT_GRAPHICS, pipeline);
    boundPipeline_ = pipeline;
  }

  // Descriptors: what each register of each stage has bound, or a null stand-in.
  VkWriteDescriptorSet writes[kMaxDescriptors];
  VkDescriptorBufferInfo buffers[kMaxDescriptors];
  VkDescriptorImageInfo images[kMaxDescriptors];
  uint32_t n = 0;
  const VkDeviceSize maxRange = vk_.properties.limits.maxUniformBufferRange;
  for (const Program::Binding& b : program->bindings) {
    const StageBindings& sb = state.stages[b.stage];
    VkWriteDescriptorSet& w = writes[n];
    w = {VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET};
    w.dstBinding = b.binding;
    w.descriptorCount = 1;
    w.descriptorType = b.type;
    if (b.type == VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER) {
      Buffer* buf = sb.constantBuffers[b.registerNumber].get();
      buffers[n] = buf ? VkDescriptorBufferInfo{buf->currentBuffer, buf->currentOffset,
                                                std::min<VkDeviceSize>(buf->Desc().ByteWidth, maxRange)}
                       : VkDescriptorBufferInfo{nullBuffer_, 0, std::min<VkDeviceSize>(65536, maxRange)};
      w.pBufferInfo = &buffers[n];
    } else if (b.type == VK_DESCRIPTOR_TYPE_SAMPLER) {
      SamplerState* s = sb.samplers[b.registerNumber].get();
      images[n] = {s ? s->sampler : nullSampler_, VK_NULL_HANDLE, VK_IMAGE_LAYOUT_UNDEFINED};
      w.pImageInfo = &images[n];
    } else {
      ShaderResourceView* v = sb.resources[b.registerNumber].get();
      VkImageView view = v ? v->imageView : nullViews_[b.dimension <= D3D_SRV_DIMENSION_BUFFEREX ? b.dimension : 0];
      if (!view) view = nullViews_[D3D_SRV_DIMENSION_TEXTURE2D];
      images[n] = {VK_NULL_HANDLE, view, VK_IMAGE_LAYOUT_GENERAL};
      w.pImageInfo = &images[n];
    }
    ++n;
  }
  if (n) vk_.cmdPushDescriptorSet(cb, VK_PIPELINE_BIND_POINT_GRAPHICS, program->layout, 0, n, writes);

  // Vertex buffers; per-instance data starts at the draw's first instance, so the
  // shader's instance index counts from 0 within the draw.
  if (state.inputLayout) {
    bool done[kMaxVertexBuffers] = {};
    for (const InputElement& e : state.inputLayout->elements) {
      if (done[e.slot]) continue;
      done[e.slot] = true;
      Buffer* vb = state.vertexBuffers[e.slot].get();
      VkBuffer handle = vb ? vb->currentBuffer : nullBuffer_;
      VkDeviceSize offset = vb ? vb->currentOffset + state.offsets[e.slot] : 0;
      if (e.perInstance && vb) offset += static_cast<VkDeviceSize>(startInstance) * state.strides[e.slot];
      vkCmdBindVertexBuffers(cb, e.slot, 1, &handle, &offset);
    }
  }
  const D3D11_VIEWPORT& v = state.viewports[0];
  VkViewport viewport{v.TopLeftX, v.TopLeftY + v.Height, v.Width, -v.Height, v.MinDepth, v.MaxDepth};
  if (viewport.width <= 0.0f) return false;
  vkCmdSetViewport(cb, 0, 1, &viewport);
  VkRect2D scissor{{0, 0}, renderArea_};
  const bool scissorOn = state.rasterizer && state.rasterizer->desc.ScissorEnable;
  if (scissorOn) {
    if (state.numScissors == 0) return false;
    const D3D11_RECT& r = state.scissors[0];
    LONG left = std::max<LONG>(r.left, 0), top = std::max<LONG>(r.top, 0);
    if (r.right <= left || r.bottom <= top) return false;
    scissor = {{left, top}, {static_cast<uint32_t>(r.right - left), static_cast<uint32_t>(r.bottom - top)}};
  }
  vkCmdSetScissor(cb, 0, 1, &scissor);
  vkCmdSetStencilReference(cb, VK_STENCIL_FACE_FRONT_AND_BACK, state.stencilRef);
  vkCmdSetBlendConstants(cb, state.blendFactor);
  if (++draws_ >= kDrawsPerSubmission) {
    // Bound the work and upload memory one submission holds; the next draw resumes.
    draws_ = 0;
  }
  return true;
}

// ---- Commands --------------------------------------------------------------------------------

void Executor::Run(const Command& command) {
  ApplyState(state, command);
  std::visit([&](const auto& c) { Do(c); }, command);
}

void Executor::RunList(const CommandList& list, bool restore) {
  ContextState saved;
  if (restore) saved = state;
  state = ContextState{};
  for (const Command& c : list.commands) Run(c);
  state = restore ? std::move(saved) : ContextState{};
}

void Executor::Do(const cmd::Draw& c) {
  if (c.vertexCount == 0 || c.instanceCount == 0 || !PrepareDraw(c.startInstance)) return;
  vkCmdDraw(Cmd(), c.vertexCount, c.instanceCount, c.startVertex, 0);
  if (draws_ == 0) Flush();
}

void Executor::Do(const cmd::DrawIndexed& c) {
  if (c.indexCount == 0 || c.instanceCount == 0 || !state.indexBuffer) return;
  if (state.indexFormat != DXGI_FORMAT_R16_UINT && state.indexFormat != DXGI_FORMAT_R32_UINT) return;
  if (!PrepareDraw(c.startInstance)) return;
  VkCommandBuffer cb = Cmd();
  vkCmdBindIndexBuffer(cb, state.indexBuffer->currentBuffer, state.indexBuffer->currentOffset + state.indexOffset,
                       state.indexFormat == DXGI_FORMAT_R16_UINT ? VK_INDEX_TYPE_UINT16 : VK_INDEX_TYPE_UINT32);
  vkCmdDrawIndexed(cb, c.indexCount, c.instanceCount, c.startIndex, c.baseVertex, 0);
  if (draws_ == 0) Flush();
}

bool Executor::ClearInPass(uint32_t slot, uint64_t view, const TextureData& t, const VkImageSubresourceRange& range,
                           const VkClearAttachment& clear) {
  if (!rendering_ || renderingTargets_[slot] != view || range.layerCount != 1) return false;
  const VkExtent3D e = t.MipExtent(range.baseMipLevel);
  if (e.width != renderArea_.width || e.height != renderArea_.height) return false;
  const VkClearRect rect{{{0, 0}, renderArea_}, 0, 1};
  VkClearAttachment attachment = clear;
  if (slot < kMaxRenderTargets) attachment.colorAttachment = slot;
  vkCmdClearAttachments(Cmd(), 1, &attachment, 1, &rect);
  return true;
}

void Executor::Do(const cmd::ClearRenderTarget& c) {
  RenderTargetView* v = c.view;
  VkClearColorValue value;
  if (v->integerFormat) {
    for (int i = 0; i < 4; ++i) value.uint32[i] = static_cast<uint32_t>(c.color[i]);
  } else {
    std::copy(c.color, c.color + 4, value.float32);
  }
  const VkClearAttachment clear{VK_IMAGE_ASPECT_COLOR_BIT, 0, {.color = value}};
  for (uint32_t slot = 0; slot < kMaxRenderTargets; ++slot)
    if (ClearInPass(slot, v->Uid(), *v->texture, v->range, clear)) return;
  EndRendering();
  vkCmdClearColorImage(Cmd(), v->texture->image, VK_IMAGE_LAYOUT_GENERAL, &value, 1, &v->range);
  Barrier();
}

void Executor::Do(const cmd::ClearDepthStencil& c) {
  VkImageSubresourceRange range = c.view->range;
  VkImageAspectFlags aspects = 0;
  if (c.flags & D3D11_CLEAR_DEPTH) aspects |= VK_IMAGE_ASPECT_DEPTH_BIT;
  if (c.flags & D3D11_CLEAR_STENCIL) aspects |= VK_IMAGE_ASPECT_STENCIL_BIT;
  range.aspectMask &= aspects;
  if (!range.aspectMask) return;
  VkClearDepthStencilValue value{std::clamp(c.depth, 0.0f, 1.0f), c.stencil};
  const VkClearAttachment clear{range.aspectMask, 0, {.depthStencil = value}};
  if (ClearInPass(kMaxRenderTargets, c.view->Uid(), *c.view->texture, range, clear)) return;
  EndRendering();
  vkCmdClearDepthStencilImage(Cmd(), c.view->texture->image, VK_IMAGE_LAYOUT_GENERAL, &value, 1, &range);
  Barrier();
}

void Executor::Do(const cmd::Update& c) {
  if (Buffer* b = AsBuffer(c.resource)) {
    const UINT left = c.hasBox ? c.box.left : 0;
    const UINT size = c.rowPitch;  // the byte count, worked out when the update was issued
    Slice slice;
    const bool whole = left == 0 && size == b->Desc().ByteWidth;
    // Buffers bound only as constant, vertex or index input are renamed: later draws read
    // the new contents, earlier ones keep what they had, and the render pass goes on.
    constexpr UINT kRenamable = D3D11_BIND_CONSTANT_BUFFER | D3D11_BIND_VERTEX_BUFFER | D3D11_BIND_INDEX_BUFFER;
    if (whole && !(b->Desc().BindFlags & ~kRenamable)) {
      const VkDeviceSize align = std::max<VkDeviceSize>(vk_.properties.limits.minUniformBufferOffsetAlignment, 16);
      if (FAILED(AllocateUpload(size, align, &slice))) return;
      std::memcpy(slice.data, c.data, size);
      if (b->currentBuffer == b->Handle()) renamed_.emplace_back(b);
      b->currentBuffer = slice.buffer;
      b->currentOffset = slice.offset;
      return;
    }
    if (FAILED(AllocateUpload(size, 16, &slice))) return;
    std::memcpy(slice.data, c.data, size);
    Materialize(b);
    EndRendering();
    VkBufferCopy region{slice.offset, left, size};
    vkCmdCopyBuffer(Cmd(), slice.buffer, b->Handle(), 1, &region);
    Barrier();
    return;
  }
  TextureData* t = AsTexture(c.resource);
  const uint32_t mip = c.subresource % t->mipLevels, layer = c.subresource / t->mipLevels;
  VkExtent3D e = t->MipExtent(mip);
  VkOffset3D offset{0, 0, 0};
  if (c.hasBox) {
    offset = {static_cast<int32_t>(c.box.left), static_cast<int32_t>(c.box.top), static_cast<int32_t>(c.box.front)};
    e = {c.box.right - c.box.left, c.box.bottom - c.box.top, c.box.back - c.box.front};
  }
  const uint32_t rows = BlockRows(t->info, e.height), pitch = StoredRowBytes(t->info, e.width);
  Slice slice;
  if (FAILED(AllocateUpload(static_cast<VkDeviceSize>(pitch) * rows * e.depth, 16 * t->info.blockBytes, &slice)))
    return;
  for (uint32_t z = 0; z < e.depth; ++z)
    ConvertRows(t->info, static_cast<const uint8_t*>(c.data) + static_cast<size_t>(z) * c.depthPitch, c.rowPitch,
                slice.data + static_cast<size_t>(z) * pitch * rows, pitch, e.width, rows);
  EndRendering();
  VkBufferImageCopy region{};
  region.bufferOffset = slice.offset;
  region.imageSubresource = {CopyAspect(t->info), mip, layer, 1};
  region.imageOffset = offset;
  region.imageExtent = e;
  vkCmdCopyBufferToImage(Cmd(), slice.buffer, t->image, VK_IMAGE_LAYOUT_GENERAL, 1, &region);
  Barrier();
}

void Executor::UploadHostCopy(TextureData& t, uint32_t sub) {
  EndRendering();
  VkBufferImageCopy region = t.HostCopy(sub);
  vkCmdCopyBufferToImage(Cmd(), t.hostBuffer, t.image, VK_IMAGE_LAYOUT_GENERAL, 1, &region);
  Barrier();
}

namespace {

bool SameShape(const TextureData& a, const TextureData& b) {
  return a.dimension == b.dimension && a.width == b.width && a.height == b.height && a.depth == b.depth &&
         a.mipLevels == b.mipLevels && a.arraySize == b.arraySize && a.sampleCount == b.sampleCount &&
         a.info.blockBytes == b.info.blockBytes && a.info.blockSize == b.info.blockSize;
}

}  // namespace

void Executor::Do(const cmd::Copy& c) {
  Buffer* db = AsBuffer(c.dst);
  Buffer* sb = AsBuffer(c.src);
  if (db && sb) {
    if (db->Desc().ByteWidth != sb->Desc().ByteWidth) return;
    Materialize(sb);
    Materialize(db);
    EndRendering();
    VkBufferCopy region{0, 0, db->Desc().ByteWidth};
    vkCmdCopyBuffer(Cmd(), sb->Handle(), db->Handle(), 1, &region);
    Barrier();
    return;
  }
  TextureData* dt = AsTexture(c.dst);
  TextureData* st = AsTexture(c.src);
  if (!dt || !st || !SameShape(*dt, *st)) return;
  EndRendering();
  VkCommandBuffer cb = Cmd();
  for (uint32_t sub = 0; sub < dt->SubresourceCount(); ++sub) {
    VkBufferImageCopy region = st->image ? st->HostCopy(sub) : dt->HostCopy(sub);
    if (st->image && dt->image) {
      VkImageCopy ic{region.imageSubresource, {}, region.imageSubresource, {}, region.imageExtent};
      ic.srcSubresource.aspectMask = ic.dstSubresource.aspectMask = st->info.aspect;
      vkCmdCopyImage(cb, st->image, VK_IMAGE_LAYOUT_GENERAL, dt->image, VK_IMAGE_LAYOUT_GENERAL, 1, &ic);
    } else if (st->image) {
      vkCmdCopyImageToBuffer(cb, st->image, VK_IMAGE_LAYOUT_GENERAL, dt->hostBuffer, 1, &region);
    } else if (dt->image) {
      vkCmdCopyBufferToImage(cb, st->hostBuffer, dt->image, VK_IMAGE_LAYOUT_GENERAL, 1, &region);
    } else {
      VkBufferCopy bc{0, 0, std::min(st->hostMemory.size, dt->hostMemory.size)};
      vkCmdCopyBuffer(cb, st->hostBuffer, dt->hostBuffer, 1, &bc);
      break;
    }
  }
  Barrier();
}

void Executor::Do(const cmd::CopyRegion& c) {
  Buffer* db = AsBuffer(c.dst);
  Buffer* sb = AsBuffer(c.src);
  if (db && sb) {
    UINT left = c.hasBox ? c.box.left : 0, right = c.hasBox ? c.box.right : sb->Desc().ByteWidth;
    if (right > sb->Desc().ByteWidth || left >= right || c.x + (right - left) > db->Desc().ByteWidth) return;
    Materialize(sb);
    Materialize(db);
    EndRendering();
    VkBufferCopy region{left, c.x, right - left};
    vkCmdCopyBuffer(Cmd(), sb->Handle(), db->Handle(), 1, &region);
    Barrier();
    return;
  }
  TextureData* dt = AsTexture(c.dst);
  TextureData* st = AsTexture(c.src);
  if (!dt || !st || c.dstSubresource >= dt->SubresourceCount() || c.srcSubresource >= st->SubresourceCount() ||
      dt->sampleCount != st->sampleCount || dt->info.blockBytes != st->info.blockBytes ||
      dt->info.blockSize != st->info.blockSize)
    return;
  VkExtent3D e = st->MipExtent(c.srcSubresource % st->mipLevels);
  VkOffset3D src{0, 0, 0};
  if (c.hasBox) {
    if (c.box.right > e.width || c.box.bottom > e.height || c.box.back > e.depth || c.box.left >= c.box.right ||
        c.box.top >= c.box.bottom || c.box.front >= c.box.back)
      return;
    src = {static_cast<int32_t>(c.box.left), static_cast<int32_t>(c.box.top), static_cast<int32_t>(c.box.front)};
    e = {c.box.right - c.box.left, c.box.bottom - c.box.top, c.box.back - c.box.front};
  }
  VkExtent3D de = dt->MipExtent(c.dstSubresource % dt->mipLevels);
  if (c.x + e.width > de.width || c.y + e.height > de.height || c.z + e.depth > de.depth) return;
  const VkOffset3D dst{static_cast<int32_t>(c.x), static_cast<int32_t>(c.y), static_cast<int32_t>(c.z)};
  EndRendering();
  VkCommandBuffer cb = Cmd();
  if (st->image && dt->image) {
    VkImageCopy ic{};
    ic.srcSubresource = {st->info.aspect, c.srcSubresource % st->mipLevels, c.srcSubresource / st->mipLevels, 1};
    ic.srcOffset = src;
    ic.dstSubresource = {dt->info.aspect, c.dstSubresource % dt->mipLevels, c.dstSubresource / dt->mipLevels, 1};
    ic.dstOffset = dst;
    ic.extent = e;
    vkCmdCopyImage(cb, st->image, VK_IMAGE_LAYOUT_GENERAL, dt->image, VK_IMAGE_LAYOUT_GENERAL, 1, &ic);
  } else if (st->image || dt->image) {
    // One side is a host buffer: address the region inside its subresource layout.
    const bool toHost = st->image != VK_NULL_HANDLE;
    TextureData& host = toHost ? *dt : *st;
    const uint32_t hostSub = toHost ? c.dstSubresource : c.srcSubresource;
    const VkOffset3D hostAt = toHost ? dst : src;
    VkBufferImageCopy region = (toHost ? *st : *dt).HostCopy(toHost ? c.srcSubresource : c.dstSubresource);
    const SubresourceLayout& l = host.layout[hostSub];
    const VkExtent3D he = host.MipExtent(hostSub % host.mipLevels);
    const uint32_t block = host.info.blockSize;
    region.bufferOffset = l.offset + static_cast<VkDeviceSize>(hostAt.z) * l.depthPitch +
                          static_cast<VkDeviceSize>(hostAt.y / block) * l.rowPitch +
                          static_cast<VkDeviceSize>(hostAt.x / block) * host.info.blockBytes;
    region.bufferRowLength = (he.width + block - 1) / block * block;
    region.bufferImageHeight = (he.height + block - 1) / block * block;
    region.imageOffset = toHost ? src : dst;
    region.imageExtent = e;
    if (toHost)
      vkCmdCopyImageToBuffer(cb, st->image, VK_IMAGE_LAYOUT_GENERAL, dt->hostBuffer, 1, &region);
    else
      vkCmdCopyBufferToImage(cb, st->hostBuffer, dt->image, VK_IMAGE_LAYOUT_GENERAL, 1, &region);
  } else {
    const SubresourceLayout &sl = st->layout[c.srcSubresource], &dl = dt->layout[c.dstSubresource];
    const uint32_t block = st->info.blockSize, rows = (e.height + block - 1) / block;
    const uint32_t bytes = (e.width + block - 1) / block * st->info.blockBytes;
    std::vector<VkBufferCopy> regions;
    for (uint32_t z = 0; z < e.depth; ++z)
      for (uint32_t y = 0; y < rows; ++y)
        regions.push_back({sl.offset + (src.z + z) * VkDeviceSize{sl.depthPitch} +
                               (src.y / block + y) * VkDeviceSize{sl.rowPitch} + (src.x / block) * st->info.blockBytes,
                           dl.offset + (dst.z + z) * VkDeviceSize{dl.depthPitch} +
                               (dst.y / block + y) * VkDeviceSize{dl.rowPitch} + (dst.x / block) * dt->info.blockBytes,
                           bytes});
    vkCmdCopyBuffer(cb, st->hostBuffer, dt->hostBuffer, static_cast<uint32_t>(regions.size()), regions.data());
  }
  Barrier();
}

void Executor::Do(const cmd::Resolve& c) {
  TextureData* dt = AsTexture(c.dst);
  TextureData* st = AsTexture(c.src);
  if (!dt || !st || !dt->image || !st->image || dt->sampleCount != 1 || c.dstSubresource >= dt->SubresourceCount() ||
      c.srcSubresource >= st->SubresourceCount() || st->info.aspect != VK_IMAGE_ASPECT_COLOR_BIT)
    return;
  VkExtent3D e = st->MipExtent(c.srcSubresource % st->mipLevels);
  VkImageSubresourceLayers s{VK_IMAGE_ASPECT_COLOR_BIT, c.srcSubresource % st->mipLevels,
                             c.srcSubresource / st->mipLevels, 1};
  VkImageSubresourceLayers d{VK_IMAGE_ASPECT_COLOR_BIT, c.dstSubresource % dt->mipLevels,
                             c.dstSubresource / dt->mipLevels, 1};
  EndRendering();
  if (st->sampleCount == 1) {
    // The source's sample count was lowered to 1 on a device without multisampling.
    VkImageCopy ic{s, {}, d, {}, e};
    vkCmdCopyImage(Cmd(), st->image, VK_IMAGE_LAYOUT_GENERAL, dt->image, VK_IMAGE_LAYOUT_GENERAL, 1, &ic);
  } else {
    VkImageResolve r{s, {}, d, {}, e};
    vkCmdResolveImage(Cmd(), st->image, VK_IMAGE_LAYOUT_GENERAL, dt->image, VK_IMAGE_LAYOUT_GENERAL, 1, &r);
  }
  Barrier();
}

}  // namespace zr::d3d11
