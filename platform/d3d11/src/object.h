// Reference counting and tracking shared by every object the device makes.
//
// Each object carries two counts in one atomic word: the public count the
// application sees through AddRef/Release (upper half) and a private count for the
// layer's own references (a context binding, a command list naming it). The object
// is destroyed when both reach zero. Every object is registered with its device for
// the live-object report, which reads the public count.
#pragma once

#include <d3d11.h>

#include <atomic>
#include <cstdint>
#include <utility>

namespace zr::d3d11 {

class Device;
// The interface of `device` (defined with the device).
ID3D11Device* DeviceInterface(Device* device);

class TrackedObject {
 public:
  TrackedObject(const TrackedObject&) = delete;
  TrackedObject& operator=(const TrackedObject&) = delete;

  void AddRefPrivate() { counts_.fetch_add(1, std::memory_order_relaxed); }
  void ReleasePrivate() {
    if (counts_.fetch_sub(1, std::memory_order_acq_rel) == 1) Destroy();
  }
  ULONG AddRefPublic() {
    return static_cast<ULONG>((counts_.fetch_add(kPublicOne, std::memory_order_relaxed) >> 32) + 1);
  }
  ULONG ReleasePublic() {
    uint64_t old = counts_.fetch_sub(kPublicOne, std::memory_order_acq_rel);
    if (old == kPublicOne) Destroy();
    return static_cast<ULONG>((old >> 32) - 1);
  }
  uint32_t PublicCount() const { return static_cast<uint32_t>(counts_.load(std::memory_order_relaxed) >> 32); }
  uint32_t PrivateCount() const { return static_cast<uint32_t>(counts_.load(std::memory_order_relaxed)); }

  // The interface name shown in the live-object report ("ID3D11Buffer").
  virtual const char* TypeName() const = 0;
  // A number unique among all objects of the process; pipeline caches key on it.
  uint64_t Uid() const { return uid_; }
  Device* OwnerDevice() const { return device_; }

  // Links of the device's registry (guarded by the device's registry lock).
  TrackedObject* registryPrev = nullptr;
  TrackedObject* registryNext = nullptr;

 protected:
  // Registers with `device` and holds a private reference on it (null: not tracked).
  explicit TrackedObject(Device* device);
  virtual ~TrackedObject();
  // Called when both counts reach zero; deletes the object by default.
  virtual void Destroy() { delete this; }

 private:
  static constexpr uint64_t kPublicOne = uint64_t{1} << 32;
  std::atomic<uint64_t> counts_{kPublicOne};
  uint64_t uid_;
  Device* device_;
};

// An owning private reference, as contexts and command lists hold them.
template <typename T>
class Ref {
 public:
  Ref() = default;
  Ref(T* p) : p_(p) {  // NOLINT: implicit from a raw pointer, like a COM smart pointer
    if (p_) Obj()->AddRefPrivate();
  }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ~Ref() { reset(); }
  Ref& operator=(const Ref& o) {
    if (p_ != o.p_) {
      Ref tmp(o);
      std::swap(p_, tmp.p_);
    }
    return *this;
  }
  Ref& operator=(Ref&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) static_cast<TrackedObject*>(p)->ReleasePrivate();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(const Ref& o) const { return p_ == o.p_; }

 private:
  TrackedObject* Obj() const { return static_cast<TrackedObject*>(p_); }
  T* p_ = nullptr;
};

// Gives an interface its IUnknown and ID3D11DeviceChild methods on top of TrackedObject.
// `Bases...` are the interfaces QueryInterface answers for besides IUnknown and Iface.
template <typename Iface, typename... Bases>
class DeviceChild : public Iface, public TrackedObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(ID3D11DeviceChild) || riid == __uuidof(Iface) ||
        ((riid == __uuidof(Bases)) || ...)) {
      AddRefPublic();
      *object = static_cast<Iface*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefPublic(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleasePublic(); }
  void STDMETHODCALLTYPE GetDevice(ID3D11Device** device) override {
    ID3D11Device* d = DeviceInterface(OwnerDevice());
    d->AddRef();
    *device = d;
  }
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT* dataSize, void*) override {
    if (dataSize) *dataSize = 0;
    return DXGI_ERROR_NOT_FOUND;
  }
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return S_OK; }

 protected:
  explicit DeviceChild(Device* device) : TrackedObject(device) {}
};

}  // namespace zr::d3d11
