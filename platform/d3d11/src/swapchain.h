// The DXGI swap chain: one back buffer (multisampled as described) that the application
// renders to, resolved at Present into the front image. A window with a display gets a
// Vulkan surface and swapchain and the front image is copied into the acquired image;
// a headless window keeps the front image offscreen.
//
// Present keeps at most kFramesInFlight presents queued, as DXGI's frame latency does,
// and paces a headless sync interval of n to n sixtieths of a second.
#pragma once

#include <dxgi.h>
#include <vulkan/vulkan.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "object.h"
#include "resource.h"

namespace zr::d3d11 {

class SwapChain final : public IDXGISwapChain, public TrackedObject {
 public:
  static HRESULT Create(Device* device, const DXGI_SWAP_CHAIN_DESC& desc, SwapChain** out);
  const char* TypeName() const override { return "IDXGISwapChain"; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefPublic(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleasePublic(); }
  // IDXGIObject, IDXGIDeviceSubObject
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT* dataSize, void*) override;
  HRESULT STDMETHODCALLTYPE GetParent(REFIID, void** parent) override;
  HRESULT STDMETHODCALLTYPE GetDevice(REFIID riid, void** device) override;
  // IDXGISwapChain
  HRESULT STDMETHODCALLTYPE Present(UINT syncInterval, UINT flags) override;
  HRESULT STDMETHODCALLTYPE GetBuffer(UINT buffer, REFIID riid, void** surface) override;
  HRESULT STDMETHODCALLTYPE SetFullscreenState(BOOL fullscreen, IDXGIOutput* target) override;
  HRESULT STDMETHODCALLTYPE GetFullscreenState(BOOL* fullscreen, IDXGIOutput** target) override;
  HRESULT STDMETHODCALLTYPE GetDesc(DXGI_SWAP_CHAIN_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE ResizeBuffers(UINT bufferCount, UINT width, UINT height, DXGI_FORMAT newFormat,
                                          UINT swapChainFlags) override;
  HRESULT STDMETHODCALLTYPE ResizeTarget(const DXGI_MODE_DESC* newTargetParameters) override;
  HRESULT STDMETHODCALLTYPE GetContainingOutput(IDXGIOutput** output) override;
  HRESULT STDMETHODCALLTYPE GetFrameStatistics(DXGI_FRAME_STATISTICS* stats) override;
  HRESULT STDMETHODCALLTYPE GetLastPresentCount(UINT* lastPresentCount) override;

  // The front image as last presented, as rows of tightly packed texels of the
  // back buffer's format (waits for the GPU).
  HRESULT ReadFrontImage(UINT* width, UINT* height, std::vector<uint8_t>* texels);

  static constexpr uint32_t kFramesInFlight = 3;

 private:
  explicit SwapChain(Device* device) : TrackedObject(device) {}
  ~SwapChain() override;

  // One queued present: its command buffer, what it waits on and its submission.
  struct Frame {
    VkCommandBuffer cb = VK_NULL_HANDLE;
    VkSemaphore acquired = VK_NULL_HANDLE;
    uint64_t serial = 0;
  };

  HRESULT Init(const DXGI_SWAP_CHAIN_DESC& desc);
  // Makes the back buffer and the front image at the size and format of `desc`, which
  // becomes the description; on failure the old ones stay.
  HRESULT CreateBuffers(const DXGI_SWAP_CHAIN_DESC& desc);
  void DestroyFrontImage();
  // (Re)creates the Vulkan swapchain for the surface at its current extent; leaves
  // none while the window has no area (minimised).
  HRESULT CreateVulkanSwapchain(bool vsync);
  void DestroyVulkanSwapchain(VkSwapchainKHR swapchain);
  void RecordResolve(VkCommandBuffer cb);
  HRESULT PresentToSurface(Frame& frame, bool vsync);
  void PaceHeadless(UINT syncInterval);

  DXGI_SWAP_CHAIN_DESC desc_{};
  void* nativeWindow_ = nullptr;     // the SDL window, or null for a headless one
  Texture2D* backBuffer_ = nullptr;  // holds a private reference

  // The single-sampled image the back buffer is resolved into at Present.
  VkImage front_ = VK_NULL_HANDLE;
  GpuMemory frontMemory_;

  VkCommandPool pool_ = VK_NULL_HANDLE;
  Frame frames_[kFramesInFlight];
  uint32_t frameIndex_ = 0;
  UINT presentCount_ = 0;

  // Presenting to a window.
  VkSurfaceKHR surface_ = VK_NULL_HANDLE;
  VkSwapchainKHR swapchain_ = VK_NULL_HANDLE;
  VkExtent2D swapchainExtent_{};
  bool swapchainVsync_ = false;
  bool swapchainStale_ = false;
  std::vector<VkImage> swapchainImages_;
  std::vector<VkSemaphore> rendered_;  // one per swapchain image, waited on by the present

  std::chrono::steady_clock::time_point lastPresent_{};
};

// The instance extensions a surface for a display window needs, appended to `names`
// (VK_KHR_surface and what the display's video driver asks for), when a display is
// open; nothing for headless processes.
void AppendSurfaceExtensions(std::vector<const char*>* names);

}  // namespace zr::d3d11
