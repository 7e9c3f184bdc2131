// DDS images from the fuzzer through the whole loader onto a real device.
#include <d3d11.h>

#include <cstddef>
#include <cstdint>

#include "scene/ddstextureloader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ID3D11Device* device = [] {
    ID3D11Device* d = nullptr;
    D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &d, nullptr,
                      nullptr);
    return d;
  }();
  if (!device) return 0;
  ID3D11Resource* texture = nullptr;
  ID3D11ShaderResourceView* view = nullptr;
  if (SUCCEEDED(CreateTextureFromDdsBytes(device, data, size, &texture, &view))) {
    view->Release();
    texture->Release();
  }
  return 0;
}
