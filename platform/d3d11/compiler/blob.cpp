// ID3DBlob: a reference-counted, zero-filled byte buffer.
#include <d3dcompiler.h>

#include <atomic>
#include <new>

namespace {

class Blob final : public ID3DBlob {
 public:
  explicit Blob(SIZE_T size) : size_(size), bytes_(new (std::nothrow) uint64_t[(size + 7) / 8]()) {}
  ~Blob() { delete[] bytes_; }
  bool Allocated() const { return bytes_ != nullptr || size_ == 0; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(ID3D10Blob)) {
      AddRef();
      *object = static_cast<ID3DBlob*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }
  LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_; }
  SIZE_T STDMETHODCALLTYPE GetBufferSize() override { return size_; }

 private:
  std::atomic<ULONG> refs_{1};
  SIZE_T size_;
  uint64_t* bytes_;  // 8-byte aligned, so SPIR-V words in a blob can be read in place
};

}  // namespace

HRESULT WINAPI D3DCreateBlob(SIZE_T size, ID3DBlob** blob) {
  if (blob == nullptr) return E_INVALIDARG;
  *blob = nullptr;
  if (size > SIZE_T{1} << 40) return E_OUTOFMEMORY;
  Blob* b = new (std::nothrow) Blob(size);
  if (b == nullptr || !b->Allocated()) {
    delete b;
    return E_OUTOFMEMORY;
  }
  *blob = b;
  return S_OK;
}
