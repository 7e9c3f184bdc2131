#include "vk_device.h"

#include <zr_d3d11.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "swapchain.h"

namespace zr::d3d11 {
namespace {

std::atomic<uint64_t> g_validationMessages{0};

VKAPI_ATTR VkBool32 VKAPI_CALL OnValidationMessage(VkDebugUtilsMessageSeverityFlagBitsEXT severity,
                                                   VkDebugUtilsMessageTypeFlagsEXT,
                                                   const VkDebugUtilsMessengerCallbackDataEXT* data, void*) {
  if (severity & (VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT)) {
    g_validationMessages.fetch_add(1);
    std::string line = "Vulkan validation: ";
    line += data && data->pMessage ? data->pMessage : "(no message)";
    line += "\n";
    DebugPrint(line.c_str());
  }
  return VK_FALSE;
}

bool ValidationWanted() {
  const char* v = std::getenv("ZR_VULKAN_VALIDATION");
  return v && std::strcmp(v, "1") == 0;
}

bool HasLayer(const char* name) {
  uint32_t n = 0;
  vkEnumerateInstanceLayerProperties(&n, nullptr);
  std::vector<VkLayerProperties> layers(n);
  vkEnumerateInstanceLayerProperties(&n, layers.data());
  for (auto& l : layers)
    if (std::strcmp(l.layerName, name) == 0) return true;
  return false;
}

bool HasDeviceExtension(VkPhysicalDevice pd, const char* name) {
  uint32_t n = 0;
  vkEnumerateDeviceExtensionProperties(pd, nullptr, &n, nullptr);
  std::vector<VkExtensionProperties> ext(n);
  vkEnumerateDeviceExtensionProperties(pd, nullptr, &n, ext.data());
  for (auto& e : ext)
    if (std::strcmp(e.extensionName, name) == 0) return true;
  return false;
}

int TypeRank(VkPhysicalDeviceType t) {
  switch (t) {
    case VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU:
      return 4;
    case VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU:
      return 3;
    case VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU:
      return 2;
    case VK_PHYSICAL_DEVICE_TYPE_CPU:
      return 1;
    default:
      return 0;
  }
}

// The process's instances, one with the surface extensions and one without, made on
// first use and kept for the life of the process: creating one loads and starts the
// drivers and layers, which costs far more than a device, and a driver unloaded before
// exit would hide its own lasting allocations from leak checkers.
HRESULT SharedInstance(bool surfaces, bool validation, const std::vector<const char*>& layers,
                       const std::vector<const char*>& extensions, VkInstance* out) {
  static std::mutex mutex;
  static VkInstance instances[2] = {};
  std::lock_guard<std::mutex> lock(mutex);
  VkInstance& instance = instances[surfaces ? 1 : 0];
  if (!instance) {
    VkApplicationInfo app{VK_STRUCTURE_TYPE_APPLICATION_INFO};
    app.pApplicationName = "zerrick";
    app.pEngineName = "zerrick-d3d11";
    app.apiVersion = VK_API_VERSION_1_3;
    VkInstanceCreateInfo ici{VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO};
    ici.pApplicationInfo = &app;
    ici.enabledLayerCount = static_cast<uint32_t>(layers.size());
    ici.ppEnabledLayerNames = layers.data();
    ici.enabledExtensionCount = static_cast<uint32_t>(extensions.size());
    ici.ppEnabledExtensionNames = extensions.data();
    if (vkCreateInstance(&ici, nullptr, &instance) != VK_SUCCESS) return E_FAIL;
    if (validation) {
      VkDebugUtilsMessengerCreateInfoEXT mi{VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CREATE_INFO_EXT};
      mi.messageSeverity =
          VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT;
      // Performance hints are not faults (every image stays in the general layout on purpose).
      mi.messageType = VK_DEBUG_UTILS_MESSAGE_TYPE_GENERAL_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_TYPE_VALIDATION_BIT_EXT;
      mi.pfnUserCallback = OnValidationMessage;
      auto create = reinterpret_cast<PFN_vkCreateDebugUtilsMessengerEXT>(
          vkGetInstanceProcAddr(instance, "vkCreateDebugUtilsMessengerEXT"));
      VkDebugUtilsMessengerEXT messenger = VK_NULL_HANDLE;  // lives as long as the instance
      if (create) create(instance, &mi, nullptr, &messenger);
    }
  }
  *out = instance;
  return S_OK;
}

}  // namespace

uint64_t ValidationMessageCount() { return g_validationMessages.load(); }

void DebugPrint(const char* text) {
  std::wstring wide(text, text + std::strlen(text));
  OutputDebugStringW(wide.c_str());
}

HRESULT VulkanDevice::Create(std::unique_ptr<VulkanDevice>* out) {
  std::unique_ptr<VulkanDevice> d(new VulkanDevice());
  HRESULT hr = d->Init();
  if (FAILED(hr)) return hr;
  *out = std::move(d);
  return S_OK;
}

HRESULT VulkanDevice::Init() {
  const bool validation = ValidationWanted() && HasLayer("VK_LAYER_KHRONOS_validation");
  std::vector<const char*> layers, extensions;
  if (validation) {
    layers.push_back("VK_LAYER_KHRONOS_validation");
    extensions.push_back(VK_EXT_DEBUG_UTILS_EXTENSION_NAME);
  }
  AppendSurfaceExtensions(&extensions);
  bool surfaces = false;
  for (const char* e : extensions) surfaces = surfaces || std::strcmp(e, VK_KHR_SURFACE_EXTENSION_NAME) == 0;
  if (HRESULT hr = SharedInstance(surfaces, validation, layers, extensions, &instance); FAILED(hr)) return hr;

  uint32_t count = 0;
  vkEnumeratePhysicalDevices(instance, &count, nullptr);
  std::vector<VkPhysicalDevice> devices(count);
  vkEnumeratePhysicalDevices(instance, &count, devices.data());
  int bestRank = 0;
  for (VkPhysicalDevice pd : devices) {
    VkPhysicalDeviceProperties p;
    vkGetPhysicalDeviceProperties(pd, &p);
    if (p.apiVersion < VK_API_VERSION_1_3 || !HasDeviceExtension(pd, VK_KHR_PUSH_DESCRIPTOR_EXTENSION_NAME)) continue;
    uint32_t qn = 0;
    vkGetPhysicalDeviceQueueFamilyProperties(pd, &qn, nullptr);
    std::vector<VkQueueFamilyProperties> qf(qn);
    vkGetPhysicalDeviceQueueFamilyProperties(pd, &qn, qf.data());
    for (uint32_t i = 0; i < qn; ++i) {
      if ((qf[i].queueFlags & VK_QUEUE_GRAPHICS_BIT) && TypeRank(p.deviceType) + 1 > bestRank) {
        bestRank = TypeRank(p.deviceType) + 1;
        physical = pd;
        queueFamily = i;
        properties = p;
        break;
      }
    }
  }
  if (!physical) return DXGI_ERROR_UNSUPPORTED;
  vkGetPhysicalDeviceMemoryProperties(physical, &memoryProperties);

  VkPhysicalDeviceFeatures available;
  vkGetPhysicalDeviceFeatures(physical, &available);
  enabledFeatures.geometryShader = available.geometryShader;
  enabledFeatures.depthClamp = available.depthClamp;
  enabledFeatures.depthBiasClamp = available.depthBiasClamp;
  enabledFeatures.samplerAnisotropy = available.samplerAnisotropy;
  enabledFeatures.fillModeNonSolid = available.fillModeNonSolid;
  enabledFeatures.textureCompressionBC = available.textureCompressionBC;
  enabledFeatures.independentBlend = available.independentBlend;
  enabledFeatures.dualSrcBlend = available.dualSrcBlend;
  enabledFeatures.imageCubeArray = available.imageCubeArray;
  enabledFeatures.sampleRateShading = available.sampleRateShading;
  enabledFeatures.shaderImageGatherExtended = available.shaderImageGatherExtended;
  enabledFeatures.fragmentStoresAndAtomics = available.fragmentStoresAndAtomics;

  VkPhysicalDeviceVulkan13Features f13{VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_VULKAN_1_3_FEATURES};
  f13.dynamicRendering = VK_TRUE;
  VkPhysicalDeviceVulkan12Features f12{VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_VULKAN_1_2_FEATURES};
  f12.pNext = &f13;
  f12.timelineSemaphore = VK_TRUE;
  VkPhysicalDeviceFeatures2 features2{VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_FEATURES_2};
  features2.pNext = &f12;
  features2.features = enabledFeatures;

  const float priority = 1.0f;
  VkDeviceQueueCreateInfo qci{VK_STRUCTURE_TYPE_DEVICE_QUEUE_CREATE_INFO};
  qci.queueFamilyIndex = queueFamily;
  qci.queueCount = 1;
  qci.pQueuePriorities = &priority;
  std::vector<const char*> deviceExtensions = {VK_KHR_PUSH_DESCRIPTOR_EXTENSION_NAME};
  // The compiler's SPIR-V carries HLSL semantics (SPV_GOOGLE_hlsl_functionality1).
  for (const char* e : {VK_GOOGLE_HLSL_FUNCTIONALITY_1_EXTENSION_NAME, VK_GOOGLE_DECORATE_STRING_EXTENSION_NAME})
    if (HasDeviceExtension(physical, e)) deviceExtensions.push_back(e);
  // Swapchains need the instance's surface extension, which headless processes lack.
  canPresent = surfaces && HasDeviceExtension(physical, VK_KHR_SWAPCHAIN_EXTENSION_NAME);
  if (canPresent) deviceExtensions.push_back(VK_KHR_SWAPCHAIN_EXTENSION_NAME);
  VkDeviceCreateInfo dci{VK_STRUCTURE_TYPE_DEVICE_CREATE_INFO};
  dci.pNext = &features2;
  dci.queueCreateInfoCount = 1;
  dci.pQueueCreateInfos = &qci;
  dci.enabledExtensionCount = static_cast<uint32_t>(deviceExtensions.size());
  dci.ppEnabledExtensionNames = deviceExtensions.data();
  if (vkCreateDevice(physical, &dci, nullptr, &device) != VK_SUCCESS) return E_FAIL;
  vkGetDeviceQueue(device, queueFamily, 0, &queue);
  cmdPushDescriptorSet =
      reinterpret_cast<PFN_vkCmdPushDescriptorSetKHR>(vkGetDeviceProcAddr(device, "vkCmdPushDescriptorSetKHR"));

  VkSemaphoreTypeCreateInfo sti{VK_STRUCTURE_TYPE_SEMAPHORE_TYPE_CREATE_INFO};
  sti.semaphoreType = VK_SEMAPHORE_TYPE_TIMELINE;
  VkSemaphoreCreateInfo sci{VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO};
  sci.pNext = &sti;
  if (vkCreateSemaphore(device, &sci, nullptr, &timeline_) != VK_SUCCESS) return E_FAIL;

  VkCommandPoolCreateInfo pci{VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO};
  pci.flags = VK_COMMAND_POOL_CREATE_RESET_COMMAND_BUFFER_BIT | VK_COMMAND_POOL_CREATE_TRANSIENT_BIT;
  pci.queueFamilyIndex = queueFamily;
  if (vkCreateCommandPool(device, &pci, nullptr, &oneShotPool_) != VK_SUCCESS) return E_FAIL;
  return S_OK;
}

VulkanDevice::~VulkanDevice() {
  if (device) {
    vkDeviceWaitIdle(device);
    for (auto& g : garbage_) DestroyNow(g.type, g.handle, g.memory);
    garbage_.clear();
    if (oneShotPool_) vkDestroyCommandPool(device, oneShotPool_, nullptr);
    if (timeline_) vkDestroySemaphore(device, timeline_, nullptr);
    vkDestroyDevice(device, nullptr);
  }
}

uint32_t VulkanDevice::SupportedSampleCount(uint32_t wanted) const {
  VkSampleCountFlags flags =
      properties.limits.framebufferColorSampleCounts & properties.limits.framebufferDepthSampleCounts;
  uint32_t best = 1;
  for (uint32_t c = 1; c <= wanted && c <= 64; c <<= 1)
    if (flags & c) best = c;
  return best;
}

bool VulkanDevice::SupportsFormat(VkFormat format, VkFormatFeatureFlags features) const {
  VkFormatProperties p;
  vkGetPhysicalDeviceFormatProperties(physical, format, &p);
  return (p.optimalTilingFeatures & features) == features;
}

HRESULT VulkanDevice::Allocate(const VkMemoryRequirements& req, MemoryKind kind, GpuMemory* out) {
  VkMemoryPropertyFlags want = kind == MemoryKind::DeviceLocal ? VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT
                               : kind == MemoryKind::Upload
                                   ? VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT
                                   : VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT |
                                         VK_MEMORY_PROPERTY_HOST_CACHED_BIT;
  VkMemoryPropertyFlags need =
      kind == MemoryKind::DeviceLocal ? 0 : VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT;
  uint32_t type = UINT32_MAX;
  for (int pass = 0; pass < 2 && type == UINT32_MAX; ++pass) {
    VkMemoryPropertyFlags flags = pass == 0 ? want : need;
    for (uint32_t i = 0; i < memoryProperties.memoryTypeCount; ++i) {
      if ((req.memoryTypeBits & (1u << i)) && (memoryProperties.memoryTypes[i].propertyFlags & flags) == flags) {
        type = i;
        break;
      }
    }
  }
  if (type == UINT32_MAX) return E_OUTOFMEMORY;
  VkMemoryAllocateInfo mai{VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO};
  mai.allocationSize = req.size;
  mai.memoryTypeIndex = type;
  if (vkAllocateMemory(device, &mai, nullptr, &out->memory) != VK_SUCCESS) return E_OUTOFMEMORY;
  out->size = req.size;
  out->mapped = nullptr;
  if (memoryProperties.memoryTypes[type].propertyFlags & VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT) {
    if (vkMapMemory(device, out->memory, 0, VK_WHOLE_SIZE, 0, &out->mapped) != VK_SUCCESS) out->mapped = nullptr;
  }
  return S_OK;
}

HRESULT VulkanDevice::CreateBuffer(VkDeviceSize size, VkBufferUsageFlags usage, MemoryKind kind, VkBuffer* buffer,
                                   GpuMemory* memory) {
  VkBufferCreateInfo bci{VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO};
  bci.size = size;
  bci.usage = usage;
  bci.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
  if (vkCreateBuffer(device, &bci, nullptr, buffer) != VK_SUCCESS) return E_OUTOFMEMORY;
  VkMemoryRequirements req;
  vkGetBufferMemoryRequirements(device, *buffer, &req);
  HRESULT hr = Allocate(req, kind, memory);
  if (SUCCEEDED(hr) && vkBindBufferMemory(device, *buffer, memory->memory, 0) != VK_SUCCESS) hr = E_FAIL;
  if (FAILED(hr)) {
    vkDestroyBuffer(device, *buffer, nullptr);
    if (memory->memory) vkFreeMemory(device, memory->memory, nullptr);
    *buffer = VK_NULL_HANDLE;
    *memory = {};
  }
  return hr;
}

uint64_t VulkanDevice::Submit(VkCommandBuffer cb, VkSemaphore wait, VkSemaphore signal) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  uint64_t serial = submitted_ + 1;
  // Values for the timeline and, ignored, for a binary semaphore beside it.
  const uint64_t values[2] = {serial, 0};
  const VkSemaphore signals[2] = {timeline_, signal};
  const VkPipelineStageFlags waitStage = VK_PIPELINE_STAGE_TRANSFER_BIT;
  VkTimelineSemaphoreSubmitInfo tsi{VK_STRUCTURE_TYPE_TIMELINE_SEMAPHORE_SUBMIT_INFO};
  tsi.waitSemaphoreValueCount = wait ? 1 : 0;
  tsi.pWaitSemaphoreValues = &values[1];
  tsi.signalSemaphoreValueCount = signal ? 2 : 1;
  tsi.pSignalSemaphoreValues = values;
  VkSubmitInfo si{VK_STRUCTURE_TYPE_SUBMIT_INFO};
  si.pNext = &tsi;
  si.waitSemaphoreCount = wait ? 1 : 0;
  si.pWaitSemaphores = &wait;
  si.pWaitDstStageMask = &waitStage;
  si.commandBufferCount = cb ? 1 : 0;
  si.pCommandBuffers = &cb;
  si.signalSemaphoreCount = signal ? 2 : 1;
  si.pSignalSemaphores = signals;
  const VkResult result = lost_ ? VK_ERROR_DEVICE_LOST : vkQueueSubmit(queue, 1, &si, VK_NULL_HANDLE);
  if (result != VK_SUCCESS) MarkLost("vkQueueSubmit", result);
  submitted_ = serial;
  return serial;
}

void VulkanDevice::MarkLost(const char* call, VkResult result) {
  if (lost_.exchange(true, std::memory_order_acq_rel)) return;
  char text[160];
  std::snprintf(text, sizeof(text), "D3D11 ERROR: %s failed (VkResult %d): the device is removed\n", call,
                static_cast<int>(result));
  DebugPrint(text);
}

VkResult VulkanDevice::Present(const VkPresentInfoKHR& info) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  return vkQueuePresentKHR(queue, &info);
}

void VulkanDevice::WaitQueueIdle() {
  std::lock_guard<std::mutex> lock(queueMutex_);
  vkQueueWaitIdle(queue);
}

bool VulkanDevice::Wait(uint64_t serial) {
  if (Lost()) return false;
  VkSemaphoreWaitInfo wi{VK_STRUCTURE_TYPE_SEMAPHORE_WAIT_INFO};
  wi.semaphoreCount = 1;
  wi.pSemaphores = &timeline_;
  wi.pValues = &serial;
  // A driver reports a hung GPU as a lost device rather than blocking for ever.
  const VkResult result = vkWaitSemaphores(device, &wi, UINT64_MAX);
  if (result == VK_SUCCESS) return true;
  MarkLost("vkWaitSemaphores", result);
  return false;
}

uint64_t VulkanDevice::CompletedSerial() {
  uint64_t value = 0;
  vkGetSemaphoreCounterValue(device, timeline_, &value);
  return value;
}

uint64_t VulkanDevice::NextSerial() {
  std::lock_guard<std::mutex> lock(queueMutex_);
  return submitted_ + 1;
}

bool VulkanDevice::WaitIdle() {
  uint64_t last;
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    last = submitted_;
  }
  return Wait(last);
}

HRESULT VulkanDevice::RunOneShot(const std::function<void(VkCommandBuffer)>& record) {
  VkCommandBuffer cb = VK_NULL_HANDLE;
  {
    std::lock_guard<std::mutex> lock(oneShotMutex_);
    VkCommandBufferAllocateInfo ai{VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO};
    ai.commandPool = oneShotPool_;
    ai.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
    ai.commandBufferCount = 1;
    if (vkAllocateCommandBuffers(device, &ai, &cb) != VK_SUCCESS) return E_OUTOFMEMORY;
    VkCommandBufferBeginInfo bi{VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO};
    bi.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    vkBeginCommandBuffer(cb, &bi);
    record(cb);
    vkEndCommandBuffer(cb);
  }
  const bool done = Wait(Submit(cb));
  std::lock_guard<std::mutex> lock(oneShotMutex_);
  // A command buffer the GPU may still be running is left to the pool's destruction.
  if (!done) return DXGI_ERROR_DEVICE_REMOVED;
  vkFreeCommandBuffers(device, oneShotPool_, 1, &cb);
  return S_OK;
}

void VulkanDevice::DestroyLater(VkObjectType type, uint64_t handle, VkDeviceMemory memory) {
  uint64_t serial = NextSerial();
  std::lock_guard<std::mutex> lock(garbageMutex_);
  garbage_.push_back({recording_ ? UINT64_MAX : serial, type, handle, memory});
}

void VulkanDevice::BeginRecording() {
  std::lock_guard<std::mutex> lock(garbageMutex_);
  recording_ = true;
}

void VulkanDevice::EndRecording(uint64_t serial) {
  std::lock_guard<std::mutex> lock(garbageMutex_);
  recording_ = false;
  for (Garbage& g : garbage_)
    if (g.serial == UINT64_MAX) g.serial = serial;
}

void VulkanDevice::CollectGarbage() {
  uint64_t done = CompletedSerial();
  std::vector<Garbage> ready;
  {
    std::lock_guard<std::mutex> lock(garbageMutex_);
    size_t keep = 0;
    for (auto& g : garbage_) {
      if (g.serial <= done)
        ready.push_back(g);
      else
        garbage_[keep++] = g;
    }
    garbage_.resize(keep);
  }
  for (auto& g : ready) DestroyNow(g.type, g.handle, g.memory);
}

void VulkanDevice::DestroyNow(VkObjectType type, uint64_t handle, VkDeviceMemory memory) {
  switch (type) {
    case VK_OBJECT_TYPE_BUFFER:
      vkDestroyBuffer(device, reinterpret_cast<VkBuffer>(handle), nullptr);
      break;
    case VK_OBJECT_TYPE_IMAGE:
      vkDestroyImage(device, reinterpret_cast<VkImage>(handle), nullptr);
      break;
    case VK_OBJECT_TYPE_IMAGE_VIEW:
      vkDestroyImageView(device, reinterpret_cast<VkImageView>(handle), nullptr);
      break;
    case VK_OBJECT_TYPE_SAMPLER:
      vkDestroySampler(device, reinterpret_cast<VkSampler>(handle), nullptr);
      break;
    case VK_OBJECT_TYPE_SHADER_MODULE:
      vkDestroyShaderModule(device, reinterpret_cast<VkShaderModule>(handle), nullptr);
      break;
    case VK_OBJECT_TYPE_PIPELINE:
      vkDestroyPipeline(device, reinterpret_cast<VkPipeline>(handle), nullptr);
      break;
    default:
      break;
  }
  if (memory) vkFreeMemory(device, memory, nullptr);
}

}  // namespace zr::d3d11
