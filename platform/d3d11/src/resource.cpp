#include "resource.h"

#include <algorithm>
#include <cstring>

#include "device.h"

namespace zr::d3d11 {
namespace {

constexpr UINT kBufferBindFlags = D3D11_BIND_VERTEX_BUFFER | D3D11_BIND_INDEX_BUFFER | D3D11_BIND_CONSTANT_BUFFER |
                                  D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_STREAM_OUTPUT | D3D11_BIND_UNORDERED_ACCESS;
constexpr UINT kTextureBindFlags =
    D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET | D3D11_BIND_DEPTH_STENCIL | D3D11_BIND_UNORDERED_ACCESS;
constexpr UINT kCpuFlags = D3D11_CPU_ACCESS_READ | D3D11_CPU_ACCESS_WRITE;

// The usage, bind and CPU-access combinations D3D11 allows.
HRESULT CheckUsage(D3D11_USAGE usage, UINT bind, UINT cpu, bool hasInitialData) {
  if (cpu & ~kCpuFlags) return E_INVALIDARG;
  switch (usage) {
    case D3D11_USAGE_DEFAULT:
      return cpu == 0 ? S_OK : E_INVALIDARG;
    case D3D11_USAGE_IMMUTABLE:
      return cpu == 0 && hasInitialData ? S_OK : E_INVALIDARG;
    case D3D11_USAGE_DYNAMIC:
      return cpu == D3D11_CPU_ACCESS_WRITE && !(bind & (D3D11_BIND_RENDER_TARGET | D3D11_BIND_DEPTH_STENCIL |
                                                        D3D11_BIND_UNORDERED_ACCESS | D3D11_BIND_STREAM_OUTPUT))
                 ? S_OK
                 : E_INVALIDARG;
    case D3D11_USAGE_STAGING:
      return bind == 0 && cpu != 0 ? S_OK : E_INVALIDARG;
    default:
      return E_INVALIDARG;
  }
}

// A usage field read as its bits: applications may pass values the enumeration lacks.
bool KnownUsage(const D3D11_USAGE& usage) {
  uint32_t raw;
  std::memcpy(&raw, &usage, sizeof(raw));
  return raw <= D3D11_USAGE_STAGING;
}

uint32_t FullMipCount(uint32_t w, uint32_t h, uint32_t d) {
  uint32_t m = 1;
  for (uint32_t s = std::max({w, h, d}); s > 1; s >>= 1) ++m;
  return m;
}

VkDeviceSize AlignUp(VkDeviceSize v, VkDeviceSize a) { return (v + a - 1) / a * a; }

}  // namespace

TextureData* AsTexture(ID3D11Resource* resource) { return dynamic_cast<TextureData*>(resource); }
Buffer* AsBuffer(ID3D11Resource* resource) { return dynamic_cast<Buffer*>(resource); }
TrackedObject* AsTracked(ID3D11Resource* resource) { return dynamic_cast<TrackedObject*>(resource); }

// ---- Buffers ---------------------------------------------------------------------------------

HRESULT Buffer::Create(Device* device, const D3D11_BUFFER_DESC& desc, const D3D11_SUBRESOURCE_DATA* initial,
                       Buffer** out) {
  if (desc.ByteWidth == 0 || (desc.BindFlags & ~kBufferBindFlags) || !KnownUsage(desc.Usage)) return E_INVALIDARG;
  if (initial && !initial->pSysMem) return E_INVALIDARG;
  if (desc.BindFlags & D3D11_BIND_CONSTANT_BUFFER) {
    if (desc.BindFlags != D3D11_BIND_CONSTANT_BUFFER || desc.ByteWidth % 16 != 0 ||
        desc.ByteWidth > D3D11_REQ_CONSTANT_BUFFER_ELEMENT_COUNT * 16)
      return E_INVALIDARG;
  }
  HRESULT hr = CheckUsage(desc.Usage, desc.BindFlags, desc.CPUAccessFlags, initial != nullptr);
  if (FAILED(hr)) return hr;
  if (!out) return S_FALSE;

  VkBufferUsageFlags usage = VK_BUFFER_USAGE_TRANSFER_SRC_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT;
  if (desc.BindFlags & D3D11_BIND_VERTEX_BUFFER) usage |= VK_BUFFER_USAGE_VERTEX_BUFFER_BIT;
  if (desc.BindFlags & D3D11_BIND_INDEX_BUFFER) usage |= VK_BUFFER_USAGE_INDEX_BUFFER_BIT;
  if (desc.BindFlags & D3D11_BIND_CONSTANT_BUFFER) usage |= VK_BUFFER_USAGE_UNIFORM_BUFFER_BIT;
  if (desc.BindFlags & D3D11_BIND_SHADER_RESOURCE)
    usage |= VK_BUFFER_USAGE_STORAGE_BUFFER_BIT | VK_BUFFER_USAGE_UNIFORM_TEXEL_BUFFER_BIT;
  MemoryKind kind = desc.Usage == D3D11_USAGE_DYNAMIC ? MemoryKind::Upload
                    : desc.Usage == D3D11_USAGE_STAGING
                        ? ((desc.CPUAccessFlags & D3D11_CPU_ACCESS_READ) ? MemoryKind::Readback : MemoryKind::Upload)
                        : MemoryKind::DeviceLocal;

  Buffer* b = new Buffer(device);
  b->desc_ = desc;
  hr = device->Vk().CreateBuffer(desc.ByteWidth, usage, kind, &b->buffer_, &b->memory_);
  if (SUCCEEDED(hr) && initial) {
    if (b->memory_.mapped) {
      std::memcpy(b->memory_.mapped, initial->pSysMem, desc.ByteWidth);
    } else {
      VkBuffer staging;
      GpuMemory stagingMemory;
      hr = device->Vk().CreateBuffer(desc.ByteWidth, VK_BUFFER_USAGE_TRANSFER_SRC_BIT, MemoryKind::Upload, &staging,
                                     &stagingMemory);
      if (SUCCEEDED(hr)) {
        std::memcpy(stagingMemory.mapped, initial->pSysMem, desc.ByteWidth);
        VkBuffer dst = b->buffer_;
        VkDeviceSize size = desc.ByteWidth;
        hr = device->Vk().RunOneShot([&](VkCommandBuffer cb) {
          VkBufferCopy region{0, 0, size};
          vkCmdCopyBuffer(cb, staging, dst, 1, &region);
        });
        vkDestroyBuffer(device->Vk().device, staging, nullptr);
        vkFreeMemory(device->Vk().device, stagingMemory.memory, nullptr);
      }
    }
  }
  if (FAILED(hr)) {
    b->Release();
    return hr;
  }
  b->currentBuffer = b->buffer_;
  *out = b;
  return S_OK;
}

Buffer::~Buffer() { OwnerDevice()->Vk().DestroyLater(VK_OBJECT_TYPE_BUFFER, buffer_, memory_.memory); }

// ---- Textures --------------------------------------------------------------------------------

VkExtent3D TextureData::MipExtent(uint32_t mip) const {
  return {std::max(1u, width >> mip), std::max(1u, height >> mip), std::max(1u, depth >> mip)};
}

VkImageSubresourceRange TextureData::FullRange() const { return {info.aspect, 0, mipLevels, 0, arraySize}; }

VkBufferImageCopy TextureData::HostCopy(uint32_t sub) const {
  uint32_t mip = sub % mipLevels, slice = sub / mipLevels;
  VkBufferImageCopy c{};
  c.bufferOffset = layout[sub].offset;
  c.imageSubresource = {CopyAspect(info), mip, slice, 1};
  c.imageExtent = MipExtent(mip);
  return c;
}

HRESULT TextureData::Init(Device* device, const D3D11_SUBRESOURCE_DATA* initial) {
  VulkanDevice& vk = device->Vk();
  info = LookupFormat(vk, format);
  if (info.vk == VK_FORMAT_UNDEFINED || width == 0 || height == 0 || depth == 0 || arraySize == 0) return E_INVALIDARG;
  const bool is3D = dimension == D3D11_RESOURCE_DIMENSION_TEXTURE3D;
  const uint32_t maxSize = is3D ? D3D11_REQ_TEXTURE3D_U_V_OR_W_DIMENSION : D3D11_REQ_TEXTURE2D_U_OR_V_DIMENSION;
  if (width > maxSize || height > maxSize || depth > maxSize || arraySize > D3D11_REQ_TEXTURE2D_ARRAY_AXIS_DIMENSION)
    return E_INVALIDARG;
  if (mipLevels == 0) mipLevels = FullMipCount(width, height, depth);
  if (mipLevels > FullMipCount(width, height, depth)) return E_INVALIDARG;
  if (bindFlags & ~kTextureBindFlags) return E_INVALIDARG;
  if (bindFlags & D3D11_BIND_UNORDERED_ACCESS) return E_INVALIDARG;
  const bool isDepth = (info.aspect & VK_IMAGE_ASPECT_DEPTH_BIT) != 0;
  if ((bindFlags & D3D11_BIND_DEPTH_STENCIL) && (!isDepth || is3D)) return E_INVALIDARG;
  if ((bindFlags & D3D11_BIND_RENDER_TARGET) &&
      (isDepth || info.blockSize != 1 || info.conversion != FormatConversion::None))
    return E_INVALIDARG;
  if (isDepth && (bindFlags & D3D11_BIND_SHADER_RESOURCE)) return E_INVALIDARG;
  if (info.blockSize == 4 && (width % 4 != 0 || height % 4 != 0)) return E_INVALIDARG;
  if (sampleCount == 0) return E_INVALIDARG;
  if (sampleCount > 1 && (mipLevels != 1 || usage != D3D11_USAGE_DEFAULT || info.blockSize != 1)) return E_INVALIDARG;
  if (miscFlags & D3D11_RESOURCE_MISC_TEXTURECUBE) {
    if (dimension != D3D11_RESOURCE_DIMENSION_TEXTURE2D || arraySize % 6 != 0 || width != height) return E_INVALIDARG;
  }
  if (usage == D3D11_USAGE_DYNAMIC && (mipLevels != 1 || arraySize != 1)) return E_INVALIDARG;
  if (initial) {
    for (uint32_t i = 0; i < mipLevels * arraySize; ++i)
      if (!initial[i].pSysMem) return E_INVALIDARG;
  }
  HRESULT hr = CheckUsage(usage, bindFlags, cpuAccess, initial != nullptr);
  if (FAILED(hr)) return hr;
  sampleCount = device->LowerSampleCount(sampleCount);

  // The host-buffer layout: subresources one after the other, rows tightly packed.
  VkDeviceSize total = 0;
  layout.resize(SubresourceCount());
  for (uint32_t sub = 0; sub < SubresourceCount(); ++sub) {
    VkExtent3D e = MipExtent(sub % mipLevels);
    total = AlignUp(total, 16 * info.blockBytes);
    layout[sub] = {total, StoredRowBytes(info, e.width), StoredRowBytes(info, e.width) * BlockRows(info, e.height)};
    total += static_cast<VkDeviceSize>(layout[sub].depthPitch) * e.depth;
  }
  if (usage == D3D11_USAGE_STAGING || usage == D3D11_USAGE_DYNAMIC) {
    hr = vk.CreateBuffer(total, VK_BUFFER_USAGE_TRANSFER_SRC_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT,
                         (cpuAccess & D3D11_CPU_ACCESS_READ) ? MemoryKind::Readback : MemoryKind::Upload, &hostBuffer,
                         &hostMemory);
    if (FAILED(hr)) return hr;
    if (usage == D3D11_USAGE_STAGING) {
      if (initial) {
        for (uint32_t sub = 0; sub < SubresourceCount(); ++sub) {
          VkExtent3D e = MipExtent(sub % mipLevels);
          for (uint32_t z = 0; z < e.depth; ++z)
            ConvertRows(info, static_cast<const uint8_t*>(initial[sub].pSysMem) + z * initial[sub].SysMemSlicePitch,
                        initial[sub].SysMemPitch,
                        static_cast<uint8_t*>(hostMemory.mapped) + layout[sub].offset + z * layout[sub].depthPitch,
                        layout[sub].rowPitch, e.width, BlockRows(info, e.height));
        }
      }
      return S_OK;
    }
  }

  VkImageCreateInfo ici{VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO};
  ici.imageType = dimension == D3D11_RESOURCE_DIMENSION_TEXTURE1D ? VK_IMAGE_TYPE_1D
                  : is3D                                          ? VK_IMAGE_TYPE_3D
                                                                  : VK_IMAGE_TYPE_2D;
  ici.format = info.vk;
  ici.extent = {width, height, depth};
  ici.mipLevels = mipLevels;
  ici.arrayLayers = arraySize;
  ici.samples = static_cast<VkSampleCountFlagBits>(sampleCount);
  ici.tiling = VK_IMAGE_TILING_OPTIMAL;
  ici.usage = VK_IMAGE_USAGE_TRANSFER_SRC_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT;
  if (bindFlags & D3D11_BIND_SHADER_RESOURCE) ici.usage |= VK_IMAGE_USAGE_SAMPLED_BIT;
  if (bindFlags & D3D11_BIND_RENDER_TARGET) ici.usage |= VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT;
  if (bindFlags & D3D11_BIND_DEPTH_STENCIL) ici.usage |= VK_IMAGE_USAGE_DEPTH_STENCIL_ATTACHMENT_BIT;
  if (miscFlags & D3D11_RESOURCE_MISC_TEXTURECUBE) ici.flags |= VK_IMAGE_CREATE_CUBE_COMPATIBLE_BIT;
  if (info.typeless && !isDepth) ici.flags |= VK_IMAGE_CREATE_MUTABLE_FORMAT_BIT;
  ici.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
  VkImageFormatProperties props;
  if (vkGetPhysicalDeviceImageFormatProperties(vk.physical, ici.format, ici.imageType, ici.tiling, ici.usage, ici.flags,
                                               &props) != VK_SUCCESS ||
      !(props.sampleCounts & ici.samples) || props.maxArrayLayers < arraySize || props.maxMipLevels < mipLevels)
    return E_INVALIDARG;
  if (vkCreateImage(vk.device, &ici, nullptr, &image) != VK_SUCCESS) return E_OUTOFMEMORY;
  VkMemoryRequirements req;
  vkGetImageMemoryRequirements(vk.device, image, &req);
  hr = vk.Allocate(req, MemoryKind::DeviceLocal, &imageMemory);
  if (FAILED(hr)) return hr;
  if (vkBindImageMemory(vk.device, image, imageMemory.memory, 0) != VK_SUCCESS) return E_FAIL;

  // Into the general layout, with the initial data copied in.
  VkBuffer staging = VK_NULL_HANDLE;
  GpuMemory stagingMemory;
  if (initial) {
    hr = vk.CreateBuffer(total, VK_BUFFER_USAGE_TRANSFER_SRC_BIT, MemoryKind::Upload, &staging, &stagingMemory);
    if (FAILED(hr)) return hr;
    for (uint32_t sub = 0; sub < SubresourceCount(); ++sub) {
      VkExtent3D e = MipExtent(sub % mipLevels);
      for (uint32_t z = 0; z < e.depth; ++z)
        ConvertRows(info, static_cast<const uint8_t*>(initial[sub].pSysMem) + z * initial[sub].SysMemSlicePitch,
                    initial[sub].SysMemPitch,
                    static_cast<uint8_t*>(stagingMemory.mapped) + layout[sub].offset + z * layout[sub].depthPitch,
                    layout[sub].rowPitch, e.width, BlockRows(info, e.height));
    }
  }
  hr = vk.RunOneShot([&](VkCommandBuffer cb) {
    VkImageMemoryBarrier b{VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER};
    b.srcAccessMask = 0;
    b.dstAccessMask = VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT;
    b.oldLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    b.newLayout = VK_IMAGE_LAYOUT_GENERAL;
    b.srcQueueFamilyIndex = b.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    b.image = image;
    b.subresourceRange = FullRange();
    vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, 0, 0, nullptr, 0,
                         nullptr, 1, &b);
    if (staging) {
      std::vector<VkBufferImageCopy> regions;
      for (uint32_t sub = 0; sub < SubresourceCount(); ++sub) regions.push_back(HostCopy(sub));
      vkCmdCopyBufferToImage(cb, staging, image, VK_IMAGE_LAYOUT_GENERAL, static_cast<uint32_t>(regions.size()),
                             regions.data());
      VkMemoryBarrier mb{VK_STRUCTURE_TYPE_MEMORY_BARRIER};
      mb.srcAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
      mb.dstAccessMask = VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT;
      vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, 0, 1, &mb, 0,
                           nullptr, 0, nullptr);
    }
  });
  if (staging) {
    vkDestroyBuffer(vk.device, staging, nullptr);
    vkFreeMemory(vk.device, stagingMemory.memory, nullptr);
  }
  return hr;
}

void TextureData::ReleaseVulkan(Device* device) {
  VulkanDevice& vk = device->Vk();
  vk.DestroyLater(VK_OBJECT_TYPE_IMAGE, image, imageMemory.memory);
  vk.DestroyLater(VK_OBJECT_TYPE_BUFFER, hostBuffer, hostMemory.memory);
}

namespace {

void Fill(TextureData& t, const D3D11_TEXTURE1D_DESC& d) {
  t.dimension = D3D11_RESOURCE_DIMENSION_TEXTURE1D;
  t.width = d.Width;
  t.mipLevels = d.MipLevels;
  t.arraySize = d.ArraySize;
  t.format = d.Format;
  t.usage = d.Usage;
  t.bindFlags = d.BindFlags;
  t.cpuAccess = d.CPUAccessFlags;
  t.miscFlags = d.MiscFlags;
}
void Fill(TextureData& t, const D3D11_TEXTURE2D_DESC& d) {
  t.dimension = D3D11_RESOURCE_DIMENSION_TEXTURE2D;
  t.width = d.Width;
  t.height = d.Height;
  t.mipLevels = d.MipLevels;
  t.arraySize = d.ArraySize;
  t.sampleCount = d.SampleDesc.Count;
  t.format = d.Format;
  t.usage = d.Usage;
  t.bindFlags = d.BindFlags;
  t.cpuAccess = d.CPUAccessFlags;
  t.miscFlags = d.MiscFlags;
}
void Fill(TextureData& t, const D3D11_TEXTURE3D_DESC& d) {
  t.dimension = D3D11_RESOURCE_DIMENSION_TEXTURE3D;
  t.width = d.Width;
  t.height = d.Height;
  t.depth = d.Depth;
  t.mipLevels = d.MipLevels;
  t.format = d.Format;
  t.usage = d.Usage;
  t.bindFlags = d.BindFlags;
  t.cpuAccess = d.CPUAccessFlags;
  t.miscFlags = d.MiscFlags;
}
// The description GetDesc gives back: the mip count resolved.
void Resolve(D3D11_TEXTURE1D_DESC& d, const TextureData& t) { d.MipLevels = t.mipLevels; }
void Resolve(D3D11_TEXTURE2D_DESC& d, const TextureData& t) { d.MipLevels = t.mipLevels; }
void Resolve(D3D11_TEXTURE3D_DESC& d, const TextureData& t) { d.MipLevels = t.mipLevels; }

}  // namespace

template <typename Iface, typename Desc>
HRESULT Texture<Iface, Desc>::Create(Device* device, const Desc& desc, const D3D11_SUBRESOURCE_DATA* initial,
                                     Texture** out) {
  if (!KnownUsage(desc.Usage)) return E_INVALIDARG;
  Texture* t = new Texture(device);
  t->desc_ = desc;
  Fill(*t, desc);
  HRESULT hr = t->Init(device, initial);
  if (FAILED(hr) || !out) {
    t->Release();
    return FAILED(hr) ? hr : S_FALSE;
  }
  Resolve(t->desc_, *t);
  *out = t;
  return S_OK;
}

template <>
const char* Texture1D::TypeName() const {
  return "ID3D11Texture1D";
}
template <>
const char* Texture2D::TypeName() const {
  return "ID3D11Texture2D";
}
template <>
const char* Texture3D::TypeName() const {
  return "ID3D11Texture3D";
}
template class Texture<ID3D11Texture1D, D3D11_TEXTURE1D_DESC>;
template class Texture<ID3D11Texture2D, D3D11_TEXTURE2D_DESC>;
template class Texture<ID3D11Texture3D, D3D11_TEXTURE3D_DESC>;

// ---- Views -----------------------------------------------------------------------------------

namespace {

bool IsCube(const TextureData& t) { return (t.miscFlags & D3D11_RESOURCE_MISC_TEXTURECUBE) != 0; }

// Mip and layer ranges, "all the rest" counts resolved; false when out of range.
bool Range(const TextureData& t, uint32_t mip, uint32_t& mips, uint32_t layer, uint32_t& layers) {
  if (mip >= t.mipLevels || layer >= t.arraySize) return false;
  if (mips == UINT32_MAX || mips == 0) mips = t.mipLevels - mip;
  if (layers == UINT32_MAX || layers == 0) layers = t.arraySize - layer;
  return mip + mips <= t.mipLevels && layer + layers <= t.arraySize;
}

HRESULT ResolveSrv(const TextureData& t, D3D11_SHADER_RESOURCE_VIEW_DESC& d, VkImageViewType& type,
                   VkImageSubresourceRange& r) {
  uint32_t mip = 0, mips = 1, layer = 0, layers = 1;
  switch (d.ViewDimension) {
    case D3D11_SRV_DIMENSION_TEXTURE1D:
      type = VK_IMAGE_VIEW_TYPE_1D;
      mip = d.Texture1D.MostDetailedMip, mips = d.Texture1D.MipLevels;
      break;
    case D3D11_SRV_DIMENSION_TEXTURE1DARRAY:
      type = VK_IMAGE_VIEW_TYPE_1D_ARRAY;
      mip = d.Texture1DArray.MostDetailedMip, mips = d.Texture1DArray.MipLevels;
      layer = d.Texture1DArray.FirstArraySlice, layers = d.Texture1DArray.ArraySize;
      break;
    case D3D11_SRV_DIMENSION_TEXTURE2D:
      type = VK_IMAGE_VIEW_TYPE_2D;
      mip = d.Texture2D.MostDetailedMip, mips = d.Texture2D.MipLevels;
      break;
    case D3D11_SRV_DIMENSION_TEXTURE2DARRAY:
      type = VK_IMAGE_VIEW_TYPE_2D_ARRAY;
      mip = d.Texture2DArray.MostDetailedMip, mips = d.Texture2DArray.MipLevels;
      layer = d.Texture2DArray.FirstArraySlice, layers = d.Texture2DArray.ArraySize;
      break;
    case D3D11_SRV_DIMENSION_TEXTURE2DMS:
      type = VK_IMAGE_VIEW_TYPE_2D;
      break;
    case D3D11_SRV_DIMENSION_TEXTURE2DMSARRAY:
      type = VK_IMAGE_VIEW_TYPE_2D_ARRAY;
      layer = d.Texture2DMSArray.FirstArraySlice, layers = d.Texture2DMSArray.ArraySize;
      break;
    case D3D11_SRV_DIMENSION_TEXTURE3D:
      type = VK_IMAGE_VIEW_TYPE_3D;
      mip = d.Texture3D.MostDetailedMip, mips = d.Texture3D.MipLevels;
      break;
    case D3D11_SRV_DIMENSION_TEXTURECUBE:
      type = VK_IMAGE_VIEW_TYPE_CUBE;
      mip = d.TextureCube.MostDetailedMip, mips = d.TextureCube.MipLevels;
      layers = 6;
      break;
    case D3D11_SRV_DIMENSION_TEXTURECUBEARRAY:
      type = VK_IMAGE_VIEW_TYPE_CUBE_ARRAY;
      mip = d.TextureCubeArray.MostDetailedMip, mips = d.TextureCubeArray.MipLevels;
      layer = d.TextureCubeArray.First2DArrayFace, layers = d.TextureCubeArray.NumCubes * 6;
      if (layers == 0) return E_INVALIDARG;
      break;
    default:
      return E_INVALIDARG;
  }
  const bool wantsCube = type == VK_IMAGE_VIEW_TYPE_CUBE || type == VK_IMAGE_VIEW_TYPE_CUBE_ARRAY;
  const bool wantsMs =
      d.ViewDimension == D3D11_SRV_DIMENSION_TEXTURE2DMS || d.ViewDimension == D3D11_SRV_DIMENSION_TEXTURE2DMSARRAY;
  const bool dimOk =
      t.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE1D
          ? type == VK_IMAGE_VIEW_TYPE_1D || type == VK_IMAGE_VIEW_TYPE_1D_ARRAY
      : t.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE3D ? type == VK_IMAGE_VIEW_TYPE_3D
      : t.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE2D
          ? (type == VK_IMAGE_VIEW_TYPE_2D || type == VK_IMAGE_VIEW_TYPE_2D_ARRAY || (wantsCube && IsCube(t))) &&
                wantsMs == (t.sampleCount > 1)
          : false;
  if (!dimOk) return E_INVALIDARG;
  if (!Range(t, mip, mips, layer, layers)) return E_INVALIDARG;
  if ((type == VK_IMAGE_VIEW_TYPE_1D || type == VK_IMAGE_VIEW_TYPE_2D || type == VK_IMAGE_VIEW_TYPE_3D) && layers != 1)
    layers = 1;
  if (wantsCube && layers % 6 != 0) return E_INVALIDARG;
  r = {t.info.aspect, mip, mips, layer, layers};
  return S_OK;
}

D3D11_SHADER_RESOURCE_VIEW_DESC DefaultSrv(const TextureData& t) {
  D3D11_SHADER_RESOURCE_VIEW_DESC d{};
  d.Format = t.format;
  if (t.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE1D) {
    d.ViewDimension = t.arraySize > 1 ? D3D11_SRV_DIMENSION_TEXTURE1DARRAY : D3D11_SRV_DIMENSION_TEXTURE1D;
    d.Texture1DArray = {0, t.mipLevels, 0, t.arraySize};
  } else if (t.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE3D) {
    d.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE3D;
    d.Texture3D = {0, t.mipLevels};
  } else if (t.sampleCount > 1) {
    d.ViewDimension = t.arraySize > 1 ? D3D11_SRV_DIMENSION_TEXTURE2DMSARRAY : D3D11_SRV_DIMENSION_TEXTURE2DMS;
    d.Texture2DMSArray = {0, t.arraySize};
  } else if (IsCube(t)) {
    d.ViewDimension = t.arraySize > 6 ? D3D11_SRV_DIMENSION_TEXTURECUBEARRAY : D3D11_SRV_DIMENSION_TEXTURECUBE;
    d.TextureCubeArray = {0, t.mipLevels, 0, t.arraySize / 6};
  } else {
    d.ViewDimension = t.arraySize > 1 ? D3D11_SRV_DIMENSION_TEXTURE2DARRAY : D3D11_SRV_DIMENSION_TEXTURE2D;
    d.Texture2DArray = {0, t.mipLevels, 0, t.arraySize};
  }
  return d;
}

// The dimensions and bind flag of the two target view kinds, under one set of names.
template <typename Desc>
struct TargetKind;
template <>
struct TargetKind<D3D11_RENDER_TARGET_VIEW_DESC> {
  static constexpr UINT kBind = D3D11_BIND_RENDER_TARGET;
  static constexpr D3D11_RTV_DIMENSION k1D = D3D11_RTV_DIMENSION_TEXTURE1D,
                                       k1DArray = D3D11_RTV_DIMENSION_TEXTURE1DARRAY,
                                       k2D = D3D11_RTV_DIMENSION_TEXTURE2D,
                                       k2DArray = D3D11_RTV_DIMENSION_TEXTURE2DARRAY,
                                       k2DMS = D3D11_RTV_DIMENSION_TEXTURE2DMS,
                                       k2DMSArray = D3D11_RTV_DIMENSION_TEXTURE2DMSARRAY;
};
template <>
struct TargetKind<D3D11_DEPTH_STENCIL_VIEW_DESC> {
  static constexpr UINT kBind = D3D11_BIND_DEPTH_STENCIL;
  static constexpr D3D11_DSV_DIMENSION k1D = D3D11_DSV_DIMENSION_TEXTURE1D,
                                       k1DArray = D3D11_DSV_DIMENSION_TEXTURE1DARRAY,
                                       k2D = D3D11_DSV_DIMENSION_TEXTURE2D,
                                       k2DArray = D3D11_DSV_DIMENSION_TEXTURE2DARRAY,
                                       k2DMS = D3D11_DSV_DIMENSION_TEXTURE2DMS,
                                       k2DMSArray = D3D11_DSV_DIMENSION_TEXTURE2DMSARRAY;
};

template <typename Desc>
HRESULT ResolveTarget(const TextureData& t, Desc& d, VkImageViewType& type, VkImageSubresourceRange& r) {
  using Kind = TargetKind<Desc>;
  uint32_t mip = 0, mips = 1, layer = 0, layers = 1;
  bool ms = false;
  switch (d.ViewDimension) {
    case Kind::k1D:
      type = VK_IMAGE_VIEW_TYPE_1D, mip = d.Texture1D.MipSlice;
      break;
    case Kind::k1DArray:
      type = VK_IMAGE_VIEW_TYPE_1D_ARRAY, mip = d.Texture1DArray.MipSlice;
      layer = d.Texture1DArray.FirstArraySlice, layers = d.Texture1DArray.ArraySize;
      break;
    case Kind::k2D:
      type = VK_IMAGE_VIEW_TYPE_2D, mip = d.Texture2D.MipSlice;
      break;
    case Kind::k2DArray:
      type = VK_IMAGE_VIEW_TYPE_2D_ARRAY, mip = d.Texture2DArray.MipSlice;
      layer = d.Texture2DArray.FirstArraySlice, layers = d.Texture2DArray.ArraySize;
      break;
    case Kind::k2DMS:
      type = VK_IMAGE_VIEW_TYPE_2D, ms = true;
      break;
    case Kind::k2DMSArray:
      type = VK_IMAGE_VIEW_TYPE_2D_ARRAY, ms = true;
      layer = d.Texture2DMSArray.FirstArraySlice, layers = d.Texture2DMSArray.ArraySize;
      break;
    default:
      return E_INVALIDARG;
  }
  bool is1D = type == VK_IMAGE_VIEW_TYPE_1D || type == VK_IMAGE_VIEW_TYPE_1D_ARRAY;
  if (t.dimension != (is1D ? D3D11_RESOURCE_DIMENSION_TEXTURE1D : D3D11_RESOURCE_DIMENSION_TEXTURE2D))
    return E_INVALIDARG;
  if (!is1D && ms != (t.sampleCount > 1)) return E_INVALIDARG;
  if (!Range(t, mip, mips, layer, layers)) return E_INVALIDARG;
  r = {t.info.aspect, mip, 1, layer, layers};
  return S_OK;
}

// What a null description means: the whole of mip 0, every array slice.
template <typename Desc>
Desc DefaultTarget(const TextureData& t) {
  using Kind = TargetKind<Desc>;
  Desc d{};
  d.Format = t.format;
  const bool arr = t.arraySize > 1;
  if (t.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE1D) {
    d.ViewDimension = arr ? Kind::k1DArray : Kind::k1D;
    d.Texture1DArray = {0, 0, t.arraySize};
  } else if (t.sampleCount > 1) {
    d.ViewDimension = arr ? Kind::k2DMSArray : Kind::k2DMS;
    d.Texture2DMSArray = {0, t.arraySize};
  } else {
    d.ViewDimension = arr ? Kind::k2DArray : Kind::k2D;
    d.Texture2DArray = {0, 0, t.arraySize};
  }
  return d;
}

HRESULT ResolveView(const TextureData& t, const D3D11_SHADER_RESOURCE_VIEW_DESC* in, D3D11_SHADER_RESOURCE_VIEW_DESC& d,
                    VkImageViewType& type, VkImageSubresourceRange& r) {
  if (!(t.bindFlags & D3D11_BIND_SHADER_RESOURCE)) return E_INVALIDARG;
  d = in ? *in : DefaultSrv(t);
  return ResolveSrv(t, d, type, r);
}
template <typename Desc>
HRESULT ResolveView(const TextureData& t, const Desc* in, Desc& d, VkImageViewType& type, VkImageSubresourceRange& r) {
  if (!(t.bindFlags & TargetKind<Desc>::kBind)) return E_INVALIDARG;
  d = in ? *in : DefaultTarget<Desc>(t);
  return ResolveTarget(t, d, type, r);
}

}  // namespace

template <typename Iface, typename Desc>
HRESULT View<Iface, Desc>::Create(Device* device, ID3D11Resource* resource, const Desc* desc, View** out) {
  TextureData* t = AsTexture(resource);
  if (!t || !t->image) return E_INVALIDARG;
  Desc d{};
  VkImageViewType type{};
  VkImageSubresourceRange range{};
  HRESULT hr = ResolveView(*t, desc, d, type, range);
  if (FAILED(hr)) return hr;
  if (d.Format == DXGI_FORMAT_UNKNOWN) d.Format = t->format;
  FormatInfo info = LookupFormat(device->Vk(), d.Format);
  if (info.vk == VK_FORMAT_UNDEFINED || info.typeless || info.blockBytes != t->info.blockBytes ||
      info.blockSize != t->info.blockSize || info.aspect != t->info.aspect ||
      (info.vk != t->info.vk && !t->info.typeless))
    return E_INVALIDARG;
  if (!out) return S_FALSE;

  VkImageViewCreateInfo vci{VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO};
  vci.image = t->image;
  vci.viewType = type;
  vci.format = info.vk;
  // Attachments take the texel as it is; only sampling applies the format's swizzle.
  if constexpr (std::is_same_v<Desc, D3D11_SHADER_RESOURCE_VIEW_DESC>) vci.components = info.swizzle;
  vci.subresourceRange = range;
  if constexpr (std::is_same_v<Desc, D3D11_SHADER_RESOURCE_VIEW_DESC>) {
    if (info.aspect & VK_IMAGE_ASPECT_DEPTH_BIT) vci.subresourceRange.aspectMask = VK_IMAGE_ASPECT_DEPTH_BIT;
  }
  VkImageView imageView;
  if (vkCreateImageView(device->Vk().device, &vci, nullptr, &imageView) != VK_SUCCESS) return E_OUTOFMEMORY;
  View* v = new View(device);
  v->texture = t;
  v->imageView = imageView;
  v->range = range;
  v->vkFormat = info.vk;
  v->integerFormat = info.integer;
  v->desc_ = d;
  v->resource_ = resource;
  AsTracked(resource)->AddRefPrivate();
  *out = v;
  return S_OK;
}

template <typename Iface, typename Desc>
View<Iface, Desc>::~View() {
  this->OwnerDevice()->Vk().DestroyLater(VK_OBJECT_TYPE_IMAGE_VIEW, imageView);
  AsTracked(resource_)->ReleasePrivate();
}

template <>
const char* ShaderResourceView::TypeName() const {
  return "ID3D11ShaderResourceView";
}
template <>
const char* RenderTargetView::TypeName() const {
  return "ID3D11RenderTargetView";
}
template <>
const char* DepthStencilView::TypeName() const {
  return "ID3D11DepthStencilView";
}
template class View<ID3D11ShaderResourceView, D3D11_SHADER_RESOURCE_VIEW_DESC>;
template class View<ID3D11RenderTargetView, D3D11_RENDER_TARGET_VIEW_DESC>;
template class View<ID3D11DepthStencilView, D3D11_DEPTH_STENCIL_VIEW_DESC>;

}  // namespace zr::d3d11
