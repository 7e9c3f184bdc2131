// Runs commands on Vulkan for the immediate context: keeps the bound state, begins and
// ends dynamic rendering around draws, builds pipelines once per combination of
// shaders, input layout, states, target formats and topology, pushes descriptors per
// draw, renames constant-buffer updates into an upload ring, and submits.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "commands.h"

namespace zr::d3d11 {

class CommandList;

class Executor {
 public:
  explicit Executor(Device* device);
  ~Executor();
  Executor(const Executor&) = delete;
  Executor& operator=(const Executor&) = delete;
  HRESULT Init();

  ContextState state;

  void Run(const Command& command);
  // Runs a command list from the cleared state; afterwards the state is `saved` when
  // given, else cleared.
  void RunList(const CommandList& list, bool restore);
  // Submits what has been recorded (nothing when nothing was).
  void Flush();
  // Flush, then wait for the GPU to finish everything; false when the device is lost.
  bool FlushAndWait();
  // Ends rendering and records the copy of a dynamic texture's host buffer into its image.
  void UploadHostCopy(TextureData& texture, uint32_t subresource);

 private:
  struct Frame {
    VkCommandPool pool = VK_NULL_HANDLE;
    VkCommandBuffer cb = VK_NULL_HANDLE;
    uint64_t serial = 0;
  };
  struct Chunk {
    VkBuffer buffer = VK_NULL_HANDLE;
    GpuMemory memory;
    VkDeviceSize used = 0;
    uint64_t serial = 0;
    bool inFrame = false;
  };
  struct Slice {
    VkBuffer buffer;
    VkDeviceSize offset;
    uint8_t* data;
  };
  struct Program;
  struct PipelineKey;
  struct KeyHash {
    size_t operator()(const PipelineKey& k) const;
  };
  struct KeyEqual {
    bool operator()(const PipelineKey& a, const PipelineKey& b) const;
  };

  VkCommandBuffer Cmd();
  void Barrier();
  void EndRendering();
  bool BeginRendering();
  // Clears `view` inside the open render pass when it is the attachment in `slot` (a
  // colour slot, or kMaxRenderTargets for the depth and stencil), so the pass goes on;
  // false when it is not, or the clear would not cover the whole attachment as the pass
  // sees it (a part of it, or more than one layer).
  bool ClearInPass(uint32_t slot, uint64_t view, const TextureData& t, const VkImageSubresourceRange& range,
                   const VkClearAttachment& clear);
  HRESULT AllocateUpload(VkDeviceSize size, VkDeviceSize align, Slice* out);
  void Materialize(Buffer* buffer);
  Program* GetProgram();
  VkPipeline GetPipeline(Program& program);
  bool PrepareDraw(UINT startInstance);

  void Do(const cmd::ClearRenderTarget& c);
  void Do(const cmd::ClearDepthStencil& c);
  void Do(const cmd::Draw& c);
  void Do(const cmd::DrawIndexed& c);
  void Do(const cmd::Update& c);
  void Do(const cmd::Copy& c);
  void Do(const cmd::CopyRegion& c);
  void Do(const cmd::Resolve& c);
  template <typename T>
  void Do(const T&) {}

  Device* device_;
  VulkanDevice& vk_;
  std::vector<std::unique_ptr<Frame>> frames_;
  Frame* frame_ = nullptr;
  uint32_t draws_ = 0;
  std::vector<Chunk> chunks_;
  size_t chunk_ = SIZE_MAX;
  std::vector<Ref<Buffer>> renamed_;

  bool rendering_ = false;
  uint64_t renderingTargets_[kMaxRenderTargets + 1] = {};
  VkExtent2D renderArea_{};
  VkPipeline boundPipeline_ = VK_NULL_HANDLE;

  std::unordered_map<PipelineKey, VkPipeline, KeyHash, KeyEqual> pipelines_;
  std::vector<std::unique_ptr<Program>> programs_;
  Program* lastProgram_ = nullptr;

  // What a draw sees where nothing is bound.
  VkBuffer nullBuffer_ = VK_NULL_HANDLE;
  GpuMemory nullBufferMemory_;
  VkImage nullImages_[4] = {};  // 1D, 2D (cube-compatible, 6 layers), 3D, 2D multisampled
  GpuMemory nullImageMemory_[4];
  VkImageView nullViews_[D3D_SRV_DIMENSION_BUFFEREX + 1] = {};
  VkSampler nullSampler_ = VK_NULL_HANDLE;
};

}  // namespace zr::d3d11
