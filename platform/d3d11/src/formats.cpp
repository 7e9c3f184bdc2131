#include "formats.h"

#include <algorithm>
#include <cstring>

#include "vk_device.h"

namespace zr::d3d11 {
namespace {

constexpr VkComponentSwizzle R = VK_COMPONENT_SWIZZLE_R, G = VK_COMPONENT_SWIZZLE_G, B = VK_COMPONENT_SWIZZLE_B,
                             A = VK_COMPONENT_SWIZZLE_A, ZERO = VK_COMPONENT_SWIZZLE_ZERO,
                             ONE = VK_COMPONENT_SWIZZLE_ONE;

FormatInfo Color(VkFormat vk, uint32_t bytes, bool typeless = false, bool integer = false) {
  FormatInfo f;
  f.vk = vk;
  f.blockBytes = bytes;
  f.typeless = typeless;
  f.integer = integer;
  return f;
}
FormatInfo Block(VkFormat vk, uint32_t bytes, bool typeless = false) {
  FormatInfo f = Color(vk, bytes, typeless);
  f.blockSize = 4;
  return f;
}
FormatInfo Depth(VkFormat vk, uint32_t bytes, bool stencil, bool typeless = false) {
  FormatInfo f = Color(vk, bytes, typeless);
  f.aspect = VK_IMAGE_ASPECT_DEPTH_BIT | (stencil ? VK_IMAGE_ASPECT_STENCIL_BIT : 0);
  return f;
}
FormatInfo Swizzled(VkFormat vk, uint32_t bytes, VkComponentMapping swizzle) {
  FormatInfo f = Color(vk, bytes);
  f.swizzle = swizzle;
  return f;
}
FormatInfo Packed(FormatConversion conversion) {
  FormatInfo f = Color(VK_FORMAT_R8G8B8A8_UNORM, 4);
  f.conversion = conversion;
  return f;
}

FormatInfo Describe(DXGI_FORMAT format) {
  switch (format) {
    case DXGI_FORMAT_R32G32B32A32_TYPELESS:
      return Color(VK_FORMAT_R32G32B32A32_SFLOAT, 16, true);
    case DXGI_FORMAT_R32G32B32A32_FLOAT:
      return Color(VK_FORMAT_R32G32B32A32_SFLOAT, 16);
    case DXGI_FORMAT_R32G32B32A32_UINT:
      return Color(VK_FORMAT_R32G32B32A32_UINT, 16, false, true);
    case DXGI_FORMAT_R32G32B32A32_SINT:
      return Color(VK_FORMAT_R32G32B32A32_SINT, 16, false, true);
    case DXGI_FORMAT_R32G32B32_TYPELESS:
      return Color(VK_FORMAT_R32G32B32_SFLOAT, 12, true);
    case DXGI_FORMAT_R32G32B32_FLOAT:
      return Color(VK_FORMAT_R32G32B32_SFLOAT, 12);
    case DXGI_FORMAT_R32G32B32_UINT:
      return Color(VK_FORMAT_R32G32B32_UINT, 12, false, true);
    case DXGI_FORMAT_R32G32B32_SINT:
      return Color(VK_FORMAT_R32G32B32_SINT, 12, false, true);
    case DXGI_FORMAT_R16G16B16A16_TYPELESS:
      return Color(VK_FORMAT_R16G16B16A16_UNORM, 8, true);
    case DXGI_FORMAT_R16G16B16A16_FLOAT:
      return Color(VK_FORMAT_R16G16B16A16_SFLOAT, 8);
    case DXGI_FORMAT_R16G16B16A16_UNORM:
      return Color(VK_FORMAT_R16G16B16A16_UNORM, 8);
    case DXGI_FORMAT_R16G16B16A16_UINT:
      return Color(VK_FORMAT_R16G16B16A16_UINT, 8, false, true);
    case DXGI_FORMAT_R16G16B16A16_SNORM:
      return Color(VK_FORMAT_R16G16B16A16_SNORM, 8);
    case DXGI_FORMAT_R16G16B16A16_SINT:
      return Color(VK_FORMAT_R16G16B16A16_SINT, 8, false, true);
    case DXGI_FORMAT_R32G32_TYPELESS:
      return Color(VK_FORMAT_R32G32_SFLOAT, 8, true);
    case DXGI_FORMAT_R32G32_FLOAT:
      return Color(VK_FORMAT_R32G32_SFLOAT, 8);
    case DXGI_FORMAT_R32G32_UINT:
      return Color(VK_FORMAT_R32G32_UINT, 8, false, true);
    case DXGI_FORMAT_R32G32_SINT:
      return Color(VK_FORMAT_R32G32_SINT, 8, false, true);
    case DXGI_FORMAT_D32_FLOAT_S8X24_UINT:
      return Depth(VK_FORMAT_D32_SFLOAT_S8_UINT, 8, true);
    case DXGI_FORMAT_R10G10B10A2_TYPELESS:
      return Color(VK_FORMAT_A2B10G10R10_UNORM_PACK32, 4, true);
    case DXGI_FORMAT_R10G10B10A2_UNORM:
      return Color(VK_FORMAT_A2B10G10R10_UNORM_PACK32, 4);
    case DXGI_FORMAT_R10G10B10A2_UINT:
      return Color(VK_FORMAT_A2B10G10R10_UINT_PACK32, 4, false, true);
    case DXGI_FORMAT_R11G11B10_FLOAT:
      return Color(VK_FORMAT_B10G11R11_UFLOAT_PACK32, 4);
    case DXGI_FORMAT_R8G8B8A8_TYPELESS:
      return Color(VK_FORMAT_R8G8B8A8_UNORM, 4, true);
    case DXGI_FORMAT_R8G8B8A8_UNORM:
      return Color(VK_FORMAT_R8G8B8A8_UNORM, 4);
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB:
      return Color(VK_FORMAT_R8G8B8A8_SRGB, 4);
    case DXGI_FORMAT_R8G8B8A8_UINT:
      return Color(VK_FORMAT_R8G8B8A8_UINT, 4, false, true);
    case DXGI_FORMAT_R8G8B8A8_SNORM:
      return Color(VK_FORMAT_R8G8B8A8_SNORM, 4);
    case DXGI_FORMAT_R8G8B8A8_SINT:
      return Color(VK_FORMAT_R8G8B8A8_SINT, 4, false, true);
    case DXGI_FORMAT_R16G16_TYPELESS:
      return Color(VK_FORMAT_R16G16_UNORM, 4, true);
    case DXGI_FORMAT_R16G16_FLOAT:
      return Color(VK_FORMAT_R16G16_SFLOAT, 4);
    case DXGI_FORMAT_R16G16_UNORM:
      return Color(VK_FORMAT_R16G16_UNORM, 4);
    case DXGI_FORMAT_R16G16_UINT:
      return Color(VK_FORMAT_R16G16_UINT, 4, false, true);
    case DXGI_FORMAT_R16G16_SNORM:
      return Color(VK_FORMAT_R16G16_SNORM, 4);
    case DXGI_FORMAT_R16G16_SINT:
      return Color(VK_FORMAT_R16G16_SINT, 4, false, true);
    case DXGI_FORMAT_R32_TYPELESS:
      return Color(VK_FORMAT_R32_SFLOAT, 4, true);
    case DXGI_FORMAT_D32_FLOAT:
      return Depth(VK_FORMAT_D32_SFLOAT, 4, false);
    case DXGI_FORMAT_R32_FLOAT:
      return Color(VK_FORMAT_R32_SFLOAT, 4);
    case DXGI_FORMAT_R32_UINT:
      return Color(VK_FORMAT_R32_UINT, 4, false, true);
    case DXGI_FORMAT_R32_SINT:
      return Color(VK_FORMAT_R32_SINT, 4, false, true);
    case DXGI_FORMAT_R24G8_TYPELESS:
      return Depth(VK_FORMAT_D24_UNORM_S8_UINT, 4, true, true);
    case DXGI_FORMAT_D24_UNORM_S8_UINT:
      return Depth(VK_FORMAT_D24_UNORM_S8_UINT, 4, true);
    case DXGI_FORMAT_R8G8_TYPELESS:
      return Color(VK_FORMAT_R8G8_UNORM, 2, true);
    case DXGI_FORMAT_R8G8_UNORM:
      return Color(VK_FORMAT_R8G8_UNORM, 2);
    case DXGI_FORMAT_R8G8_UINT:
      return Color(VK_FORMAT_R8G8_UINT, 2, false, true);
    case DXGI_FORMAT_R8G8_SNORM:
      return Color(VK_FORMAT_R8G8_SNORM, 2);
    case DXGI_FORMAT_R8G8_SINT:
      return Color(VK_FORMAT_R8G8_SINT, 2, false, true);
    case DXGI_FORMAT_R16_TYPELESS:
      return Color(VK_FORMAT_R16_UNORM, 2, true);
    case DXGI_FORMAT_R16_FLOAT:
      return Color(VK_FORMAT_R16_SFLOAT, 2);
    case DXGI_FORMAT_D16_UNORM:
      return Depth(VK_FORMAT_D16_UNORM, 2, false);
    case DXGI_FORMAT_R16_UNORM:
      return Color(VK_FORMAT_R16_UNORM, 2);
    case DXGI_FORMAT_R16_UINT:
      return Color(VK_FORMAT_R16_UINT, 2, false, true);
    case DXGI_FORMAT_R16_SNORM:
      return Color(VK_FORMAT_R16_SNORM, 2);
    case DXGI_FORMAT_R16_SINT:
      return Color(VK_FORMAT_R16_SINT, 2, false, true);
    case DXGI_FORMAT_R8_TYPELESS:
      return Color(VK_FORMAT_R8_UNORM, 1, true);
    case DXGI_FORMAT_R8_UNORM:
      return Color(VK_FORMAT_R8_UNORM, 1);
    case DXGI_FORMAT_R8_UINT:
      return Color(VK_FORMAT_R8_UINT, 1, false, true);
    case DXGI_FORMAT_R8_SNORM:
      return Color(VK_FORMAT_R8_SNORM, 1);
    case DXGI_FORMAT_R8_SINT:
      return Color(VK_FORMAT_R8_SINT, 1, false, true);
    case DXGI_FORMAT_A8_UNORM:
      return Swizzled(VK_FORMAT_R8_UNORM, 1, {ZERO, ZERO, ZERO, R});
    case DXGI_FORMAT_R9G9B9E5_SHAREDEXP:
      return Color(VK_FORMAT_E5B9G9R9_UFLOAT_PACK32, 4);
    case DXGI_FORMAT_R8G8_B8G8_UNORM:
      return Packed(FormatConversion::Rgbg);
    case DXGI_FORMAT_G8R8_G8B8_UNORM:
      return Packed(FormatConversion::Grgb);
    case DXGI_FORMAT_BC1_TYPELESS:
      return Block(VK_FORMAT_BC1_RGBA_UNORM_BLOCK, 8, true);
    case DXGI_FORMAT_BC1_UNORM:
      return Block(VK_FORMAT_BC1_RGBA_UNORM_BLOCK, 8);
    case DXGI_FORMAT_BC1_UNORM_SRGB:
      return Block(VK_FORMAT_BC1_RGBA_SRGB_BLOCK, 8);
    case DXGI_FORMAT_BC2_TYPELESS:
      return Block(VK_FORMAT_BC2_UNORM_BLOCK, 16, true);
    case DXGI_FORMAT_BC2_UNORM:
      return Block(VK_FORMAT_BC2_UNORM_BLOCK, 16);
    case DXGI_FORMAT_BC2_UNORM_SRGB:
      return Block(VK_FORMAT_BC2_SRGB_BLOCK, 16);
    case DXGI_FORMAT_BC3_TYPELESS:
      return Block(VK_FORMAT_BC3_UNORM_BLOCK, 16, true);
    case DXGI_FORMAT_BC3_UNORM:
      return Block(VK_FORMAT_BC3_UNORM_BLOCK, 16);
    case DXGI_FORMAT_BC3_UNORM_SRGB:
      return Block(VK_FORMAT_BC3_SRGB_BLOCK, 16);
    case DXGI_FORMAT_BC4_TYPELESS:
      return Block(VK_FORMAT_BC4_UNORM_BLOCK, 8, true);
    case DXGI_FORMAT_BC4_UNORM:
      return Block(VK_FORMAT_BC4_UNORM_BLOCK, 8);
    case DXGI_FORMAT_BC4_SNORM:
      return Block(VK_FORMAT_BC4_SNORM_BLOCK, 8);
    case DXGI_FORMAT_BC5_TYPELESS:
      return Block(VK_FORMAT_BC5_UNORM_BLOCK, 16, true);
    case DXGI_FORMAT_BC5_UNORM:
      return Block(VK_FORMAT_BC5_UNORM_BLOCK, 16);
    case DXGI_FORMAT_BC5_SNORM:
      return Block(VK_FORMAT_BC5_SNORM_BLOCK, 16);
    // DXGI names packed fields from the least significant bit, Vulkan from the most.
    case DXGI_FORMAT_B5G6R5_UNORM:
      return Color(VK_FORMAT_R5G6B5_UNORM_PACK16, 2);
    case DXGI_FORMAT_B5G5R5A1_UNORM:
      return Color(VK_FORMAT_A1R5G5B5_UNORM_PACK16, 2);
    case DXGI_FORMAT_B8G8R8A8_UNORM:
      return Color(VK_FORMAT_B8G8R8A8_UNORM, 4);
    case DXGI_FORMAT_B8G8R8X8_UNORM:
      return Swizzled(VK_FORMAT_B8G8R8A8_UNORM, 4, {R, G, B, ONE});
    case DXGI_FORMAT_B8G8R8A8_TYPELESS:
      return Color(VK_FORMAT_B8G8R8A8_UNORM, 4, true);
    case DXGI_FORMAT_B8G8R8A8_UNORM_SRGB:
      return Color(VK_FORMAT_B8G8R8A8_SRGB, 4);
    case DXGI_FORMAT_B8G8R8X8_TYPELESS:
      return Color(VK_FORMAT_B8G8R8A8_UNORM, 4, true);
    case DXGI_FORMAT_B8G8R8X8_UNORM_SRGB:
      return Swizzled(VK_FORMAT_B8G8R8A8_SRGB, 4, {R, G, B, ONE});
    case DXGI_FORMAT_BC6H_TYPELESS:
      return Block(VK_FORMAT_BC6H_UFLOAT_BLOCK, 16, true);
    case DXGI_FORMAT_BC6H_UF16:
      return Block(VK_FORMAT_BC6H_UFLOAT_BLOCK, 16);
    case DXGI_FORMAT_BC6H_SF16:
      return Block(VK_FORMAT_BC6H_SFLOAT_BLOCK, 16);
    case DXGI_FORMAT_BC7_TYPELESS:
      return Block(VK_FORMAT_BC7_UNORM_BLOCK, 16, true);
    case DXGI_FORMAT_BC7_UNORM:
      return Block(VK_FORMAT_BC7_UNORM_BLOCK, 16);
    case DXGI_FORMAT_BC7_UNORM_SRGB:
      return Block(VK_FORMAT_BC7_SRGB_BLOCK, 16);
    // Bits from the top: B4 G4 R4 A4 in Vulkan hold A R G B of the DXGI texel.
    case DXGI_FORMAT_B4G4R4A4_UNORM:
      return Swizzled(VK_FORMAT_B4G4R4A4_UNORM_PACK16, 2, {G, R, A, B});
    default:
      return {};
  }
}

}  // namespace

FormatInfo LookupFormat(const VulkanDevice& device, DXGI_FORMAT format) {
  FormatInfo info = Describe(format);
  if (info.vk == VK_FORMAT_D24_UNORM_S8_UINT &&
      !device.SupportsFormat(info.vk, VK_FORMAT_FEATURE_DEPTH_STENCIL_ATTACHMENT_BIT)) {
    info.vk = VK_FORMAT_D32_SFLOAT_S8_UINT;
  }
  if (info.blockSize == 4 && !device.enabledFeatures.textureCompressionBC) info.vk = VK_FORMAT_UNDEFINED;
  return info;
}

uint32_t SourceRowBytes(const FormatInfo& info, uint32_t width) {
  if (info.conversion != FormatConversion::None) return ((width + 1) / 2) * 4;
  return StoredRowBytes(info, width);
}

uint32_t StoredRowBytes(const FormatInfo& info, uint32_t width) {
  return (width + info.blockSize - 1) / info.blockSize * info.blockBytes;
}

uint32_t BlockRows(const FormatInfo& info, uint32_t height) { return (height + info.blockSize - 1) / info.blockSize; }

void ConvertRows(const FormatInfo& info, const uint8_t* src, uint32_t srcPitch, uint8_t* dst, uint32_t dstPitch,
                 uint32_t width, uint32_t rows) {
  for (uint32_t y = 0; y < rows; ++y) {
    const uint8_t* s = src + static_cast<size_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<size_t>(y) * dstPitch;
    if (info.conversion == FormatConversion::None) {
      std::memcpy(d, s, StoredRowBytes(info, width));
      continue;
    }
    // Each four bytes hold one red, one blue and the greens of two neighbouring texels.
    const bool rgbg = info.conversion == FormatConversion::Rgbg;
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* pair = s + (x / 2) * 4;
      uint8_t r = rgbg ? pair[0] : pair[1];
      uint8_t b = rgbg ? pair[2] : pair[3];
      uint8_t g = rgbg ? pair[1 + 2 * (x & 1)] : pair[2 * (x & 1)];
      d[x * 4 + 0] = r;
      d[x * 4 + 1] = g;
      d[x * 4 + 2] = b;
      d[x * 4 + 3] = 255;
    }
  }
}

}  // namespace zr::d3d11
