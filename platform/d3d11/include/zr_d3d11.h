// Platform-internal hooks of the Direct3D 11 layer for its tests and tools (not part of
// the Direct3D API): how many Vulkan validation messages have been reported so far.
#pragma once

#include <dxgi.h>

#include <cstdint>
#include <vector>

namespace zr::d3d11 {

// Validation messages (warnings and errors) reported by VK_LAYER_KHRONOS_validation
// since the process started; the layer is enabled when ZR_VULKAN_VALIDATION=1.
uint64_t ValidationMessageCount();

// What a swap chain showed at its last Present: its back buffer resolved, as rows of
// tightly packed texels of the buffer format. Waits for the GPU.
HRESULT ReadPresentedImage(IDXGISwapChain* swapChain, UINT* width, UINT* height, std::vector<uint8_t>* texels);

}  // namespace zr::d3d11
