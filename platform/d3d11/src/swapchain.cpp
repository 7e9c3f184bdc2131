#include "swapchain.h"

#include <SDL.h>
#include <SDL_vulkan.h>
#include <zr_d3d11.h>
#include <zr_win32.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "context.h"
#include "device.h"

namespace zr::d3d11 {
namespace {

constexpr UINT kMaxBuffers = 16;
constexpr UINT kMaxSyncInterval = 4;
constexpr std::chrono::microseconds kRefreshPeriod{16667};  // 60 Hz

bool IsFlipModel(DXGI_SWAP_EFFECT effect) {
  return effect == DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL || effect == DXGI_SWAP_EFFECT_FLIP_DISCARD;
}

// The formats a swap chain's buffers may have.
bool IsBufferFormat(DXGI_FORMAT format) {
  switch (format) {
    case DXGI_FORMAT_R8G8B8A8_UNORM:
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB:
    case DXGI_FORMAT_B8G8R8A8_UNORM:
    case DXGI_FORMAT_B8G8R8A8_UNORM_SRGB:
    case DXGI_FORMAT_R10G10B10A2_UNORM:
    case DXGI_FORMAT_R16G16B16A16_FLOAT:
      return true;
    default:
      return false;
  }
}

// The client area of `window` (none for a minimised one).
VkExtent2D ClientExtent(HWND window) {
  RECT r{};
  if (!GetClientRect(window, &r)) return {0, 0};
  return {static_cast<uint32_t>(std::max<LONG>(0, r.right - r.left)),
          static_cast<uint32_t>(std::max<LONG>(0, r.bottom - r.top))};
}

bool HasInstanceExtension(const std::vector<VkExtensionProperties>& all, const char* name) {
  for (const auto& e : all)
    if (std::strcmp(e.extensionName, name) == 0) return true;
  return false;
}

void ImageBarrier(VkCommandBuffer cb, VkImage image, VkImageLayout from, VkImageLayout to, VkAccessFlags srcAccess,
                  VkAccessFlags dstAccess, VkPipelineStageFlags srcStage, VkPipelineStageFlags dstStage) {
  VkImageMemoryBarrier b{VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER};
  b.srcAccessMask = srcAccess;
  b.dstAccessMask = dstAccess;
  b.oldLayout = from;
  b.newLayout = to;
  b.srcQueueFamilyIndex = b.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
  b.image = image;
  b.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
  vkCmdPipelineBarrier(cb, srcStage, dstStage, 0, 0, nullptr, 0, nullptr, 1, &b);
}

void MemoryBarrier(VkCommandBuffer cb, VkAccessFlags srcAccess, VkAccessFlags dstAccess, VkPipelineStageFlags srcStage,
                   VkPipelineStageFlags dstStage) {
  VkMemoryBarrier b{VK_STRUCTURE_TYPE_MEMORY_BARRIER};
  b.srcAccessMask = srcAccess;
  b.dstAccessMask = dstAccess;
  vkCmdPipelineBarrier(cb, srcStage, dstStage, 0, 1, &b, 0, nullptr, 0, nullptr);
}

}  // namespace

void AppendSurfaceExtensions(std::vector<const char*>* names) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  unsigned count = 0;
  if (!SDL_Vulkan_GetInstanceExtensions(nullptr, &count, nullptr)) return;
  std::vector<const char*> wanted(count);
  if (!SDL_Vulkan_GetInstanceExtensions(nullptr, &count, wanted.data())) return;
  wanted.resize(count);
  wanted.push_back(VK_KHR_SURFACE_EXTENSION_NAME);
  uint32_t n = 0;
  vkEnumerateInstanceExtensionProperties(nullptr, &n, nullptr);
  std::vector<VkExtensionProperties> available(n);
  vkEnumerateInstanceExtensionProperties(nullptr, &n, available.data());
  for (const char* name : wanted) {
    bool known = std::any_of(names->begin(), names->end(), [&](const char* n2) { return std::strcmp(n2, name) == 0; });
    if (!known && HasInstanceExtension(available, name)) names->push_back(name);
  }
}

HRESULT SwapChain::Create(Device* device, const DXGI_SWAP_CHAIN_DESC& desc, SwapChain** out) {
  *out = nullptr;
  if (!IsWindow(desc.OutputWindow) || !IsBufferFormat(desc.BufferDesc.Format) || desc.BufferCount == 0 ||
      desc.BufferCount > kMaxBuffers || desc.SampleDesc.Count == 0 || desc.SampleDesc.Quality != 0 ||
      (desc.BufferUsage & ~(DXGI_USAGE_RENDER_TARGET_OUTPUT | DXGI_USAGE_SHADER_INPUT | DXGI_USAGE_BACK_BUFFER |
                            DXGI_USAGE_DISCARD_ON_PRESENT)) ||
      (IsFlipModel(desc.SwapEffect) && (desc.BufferCount < 2 || desc.SampleDesc.Count != 1)))
    return DXGI_ERROR_INVALID_CALL;
  SwapChain* s = new SwapChain(device);
  HRESULT hr = s->Init(desc);
  if (FAILED(hr)) {
    s->Release();
    return hr;
  }
  *out = s;
  return S_OK;
}

HRESULT SwapChain::Init(const DXGI_SWAP_CHAIN_DESC& desc) {
  VulkanDevice& vk = OwnerDevice()->Vk();
  desc_ = desc;
  desc_.BufferUsage |= DXGI_USAGE_BACK_BUFFER;
  VkExtent2D client = ClientExtent(desc.OutputWindow);
  if (desc_.BufferDesc.Width == 0) desc_.BufferDesc.Width = std::max(1u, client.width);
  if (desc_.BufferDesc.Height == 0) desc_.BufferDesc.Height = std::max(1u, client.height);

  VkCommandPoolCreateInfo pci{VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO};
  pci.flags = VK_COMMAND_POOL_CREATE_RESET_COMMAND_BUFFER_BIT;
  pci.queueFamilyIndex = vk.queueFamily;
  if (vkCreateCommandPool(vk.device, &pci, nullptr, &pool_) != VK_SUCCESS) return E_OUTOFMEMORY;
  for (Frame& f : frames_) {
    VkCommandBufferAllocateInfo ai{VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO};
    ai.commandPool = pool_;
    ai.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
    ai.commandBufferCount = 1;
    VkSemaphoreCreateInfo sci{VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO};
    if (vkAllocateCommandBuffers(vk.device, &ai, &f.cb) != VK_SUCCESS ||
        vkCreateSemaphore(vk.device, &sci, nullptr, &f.acquired) != VK_SUCCESS)
      return E_OUTOFMEMORY;
  }

  nativeWindow_ = zr::win32::NativeWindow(desc.OutputWindow);
  if (nativeWindow_) {
    VkBool32 supported = VK_FALSE;
    if (!vk.canPresent || !SDL_Vulkan_CreateSurface(static_cast<SDL_Window*>(nativeWindow_), vk.instance, &surface_) ||
        vkGetPhysicalDeviceSurfaceSupportKHR(vk.physical, vk.queueFamily, surface_, &supported) != VK_SUCCESS ||
        !supported) {
      std::string line =
          std::string("DXGI ERROR: the window cannot be presented to through Vulkan (") + SDL_GetError() + ")\n";
      DebugPrint(line.c_str());
      return DXGI_ERROR_UNSUPPORTED;
    }
  }
  return CreateBuffers(desc_);
}

SwapChain::~SwapChain() {
  VulkanDevice& vk = OwnerDevice()->Vk();
  vk.WaitQueueIdle();
  if (backBuffer_) backBuffer_->ReleasePrivate();
  DestroyFrontImage();
  DestroyVulkanSwapchain(swapchain_);
  for (VkSemaphore s : rendered_) vkDestroySemaphore(vk.device, s, nullptr);
  if (surface_) vkDestroySurfaceKHR(vk.instance, surface_, nullptr);
  for (Frame& f : frames_)
    if (f.acquired) vkDestroySemaphore(vk.device, f.acquired, nullptr);
  if (pool_) vkDestroyCommandPool(vk.device, pool_, nullptr);
}

HRESULT SwapChain::CreateBuffers(const DXGI_SWAP_CHAIN_DESC& desc) {
  Device* device = OwnerDevice();
  VulkanDevice& vk = device->Vk();
  D3D11_TEXTURE2D_DESC td{};
  td.Width = desc.BufferDesc.Width;
  td.Height = desc.BufferDesc.Height;
  td.MipLevels = 1;
  td.ArraySize = 1;
  td.Format = desc.BufferDesc.Format;
  td.SampleDesc = desc.SampleDesc;
  td.Usage = D3D11_USAGE_DEFAULT;
  td.BindFlags = ((desc.BufferUsage & DXGI_USAGE_RENDER_TARGET_OUTPUT) ? D3D11_BIND_RENDER_TARGET : 0) |
                 ((desc.BufferUsage & DXGI_USAGE_SHADER_INPUT) ? D3D11_BIND_SHADER_RESOURCE : 0);
  Texture2D* back = nullptr;
  HRESULT hr = Texture2D::Create(device, td, nullptr, &back);
  if (FAILED(hr)) return hr;

  VkImageCreateInfo ici{VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO};
  ici.imageType = VK_IMAGE_TYPE_2D;
  ici.format = back->info.vk;
  ici.extent = {td.Width, td.Height, 1};
  ici.mipLevels = 1;
  ici.arrayLayers = 1;
  ici.samples = VK_SAMPLE_COUNT_1_BIT;
  ici.tiling = VK_IMAGE_TILING_OPTIMAL;
  ici.usage = VK_IMAGE_USAGE_TRANSFER_SRC_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT;
  ici.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
  VkImage front = VK_NULL_HANDLE;
  GpuMemory frontMemory;
  VkMemoryRequirements req{};
  if (vkCreateImage(vk.device, &ici, nullptr, &front) != VK_SUCCESS) hr = E_OUTOFMEMORY;
  if (SUCCEEDED(hr)) {
    vkGetImageMemoryRequirements(vk.device, front, &req);
    hr = vk.Allocate(req, MemoryKind::DeviceLocal, &frontMemory);
  }
  if (SUCCEEDED(hr) && vkBindImageMemory(vk.device, front, frontMemory.memory, 0) != VK_SUCCESS) hr = E_FAIL;
  if (SUCCEEDED(hr)) {
    hr = vk.RunOneShot([&](VkCommandBuffer cb) {
      ImageBarrier(cb, front, VK_IMAGE_LAYOUT_UNDEFINED, VK_IMAGE_LAYOUT_GENERAL, 0,
                   VK_ACCESS_TRANSFER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT, VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT,
                   VK_PIPELINE_STAGE_TRANSFER_BIT);
    });
  }
  if (FAILED(hr)) {
    if (front) vkDestroyImage(vk.device, front, nullptr);
    if (frontMemory.memory) vkFreeMemory(vk.device, frontMemory.memory, nullptr);
    back->Release();
    return hr;
  }

  // The swap chain's own reference is a private one: the application's count starts
  // at zero and GetBuffer adds to it.
  back->AddRefPrivate();
  back->ReleasePublic();
  if (backBuffer_) backBuffer_->ReleasePrivate();
  backBuffer_ = back;
  DestroyFrontImage();
  front_ = front;
  frontMemory_ = frontMemory;
  desc_ = desc;
  return S_OK;
}

void SwapChain::DestroyFrontImage() {
  if (front_) OwnerDevice()->Vk().DestroyLater(VK_OBJECT_TYPE_IMAGE, front_, frontMemory_.memory);
  front_ = VK_NULL_HANDLE;
  frontMemory_ = {};
}

HRESULT SwapChain::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == __uuidof(IUnknown) || riid == __uuidof(IDXGIObject) || riid == __uuidof(IDXGIDeviceSubObject) ||
      riid == __uuidof(IDXGISwapChain)) {
    AddRefPublic();
    *object = static_cast<IDXGISwapChain*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT SwapChain::GetPrivateData(REFGUID, UINT* dataSize, void*) {
  if (dataSize) *dataSize = 0;
  return DXGI_ERROR_NOT_FOUND;
}

HRESULT SwapChain::GetParent(REFIID, void** parent) {
  if (!parent) return DXGI_ERROR_INVALID_CALL;
  *parent = nullptr;
  return E_NOINTERFACE;
}

HRESULT SwapChain::GetDevice(REFIID riid, void** device) {
  if (!device) return DXGI_ERROR_INVALID_CALL;
  return DeviceInterface(OwnerDevice())->QueryInterface(riid, device);
}

HRESULT SwapChain::GetBuffer(UINT buffer, REFIID riid, void** surface) {
  if (!surface) return DXGI_ERROR_INVALID_CALL;
  *surface = nullptr;
  // With the discard and sequential effects only buffer 0 can be reached.
  if (buffer != 0 && !(IsFlipModel(desc_.SwapEffect) && buffer < desc_.BufferCount)) return DXGI_ERROR_INVALID_CALL;
  return backBuffer_->QueryInterface(riid, surface);
}

HRESULT SwapChain::SetFullscreenState(BOOL fullscreen, IDXGIOutput*) {
  return fullscreen ? DXGI_ERROR_NOT_CURRENTLY_AVAILABLE : S_OK;
}

HRESULT SwapChain::GetFullscreenState(BOOL* fullscreen, IDXGIOutput** target) {
  if (fullscreen) *fullscreen = FALSE;
  if (target) *target = nullptr;
  return S_OK;
}

HRESULT SwapChain::GetDesc(DXGI_SWAP_CHAIN_DESC* desc) {
  if (!desc) return DXGI_ERROR_INVALID_CALL;
  *desc = desc_;
  return S_OK;
}

HRESULT SwapChain::ResizeBuffers(UINT bufferCount, UINT width, UINT height, DXGI_FORMAT newFormat,
                                 UINT swapChainFlags) {
  if (bufferCount > kMaxBuffers || (newFormat != DXGI_FORMAT_UNKNOWN && !IsBufferFormat(newFormat)) ||
      (IsFlipModel(desc_.SwapEffect) && bufferCount == 1))
    return DXGI_ERROR_INVALID_CALL;
  // Every reference but the swap chain's own: the application's, a view's, a binding
  // in a context's state, a command list naming it.
  if (backBuffer_->PublicCount() != 0 || backBuffer_->PrivateCount() != 1) {
    DebugPrint(
        "DXGI ERROR: IDXGISwapChain::ResizeBuffers: the back buffer is still referenced (by the application, a view "
        "on it, a binding in a context or a command list); release every reference before resizing\n");
    return DXGI_ERROR_INVALID_CALL;
  }
  DXGI_SWAP_CHAIN_DESC next = desc_;
  if (bufferCount != 0) next.BufferCount = bufferCount;
  if (newFormat != DXGI_FORMAT_UNKNOWN) next.BufferDesc.Format = newFormat;
  // A zero size takes the client area; a minimised window has none, and the buffers
  // keep one pixel each way until it is restored.
  VkExtent2D client = ClientExtent(desc_.OutputWindow);
  next.BufferDesc.Width = std::max(1u, width != 0 ? width : client.width);
  next.BufferDesc.Height = std::max(1u, height != 0 ? height : client.height);
  next.Flags = swapChainFlags;
  HRESULT hr = CreateBuffers(next);
  if (SUCCEEDED(hr)) swapchainStale_ = true;
  return hr;
}

HRESULT SwapChain::ResizeTarget(const DXGI_MODE_DESC* newTargetParameters) {
  return newTargetParameters ? E_NOTIMPL : DXGI_ERROR_INVALID_CALL;
}

HRESULT SwapChain::GetContainingOutput(IDXGIOutput** output) {
  if (output) *output = nullptr;
  return DXGI_ERROR_UNSUPPORTED;
}

HRESULT SwapChain::GetFrameStatistics(DXGI_FRAME_STATISTICS* stats) {
  if (stats) *stats = {};
  return DXGI_ERROR_FRAME_STATISTICS_DISJOINT;
}

HRESULT SwapChain::GetLastPresentCount(UINT* lastPresentCount) {
  if (!lastPresentCount) return DXGI_ERROR_INVALID_CALL;
  *lastPresentCount = presentCount_;
  return S_OK;
}

void SwapChain::RecordResolve(VkCommandBuffer cb) {
  // The application's rendering was submitted before this; it must be done with the
  // back buffer before it is read.
  MemoryBarrier(cb, VK_ACCESS_MEMORY_WRITE_BIT, VK_ACCESS_TRANSFER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT,
                VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT);
  const VkImageSubresourceLayers layers{VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
  const VkExtent3D extent{backBuffer_->width, backBuffer_->height, 1};
  if (backBuffer_->sampleCount > 1) {
    VkImageResolve r{layers, {0, 0, 0}, layers, {0, 0, 0}, extent};
    vkCmdResolveImage(cb, backBuffer_->image, VK_IMAGE_LAYOUT_GENERAL, front_, VK_IMAGE_LAYOUT_GENERAL, 1, &r);
  } else {
    VkImageCopy c{layers, {0, 0, 0}, layers, {0, 0, 0}, extent};
    vkCmdCopyImage(cb, backBuffer_->image, VK_IMAGE_LAYOUT_GENERAL, front_, VK_IMAGE_LAYOUT_GENERAL, 1, &c);
  }
  // Whatever comes next (the next frame's rendering into the back buffer, a copy of
  // the front image) waits for the resolve.
  MemoryBarrier(cb, VK_ACCESS_TRANSFER_WRITE_BIT, VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT,
                VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT);
}

HRESULT SwapChain::Present(UINT syncInterval, UINT flags) {
  if (syncInterval > kMaxSyncInterval) return DXGI_ERROR_INVALID_CALL;
  VkExtent2D client = ClientExtent(desc_.OutputWindow);
  const bool occluded = client.width == 0 || client.height == 0;
  if (flags & DXGI_PRESENT_TEST) return occluded ? DXGI_STATUS_OCCLUDED : S_OK;
  // What the application recorded goes to the GPU first.
  ID3D11DeviceContext* immediate = OwnerDevice()->Immediate();
  immediate->Flush();
  if (occluded) return DXGI_STATUS_OCCLUDED;

  VulkanDevice& vk = OwnerDevice()->Vk();
  Frame& frame = frames_[frameIndex_];
  frameIndex_ = (frameIndex_ + 1) % kFramesInFlight;
  if (!vk.Wait(frame.serial)) return DXGI_ERROR_DEVICE_REMOVED;
  vkResetCommandBuffer(frame.cb, 0);
  HRESULT hr = S_OK;
  if (surface_) {
    hr = PresentToSurface(frame, syncInterval > 0);
  } else {
    VkCommandBufferBeginInfo bi{VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO};
    bi.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    vkBeginCommandBuffer(frame.cb, &bi);
    RecordResolve(frame.cb);
    vkEndCommandBuffer(frame.cb);
    frame.serial = vk.Submit(frame.cb);
    PaceHeadless(syncInterval);
  }
  if (SUCCEEDED(hr)) ++presentCount_;
  return hr;
}

void SwapChain::PaceHeadless(UINT syncInterval) {
  auto now = std::chrono::steady_clock::now();
  if (syncInterval > 0) {
    auto due = lastPresent_ + syncInterval * kRefreshPeriod;
    if (now < due) {
      std::this_thread::sleep_until(due);
      now = due;
    }
  }
  lastPresent_ = now;
}

HRESULT SwapChain::CreateVulkanSwapchain(bool vsync) {
  VulkanDevice& vk = OwnerDevice()->Vk();
  // The images of the swapchain being replaced may still be read by the presentation.
  vk.WaitQueueIdle();
  VkSwapchainKHR old = swapchain_;
  swapchain_ = VK_NULL_HANDLE;
  swapchainStale_ = false;
  swapchainImages_.clear();

  VkSurfaceCapabilitiesKHR caps{};
  if (vkGetPhysicalDeviceSurfaceCapabilitiesKHR(vk.physical, surface_, &caps) != VK_SUCCESS) {
    DestroyVulkanSwapchain(old);
    return DXGI_ERROR_DEVICE_REMOVED;
  }
  VkExtent2D extent = caps.currentExtent;
  if (extent.width == UINT32_MAX) {
    extent.width = std::clamp(backBuffer_->width, caps.minImageExtent.width, caps.maxImageExtent.width);
    extent.height = std::clamp(backBuffer_->height, caps.minImageExtent.height, caps.maxImageExtent.height);
  }
  if (extent.width == 0 || extent.height == 0 || !(caps.supportedUsageFlags & VK_IMAGE_USAGE_TRANSFER_DST_BIT)) {
    DestroyVulkanSwapchain(old);
    return S_OK;
  }

  uint32_t n = 0;
  vkGetPhysicalDeviceSurfaceFormatsKHR(vk.physical, surface_, &n, nullptr);
  std::vector<VkSurfaceFormatKHR> formats(n);
  vkGetPhysicalDeviceSurfaceFormatsKHR(vk.physical, surface_, &n, formats.data());
  if (formats.empty()) {
    DestroyVulkanSwapchain(old);
    return DXGI_ERROR_UNSUPPORTED;
  }
  VkSurfaceFormatKHR format = formats[0];
  for (const auto& f : formats)
    if (f.format == VK_FORMAT_B8G8R8A8_UNORM || f.format == VK_FORMAT_R8G8B8A8_UNORM) format = f;

  vkGetPhysicalDeviceSurfacePresentModesKHR(vk.physical, surface_, &n, nullptr);
  std::vector<VkPresentModeKHR> modes(n);
  vkGetPhysicalDeviceSurfacePresentModesKHR(vk.physical, surface_, &n, modes.data());
  VkPresentModeKHR mode = VK_PRESENT_MODE_FIFO_KHR;  // always offered: waits for the vertical blank
  if (!vsync) {
    for (VkPresentModeKHR wanted : {VK_PRESENT_MODE_MAILBOX_KHR, VK_PRESENT_MODE_IMMEDIATE_KHR})
      if (std::find(modes.begin(), modes.end(), wanted) != modes.end()) mode = wanted;
  }

  VkSwapchainCreateInfoKHR ci{VK_STRUCTURE_TYPE_SWAPCHAIN_CREATE_INFO_KHR};
  ci.surface = surface_;
  ci.minImageCount = caps.minImageCount + 1;
  if (caps.maxImageCount != 0) ci.minImageCount = std::min(ci.minImageCount, caps.maxImageCount);
  ci.imageFormat = format.format;
  ci.imageColorSpace = format.colorSpace;
  ci.imageExtent = extent;
  ci.imageArrayLayers = 1;
  ci.imageUsage = VK_IMAGE_USAGE_TRANSFER_DST_BIT;
  ci.imageSharingMode = VK_SHARING_MODE_EXCLUSIVE;
  ci.preTransform = caps.currentTransform;
  ci.compositeAlpha = VK_COMPOSITE_ALPHA_OPAQUE_BIT_KHR;
  if (!(caps.supportedCompositeAlpha & ci.compositeAlpha))
    ci.compositeAlpha =
        static_cast<VkCompositeAlphaFlagBitsKHR>(caps.supportedCompositeAlpha & (~caps.supportedCompositeAlpha + 1));
  ci.presentMode = mode;
  ci.clipped = VK_TRUE;
  ci.oldSwapchain = old;
  VkResult r = vkCreateSwapchainKHR(vk.device, &ci, nullptr, &swapchain_);
  DestroyVulkanSwapchain(old);
  if (r != VK_SUCCESS) {
    swapchain_ = VK_NULL_HANDLE;
    return r == VK_ERROR_OUT_OF_DATE_KHR || r == VK_ERROR_SURFACE_LOST_KHR ? S_OK : E_FAIL;
  }
  swapchainExtent_ = extent;
  swapchainVsync_ = vsync;
  vkGetSwapchainImagesKHR(vk.device, swapchain_, &n, nullptr);
  swapchainImages_.resize(n);
  vkGetSwapchainImagesKHR(vk.device, swapchain_, &n, swapchainImages_.data());
  VkSemaphoreCreateInfo sci{VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO};
  while (rendered_.size() < n) {
    VkSemaphore s = VK_NULL_HANDLE;
    if (vkCreateSemaphore(vk.device, &sci, nullptr, &s) != VK_SUCCESS) return E_OUTOFMEMORY;
    rendered_.push_back(s);
  }
  return S_OK;
}

void SwapChain::DestroyVulkanSwapchain(VkSwapchainKHR swapchain) {
  if (swapchain) vkDestroySwapchainKHR(OwnerDevice()->Vk().device, swapchain, nullptr);
}

HRESULT SwapChain::PresentToSurface(Frame& frame, bool vsync) {
  VulkanDevice& vk = OwnerDevice()->Vk();
  uint32_t index = 0;
  VkResult r = VK_ERROR_OUT_OF_DATE_KHR;
  // A swapchain that no longer fits the window is rebuilt and the image asked for again.
  for (int attempt = 0; attempt < 2 && r == VK_ERROR_OUT_OF_DATE_KHR; ++attempt) {
    if (!swapchain_ || swapchainStale_ || swapchainVsync_ != vsync || attempt > 0) {
      HRESULT hr = CreateVulkanSwapchain(vsync);
      if (FAILED(hr)) return hr;
    }
    if (!swapchain_) return DXGI_STATUS_OCCLUDED;
    r = vkAcquireNextImageKHR(vk.device, swapchain_, UINT64_MAX, frame.acquired, VK_NULL_HANDLE, &index);
  }
  if (r == VK_ERROR_OUT_OF_DATE_KHR) {
    swapchainStale_ = true;
    return DXGI_STATUS_OCCLUDED;
  }
  if (r != VK_SUCCESS && r != VK_SUBOPTIMAL_KHR) {
    swapchainStale_ = true;
    return r == VK_ERROR_SURFACE_LOST_KHR ? DXGI_STATUS_OCCLUDED : DXGI_ERROR_DEVICE_REMOVED;
  }
  if (r == VK_SUBOPTIMAL_KHR) swapchainStale_ = true;

  VkImage target = swapchainImages_[index];
  VkCommandBufferBeginInfo bi{VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO};
  bi.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
  vkBeginCommandBuffer(frame.cb, &bi);
  RecordResolve(frame.cb);
  ImageBarrier(frame.cb, target, VK_IMAGE_LAYOUT_UNDEFINED, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 0,
               VK_ACCESS_TRANSFER_WRITE_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT);
  // Stretched to the window's extent, as a DXGI window swap chain does.
  VkImageBlit blit{};
  blit.srcSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
  blit.srcOffsets[1] = {static_cast<int32_t>(backBuffer_->width), static_cast<int32_t>(backBuffer_->height), 1};
  blit.dstSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
  blit.dstOffsets[1] = {static_cast<int32_t>(swapchainExtent_.width), static_cast<int32_t>(swapchainExtent_.height), 1};
  const bool sameSize = swapchainExtent_.width == backBuffer_->width && swapchainExtent_.height == backBuffer_->height;
  vkCmdBlitImage(frame.cb, front_, VK_IMAGE_LAYOUT_GENERAL, target, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 1, &blit,
                 sameSize ? VK_FILTER_NEAREST : VK_FILTER_LINEAR);
  ImageBarrier(frame.cb, target, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, VK_IMAGE_LAYOUT_PRESENT_SRC_KHR,
               VK_ACCESS_TRANSFER_WRITE_BIT, 0, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_BOTTOM_OF_PIPE_BIT);
  vkEndCommandBuffer(frame.cb);
  frame.serial = vk.Submit(frame.cb, frame.acquired, rendered_[index]);

  VkPresentInfoKHR pi{VK_STRUCTURE_TYPE_PRESENT_INFO_KHR};
  pi.waitSemaphoreCount = 1;
  pi.pWaitSemaphores = &rendered_[index];
  pi.swapchainCount = 1;
  pi.pSwapchains = &swapchain_;
  pi.pImageIndices = &index;
  r = vk.Present(pi);
  if (r == VK_ERROR_OUT_OF_DATE_KHR || r == VK_SUBOPTIMAL_KHR || r == VK_ERROR_SURFACE_LOST_KHR) swapchainStale_ = true;
  return S_OK;
}

HRESULT SwapChain::ReadFrontImage(UINT* width, UINT* height, std::vector<uint8_t>* texels) {
  VulkanDevice& vk = OwnerDevice()->Vk();
  const uint32_t w = backBuffer_->width, h = backBuffer_->height;
  const VkDeviceSize size = VkDeviceSize{w} * h * backBuffer_->info.blockBytes;
  VkBuffer buffer = VK_NULL_HANDLE;
  GpuMemory memory;
  HRESULT hr = vk.CreateBuffer(size, VK_BUFFER_USAGE_TRANSFER_DST_BIT, MemoryKind::Readback, &buffer, &memory);
  if (FAILED(hr)) return hr;
  hr = vk.RunOneShot([&](VkCommandBuffer cb) {
    MemoryBarrier(cb, VK_ACCESS_MEMORY_WRITE_BIT, VK_ACCESS_TRANSFER_READ_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT,
                  VK_PIPELINE_STAGE_TRANSFER_BIT);
    VkBufferImageCopy c{};
    c.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
    c.imageExtent = {w, h, 1};
    vkCmdCopyImageToBuffer(cb, front_, VK_IMAGE_LAYOUT_GENERAL, buffer, 1, &c);
    MemoryBarrier(cb, VK_ACCESS_TRANSFER_WRITE_BIT, VK_ACCESS_HOST_READ_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT,
                  VK_PIPELINE_STAGE_HOST_BIT);
  });
  if (SUCCEEDED(hr)) {
    const uint8_t* p = static_cast<const uint8_t*>(memory.mapped);
    texels->assign(p, p + size);
    *width = w;
    *height = h;
  }
  vkDestroyBuffer(vk.device, buffer, nullptr);
  vkFreeMemory(vk.device, memory.memory, nullptr);
  return hr;
}

HRESULT ReadPresentedImage(IDXGISwapChain* swapChain, UINT* width, UINT* height, std::vector<uint8_t>* texels) {
  auto* chain = dynamic_cast<SwapChain*>(swapChain);
  if (!chain || !width || !height || !texels) return E_INVALIDARG;
  return chain->ReadFrontImage(width, height, texels);
}

}  // namespace zr::d3d11

STDAPI D3D11CreateDeviceAndSwapChain(IDXGIAdapter*, D3D_DRIVER_TYPE driverType, HMODULE, UINT flags,
                                     const D3D_FEATURE_LEVEL* featureLevels, UINT numFeatureLevels, UINT sdkVersion,
                                     const DXGI_SWAP_CHAIN_DESC* swapChainDesc, IDXGISwapChain** swapChain,
                                     ID3D11Device** device, D3D_FEATURE_LEVEL* featureLevel,
                                     ID3D11DeviceContext** immediateContext) {
  using namespace zr::d3d11;
  if (swapChain) *swapChain = nullptr;
  if (device) *device = nullptr;
  if (immediateContext) *immediateContext = nullptr;
  if (swapChain && !swapChainDesc) return E_INVALIDARG;
  ID3D11Device* made = nullptr;
  ID3D11DeviceContext* context = nullptr;
  HRESULT hr = CreateDeviceAndContext(driverType, flags, featureLevels, numFeatureLevels, sdkVersion, &made,
                                      featureLevel, immediateContext ? &context : nullptr);
  if (FAILED(hr)) return hr;
  if (swapChain) {
    SwapChain* chain = nullptr;
    hr = SwapChain::Create(static_cast<Device*>(made), *swapChainDesc, &chain);
    if (FAILED(hr)) {
      if (context) context->Release();
      made->Release();
      return hr;
    }
    *swapChain = chain;
  }
  if (immediateContext) *immediateContext = context;
  if (device)
    *device = made;
  else
    made->Release();
  return S_OK;
}
