// Buffers, textures and the views on them.
//
// Every image lives in VK_IMAGE_LAYOUT_GENERAL from its creation on, so the only
// synchronisation between uses is a memory barrier. Staging textures are host-visible
// buffers holding each subresource row after row; dynamic textures keep such a buffer
// next to their image and copy it over when unmapped.
#pragma once

#include <vector>

#include "formats.h"
#include "object.h"
#include "vk_device.h"

namespace zr::d3d11 {

class Buffer final : public DeviceChild<ID3D11Buffer, ID3D11Resource> {
 public:
  static HRESULT Create(Device* device, const D3D11_BUFFER_DESC& desc, const D3D11_SUBRESOURCE_DATA* initial,
                        Buffer** out);
  const char* TypeName() const override { return "ID3D11Buffer"; }
  void STDMETHODCALLTYPE GetType(D3D11_RESOURCE_DIMENSION* dimension) override {
    *dimension = D3D11_RESOURCE_DIMENSION_BUFFER;
  }
  void STDMETHODCALLTYPE SetEvictionPriority(UINT) override {}
  UINT STDMETHODCALLTYPE GetEvictionPriority() override { return 0; }
  void STDMETHODCALLTYPE GetDesc(D3D11_BUFFER_DESC* desc) override { *desc = desc_; }

  const D3D11_BUFFER_DESC& Desc() const { return desc_; }
  VkBuffer Handle() const { return buffer_; }
  void* Mapped() const { return memory_.mapped; }

  // Where the current contents live for the immediate context: a constant, vertex or
  // index buffer updated whole by UpdateSubresource is renamed into the upload ring until
  // the next submission copies it home. Touched only by the immediate context.
  VkBuffer currentBuffer = VK_NULL_HANDLE;
  VkDeviceSize currentOffset = 0;

 private:
  explicit Buffer(Device* device) : DeviceChild(device) {}
  ~Buffer() override;
  D3D11_BUFFER_DESC desc_{};
  VkBuffer buffer_ = VK_NULL_HANDLE;
  GpuMemory memory_;
};

// Where one subresource lies in a texture's host buffer.
struct SubresourceLayout {
  VkDeviceSize offset;
  uint32_t rowPitch;
  uint32_t depthPitch;
};

// What the three texture kinds share.
class TextureData {
 public:
  D3D11_RESOURCE_DIMENSION dimension = D3D11_RESOURCE_DIMENSION_UNKNOWN;
  uint32_t width = 1, height = 1, depth = 1, mipLevels = 1, arraySize = 1;
  uint32_t sampleCount = 1;  // as stored: lowered to what the device can do
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
  FormatInfo info;
  D3D11_USAGE usage = D3D11_USAGE_DEFAULT;
  UINT bindFlags = 0, cpuAccess = 0, miscFlags = 0;

  VkImage image = VK_NULL_HANDLE;  // null for staging textures
  GpuMemory imageMemory;
  VkBuffer hostBuffer = VK_NULL_HANDLE;  // staging and dynamic textures
  GpuMemory hostMemory;
  std::vector<SubresourceLayout> layout;  // of hostBuffer, one entry per subresource

  uint32_t SubresourceCount() const { return mipLevels * arraySize; }
  VkExtent3D MipExtent(uint32_t mip) const;
  VkImageSubresourceRange FullRange() const;
  // The copy of subresource `sub` between the image and the host-buffer layout.
  VkBufferImageCopy HostCopy(uint32_t sub) const;

 protected:
  // Validates the description, creates the Vulkan objects and uploads `initial`.
  HRESULT Init(Device* device, const D3D11_SUBRESOURCE_DATA* initial);
  void ReleaseVulkan(Device* device);
};

template <typename Iface, typename Desc>
class Texture final : public DeviceChild<Iface, ID3D11Resource>, public TextureData {
 public:
  static HRESULT Create(Device* device, const Desc& desc, const D3D11_SUBRESOURCE_DATA* initial, Texture** out);
  const char* TypeName() const override;
  void STDMETHODCALLTYPE GetType(D3D11_RESOURCE_DIMENSION* d) override { *d = dimension; }
  void STDMETHODCALLTYPE SetEvictionPriority(UINT) override {}
  UINT STDMETHODCALLTYPE GetEvictionPriority() override { return 0; }
  void STDMETHODCALLTYPE GetDesc(Desc* desc) override { *desc = desc_; }

 private:
  explicit Texture(Device* device) : DeviceChild<Iface, ID3D11Resource>(device) {}
  ~Texture() override { TextureData::ReleaseVulkan(this->OwnerDevice()); }
  Desc desc_{};
};
using Texture1D = Texture<ID3D11Texture1D, D3D11_TEXTURE1D_DESC>;
using Texture2D = Texture<ID3D11Texture2D, D3D11_TEXTURE2D_DESC>;
using Texture3D = Texture<ID3D11Texture3D, D3D11_TEXTURE3D_DESC>;

// The texture behind a resource interface, or null for a buffer.
TextureData* AsTexture(ID3D11Resource* resource);
Buffer* AsBuffer(ID3D11Resource* resource);
TrackedObject* AsTracked(ID3D11Resource* resource);

// A view: the resource it keeps alive and the Vulkan image view.
template <typename Iface, typename Desc>
class View final : public DeviceChild<Iface, ID3D11View> {
 public:
  static HRESULT Create(Device* device, ID3D11Resource* resource, const Desc* desc, View** out);
  const char* TypeName() const override;
  void STDMETHODCALLTYPE GetResource(ID3D11Resource** resource) override {
    resource_->AddRef();
    *resource = resource_;
  }
  void STDMETHODCALLTYPE GetDesc(Desc* desc) override { *desc = desc_; }

  TextureData* texture = nullptr;
  VkImageView imageView = VK_NULL_HANDLE;
  VkImageSubresourceRange range{};
  VkFormat vkFormat = VK_FORMAT_UNDEFINED;
  bool integerFormat = false;

 private:
  explicit View(Device* device) : DeviceChild<Iface, ID3D11View>(device) {}
  ~View() override;
  ID3D11Resource* resource_ = nullptr;  // holds a private reference
  Desc desc_{};
};
using ShaderResourceView = View<ID3D11ShaderResourceView, D3D11_SHADER_RESOURCE_VIEW_DESC>;
using RenderTargetView = View<ID3D11RenderTargetView, D3D11_RENDER_TARGET_VIEW_DESC>;
using DepthStencilView = View<ID3D11DepthStencilView, D3D11_DEPTH_STENCIL_VIEW_DESC>;

}  // namespace zr::d3d11
