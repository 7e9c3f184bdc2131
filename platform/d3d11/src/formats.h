// DXGI formats as Vulkan formats: the Vulkan format that stores each one, how its
// texels are laid out in memory, the swizzle a view applies for formats Vulkan lacks
// (A8, B8G8R8X8, B4G4R4A4) and the conversion made on upload for the 4:2:2 pair.
#pragma once

#include <d3d11.h>
#include <vulkan/vulkan.h>

#include <cstdint>

namespace zr::d3d11 {

class VulkanDevice;

enum class FormatConversion : uint8_t {
  None,
  // Two texels in four bytes (R8G8_B8G8 / G8R8_G8B8), stored as R8G8B8A8 texels.
  Rgbg,
  Grgb,
};

struct FormatInfo {
  VkFormat vk = VK_FORMAT_UNDEFINED;
  uint32_t blockBytes = 0;  // bytes of one texel, or of one 4x4 block when blockSize is 4
  uint32_t blockSize = 1;
  VkImageAspectFlags aspect = VK_IMAGE_ASPECT_COLOR_BIT;
  VkComponentMapping swizzle{VK_COMPONENT_SWIZZLE_IDENTITY, VK_COMPONENT_SWIZZLE_IDENTITY,
                             VK_COMPONENT_SWIZZLE_IDENTITY, VK_COMPONENT_SWIZZLE_IDENTITY};
  FormatConversion conversion = FormatConversion::None;
  bool typeless = false;
  bool integer = false;  // UINT/SINT: cleared with integer values
};

// The format as this device stores it (D24_UNORM_S8_UINT falls back to a depth format
// the device has); vk is VK_FORMAT_UNDEFINED for formats the layer does not offer.
FormatInfo LookupFormat(const VulkanDevice& device, DXGI_FORMAT format);

// The aspect copies between buffers and images use (depth alone for depth-stencil).
inline VkImageAspectFlags CopyAspect(const FormatInfo& info) {
  return (info.aspect & VK_IMAGE_ASPECT_DEPTH_BIT) ? VkImageAspectFlags{VK_IMAGE_ASPECT_DEPTH_BIT} : info.aspect;
}

// Byte size of one row of blocks and the number of block rows of a level, in the
// application's layout (the 4:2:2 pair packs two texels in four bytes).
uint32_t SourceRowBytes(const FormatInfo& info, uint32_t width);
// The same in the layer's own layout (how the image stores it, how staging copies hold it).
uint32_t StoredRowBytes(const FormatInfo& info, uint32_t width);
uint32_t BlockRows(const FormatInfo& info, uint32_t height);

// Copies `rows` rows of a level from the application's layout into the stored layout,
// converting where the format needs it.
void ConvertRows(const FormatInfo& info, const uint8_t* src, uint32_t srcPitch, uint8_t* dst, uint32_t dstPitch,
                 uint32_t width, uint32_t rows);

}  // namespace zr::d3d11
