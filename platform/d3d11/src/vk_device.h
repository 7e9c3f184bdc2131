// The Vulkan side of a device: instance, physical device choice, logical device and
// queue, memory, submissions counted on one timeline, and destruction deferred until
// the GPU is done with an object.
//
// Submissions: every vkQueueSubmit signals the timeline semaphore with the next serial.
// An object released while commands may still use it is destroyed once the serial of
// the submission that could use it has completed (NextSerial() at release time).
#pragma once

#include <vulkan/vulkan.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace zr::d3d11 {

struct GpuMemory {
  VkDeviceMemory memory = VK_NULL_HANDLE;
  void* mapped = nullptr;  // host-visible allocations stay mapped
  VkDeviceSize size = 0;
};

enum class MemoryKind { DeviceLocal, Upload, Readback };

class VulkanDevice {
 public:
  // Picks the best physical device (discrete > integrated > virtual > cpu) that offers
  // what the layer needs, and creates the logical device.
  static HRESULT Create(std::unique_ptr<VulkanDevice>* out);
  ~VulkanDevice();
  VulkanDevice(const VulkanDevice&) = delete;
  VulkanDevice& operator=(const VulkanDevice&) = delete;

  VkInstance instance = VK_NULL_HANDLE;  // shared by the process's devices, never destroyed
  VkPhysicalDevice physical = VK_NULL_HANDLE;
  VkDevice device = VK_NULL_HANDLE;
  VkQueue queue = VK_NULL_HANDLE;
  uint32_t queueFamily = 0;
  VkPhysicalDeviceProperties properties{};
  VkPhysicalDeviceMemoryProperties memoryProperties{};
  VkPhysicalDeviceFeatures enabledFeatures{};
  PFN_vkCmdPushDescriptorSetKHR cmdPushDescriptorSet = nullptr;

  // The largest sample count at most `wanted` that colour and depth targets support.
  uint32_t SupportedSampleCount(uint32_t wanted) const;
  bool SupportsFormat(VkFormat format, VkFormatFeatureFlags features) const;

  HRESULT Allocate(const VkMemoryRequirements& req, MemoryKind kind, GpuMemory* out);
  HRESULT CreateBuffer(VkDeviceSize size, VkBufferUsageFlags usage, MemoryKind kind, VkBuffer* buffer,
                       GpuMemory* memory);

  // Submits `cb` (signalling the next serial) and returns that serial. Thread-safe.
  // A swap chain adds the binary semaphores of its image: `wait` (acquired, waited on
  // before transfers) and `signal` (rendered, for the present to wait on). A submission
  // the driver refuses loses the device: its serial is never signalled.
  uint64_t Submit(VkCommandBuffer cb, VkSemaphore wait = VK_NULL_HANDLE, VkSemaphore signal = VK_NULL_HANDLE);
  // vkQueuePresentKHR on the queue, serialised with the submissions.
  VkResult Present(const VkPresentInfoKHR& info);
  // vkQueueWaitIdle: every submission and every present's semaphore wait is done.
  void WaitQueueIdle();
  // Whether VK_KHR_swapchain is enabled (a surface could be found at creation).
  bool canPresent = false;
  // Blocks until `serial` has completed; false (at once) when the device is lost, since
  // then it may never complete.
  bool Wait(uint64_t serial);
  // Whether a submission or a wait failed: the device is removed, in D3D's terms.
  bool Lost() const { return lost_.load(std::memory_order_acquire); }
  uint64_t CompletedSerial();
  // The serial of the next submission: what a released object must wait for.
  uint64_t NextSerial();
  // Records `record` into a one-time command buffer, submits it and waits. Thread-safe.
  HRESULT RunOneShot(const std::function<void(VkCommandBuffer)>& record);
  bool WaitIdle();

  // Destroys the handle (and frees `memory`) once the GPU can no longer use it.
  void DestroyLater(VkObjectType type, uint64_t handle, VkDeviceMemory memory = VK_NULL_HANDLE);
  template <typename H>
  void DestroyLater(VkObjectType type, H handle, VkDeviceMemory memory = VK_NULL_HANDLE) {
    if (handle != VK_NULL_HANDLE) DestroyLater(type, reinterpret_cast<uint64_t>(handle), memory);
  }
  void CollectGarbage();
  // The immediate context records into one command buffer that is submitted after other
  // work (one-shot uploads) may have been: what is released while it records may be in
  // it, and waits for its submission as `serial`.
  void BeginRecording();
  void EndRecording(uint64_t serial);

 private:
  VulkanDevice() = default;
  HRESULT Init();
  void DestroyNow(VkObjectType type, uint64_t handle, VkDeviceMemory memory);

  VkSemaphore timeline_ = VK_NULL_HANDLE;
  std::mutex queueMutex_;
  uint64_t submitted_ = 0;  // guarded by queueMutex_
  // Set before a serial that will never be signalled is published in submitted_.
  std::atomic<bool> lost_{false};
  void MarkLost(const char* call, VkResult result);

  std::mutex oneShotMutex_;
  VkCommandPool oneShotPool_ = VK_NULL_HANDLE;

  struct Garbage {
    uint64_t serial;
    VkObjectType type;
    uint64_t handle;
    VkDeviceMemory memory;
  };
  std::mutex garbageMutex_;
  bool recording_ = false;  // guarded by garbageMutex_
  std::vector<Garbage> garbage_;
};

// Prints a line to the debugger output (stderr unless a debugger sink is installed).
void DebugPrint(const char* text);

}  // namespace zr::d3d11
