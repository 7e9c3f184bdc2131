// The device's debug interface and its live-object report on the debugger output.
//
// The interface is a view of the device: it holds one reference on the device for as
// long as it lives, so the device's count in a report includes it, as with Direct3D.
// The report names every object the device made that is still alive, with the count
// the application holds and the count the layer itself holds (a binding in a context,
// a command list naming it, a view on a resource). State objects the device keeps only
// for reuse, released by the application and bound nowhere, are not alive to it and
// are left out.
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "device.h"

namespace zr::d3d11 {
namespace {

// Held by the device's state cache and nothing else.
bool KeptOnlyForReuse(TrackedObject* o) {
  auto* child = dynamic_cast<ID3D11DeviceChild*>(o);
  const bool isState = dynamic_cast<ID3D11BlendState*>(child) || dynamic_cast<ID3D11DepthStencilState*>(child) ||
                       dynamic_cast<ID3D11RasterizerState*>(child) || dynamic_cast<ID3D11SamplerState*>(child);
  return isState && o->PublicCount() == 0 && o->PrivateCount() == 1;
}

std::string Line(const char* indent, const char* type, const void* address, uint32_t refs) {
  char text[160];
  std::snprintf(text, sizeof(text), "D3D11 WARNING: %sLive %s at 0x%016" PRIXPTR ", Refcount: %u", indent, type,
                reinterpret_cast<uintptr_t>(address), refs);
  return text;
}

class DebugInterface final : public ID3D11Debug {
 public:
  explicit DebugInterface(Device* device) : device_(device) { device_->AddRef(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == __uuidof(ID3D11Debug)) {
      AddRef();
      *object = static_cast<ID3D11Debug*>(this);
      return S_OK;
    }
    return device_->QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
      device_->Release();
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE SetFeatureMask(UINT mask) override {
    featureMask_ = mask;
    return S_OK;
  }
  UINT STDMETHODCALLTYPE GetFeatureMask() override { return featureMask_; }
  HRESULT STDMETHODCALLTYPE SetPresentPerRenderOpDelay(UINT milliseconds) override {
    presentDelay_ = milliseconds;
    return S_OK;
  }
  UINT STDMETHODCALLTYPE GetPresentPerRenderOpDelay() override { return presentDelay_; }
  HRESULT STDMETHODCALLTYPE SetSwapChain(IDXGISwapChain*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSwapChain(IDXGISwapChain** swapChain) override {
    if (swapChain) *swapChain = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ValidateContext(ID3D11DeviceContext* context) override {
    return context ? S_OK : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE ValidateContextForDispatch(ID3D11DeviceContext* context) override {
    return context ? S_OK : E_INVALIDARG;
  }

  HRESULT STDMETHODCALLTYPE ReportLiveDeviceObjects(D3D11_RLDO_FLAGS flags) override {
    constexpr UINT kKnown = D3D11_RLDO_SUMMARY | D3D11_RLDO_DETAIL | D3D11_RLDO_IGNORE_INTERNAL;
    if (flags & ~kKnown) return E_INVALIDARG;
    const bool ignoreInternal = (flags & D3D11_RLDO_IGNORE_INTERNAL) != 0;
    std::vector<std::string> lines;
    lines.push_back(Line("", "ID3D11Device", static_cast<ID3D11Device*>(device_), device_->PublicCount()));
    size_t live = 0;
    device_->ForEachObject([&](TrackedObject* o) {
      // An object whose counts are both zero is being destroyed.
      if ((o->PublicCount() == 0 && o->PrivateCount() == 0) || KeptOnlyForReuse(o)) return;
      if (ignoreInternal && o->PublicCount() == 0) return;
      ++live;
      if (flags & D3D11_RLDO_DETAIL) {
        // The address the application holds: the object's interface.
        const void* address = dynamic_cast<IUnknown*>(o);
        lines.push_back(Line("\t", o->TypeName(), address, o->PublicCount()) +
                        ", IntRef: " + std::to_string(o->PrivateCount()));
      }
    });
    if (flags & D3D11_RLDO_SUMMARY)
      lines.push_back("D3D11 WARNING: Live objects besides the device: " + std::to_string(live));
    for (std::string& line : lines) {
      line += "\n";
      DebugPrint(line.c_str());
    }
    return S_OK;
  }

 private:
  ~DebugInterface() = default;

  Device* device_;
  std::atomic<ULONG> refs_{1};
  UINT featureMask_ = 0;
  UINT presentDelay_ = 0;
};

}  // namespace

HRESULT CreateDebugInterface(Device* device, ID3D11Debug** out) {
  *out = new DebugInterface(device);
  return S_OK;
}

}  // namespace zr::d3d11
