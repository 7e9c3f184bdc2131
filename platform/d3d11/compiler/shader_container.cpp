#include "shader_container.h"

#include <cstring>

namespace zr::d3d11 {
namespace {

constexpr uint32_t kSpirvMagic = 0x07230203;
constexpr uint32_t kSpirvHeaderWords = 5;

// Header word positions.
enum HeaderField : uint32_t {
  kMagic,
  kVersion,
  kTotalSize,
  kStage,
  kEntryOffset,
  kEntryLength,
  kSpirvOffset,
  kSpirvWords,
  kInputsOffset,
  kInputCount,
  kOutputsOffset,
  kOutputCount,
  kBindingsOffset,
  kBindingCount,
};
static_assert(kBindingCount + 1 == kShaderContainerHeaderWords);

// Reads words out of the container bytes; every read is checked against the size.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // True when `count` items of `itemBytes` each fit at `offset` (4-byte aligned).
  bool Fits(uint64_t offset, uint64_t count, uint64_t itemBytes) const {
    return offset % 4 == 0 && offset <= size_ && count <= (size_ - offset) / itemBytes;
  }
  uint32_t Word(size_t byteOffset) const {
    uint32_t w;
    std::memcpy(&w, data_ + byteOffset, 4);
    return w;
  }
  bool String(uint32_t offset, uint32_t length, std::string* out) const {
    if (length > kMaxNameLength || offset > size_ || length > size_ - offset) return false;
    out->assign(reinterpret_cast<const char*>(data_ + offset), length);
    return out->find('\0') == std::string::npos;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

bool ParseSignature(const Reader& r, uint32_t offset, uint32_t count, std::vector<SignatureElement>* out) {
  if (count > kMaxSignatureElements || !r.Fits(offset, count, kSignatureRecordWords * 4)) return false;
  out->resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = offset + size_t{i} * kSignatureRecordWords * 4;
    SignatureElement& e = (*out)[i];
    const uint32_t systemValue = r.Word(at + 16), componentType = r.Word(at + 20);
    if (!r.String(r.Word(at), r.Word(at + 4), &e.semanticName) || e.semanticName.empty()) return false;
    if (systemValue >= kSystemValueCount || componentType > static_cast<uint32_t>(ComponentType::UInt)) return false;
    e.semanticIndex = r.Word(at + 8);
    e.location = r.Word(at + 12);
    e.systemValue = static_cast<SystemValue>(systemValue);
    e.componentType = static_cast<ComponentType>(componentType);
    e.componentCount = r.Word(at + 24);
    e.variableId = r.Word(at + 28);
    if (e.componentCount < 1 || e.componentCount > 4) return false;
  }
  return true;
}

bool ParseBindings(const Reader& r, uint32_t offset, uint32_t count, std::vector<ResourceBindingDesc>* out) {
  if (count > kMaxBindings || !r.Fits(offset, count, kBindingRecordWords * 4)) return false;
  out->resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = offset + size_t{i} * kBindingRecordWords * 4;
    ResourceBindingDesc& b = (*out)[i];
    const uint32_t cls = r.Word(at), kind = r.Word(at + 8), dimension = r.Word(at + 12);
    if (cls >= kRegisterClassCount || kind >= kDescriptorKindCount ||
        dimension > static_cast<uint32_t>(D3D_SRV_DIMENSION_BUFFEREX))
      return false;
    b.registerClass = static_cast<RegisterClass>(cls);
    b.registerNumber = r.Word(at + 4);
    b.kind = static_cast<DescriptorKind>(kind);
    b.dimension = static_cast<D3D_SRV_DIMENSION>(dimension);
    b.set = r.Word(at + 16);
    b.binding = r.Word(at + 20);
    b.arraySize = r.Word(at + 24);
    b.byteSize = r.Word(at + 28);
    const uint32_t slots = RegisterClassSlots(b.registerClass);
    if (b.arraySize < 1 || b.registerNumber >= slots || b.arraySize > slots - b.registerNumber) return false;
  }
  return true;
}

class Writer {
 public:
  void Word(uint32_t w) {
    const size_t at = bytes_.size();
    bytes_.resize(at + 4);
    std::memcpy(bytes_.data() + at, &w, 4);
  }
  void Patch(uint32_t field, uint32_t w) { std::memcpy(bytes_.data() + size_t{field} * 4, &w, 4); }
  uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
  void Bytes(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

bool ParseShaderContainer(const void* data, size_t size, ShaderContainerView* out) {
  if (data == nullptr || out == nullptr || size < kShaderContainerHeaderWords * 4 || size > UINT32_MAX) return false;
  const Reader r(static_cast<const uint8_t*>(data), size);
  uint32_t h[kShaderContainerHeaderWords];
  for (uint32_t i = 0; i < kShaderContainerHeaderWords; ++i) h[i] = r.Word(size_t{i} * 4);
  if (h[kMagic] != kShaderContainerMagic || h[kVersion] != kShaderContainerVersion || h[kTotalSize] != size ||
      h[kStage] >= kShaderStageCount)
    return false;
  out->stage = static_cast<ShaderStage>(h[kStage]);
  if (!r.String(h[kEntryOffset], h[kEntryLength], &out->entryPoint) || out->entryPoint.empty()) return false;

  if (h[kSpirvWords] < kSpirvHeaderWords || !r.Fits(h[kSpirvOffset], h[kSpirvWords], 4)) return false;
  out->spirv.resize(h[kSpirvWords]);
  std::memcpy(out->spirv.data(), static_cast<const uint8_t*>(data) + h[kSpirvOffset], size_t{h[kSpirvWords]} * 4);
  if (out->spirv[0] != kSpirvMagic) return false;

  return ParseSignature(r, h[kInputsOffset], h[kInputCount], &out->inputs) &&
         ParseSignature(r, h[kOutputsOffset], h[kOutputCount], &out->outputs) &&
         ParseBindings(r, h[kBindingsOffset], h[kBindingCount], &out->bindings);
}

std::vector<uint8_t> SerializeShaderContainer(const ShaderContainerView& shader) {
  Writer w;
  for (uint32_t i = 0; i < kShaderContainerHeaderWords; ++i) w.Word(0);
  w.Patch(kMagic, kShaderContainerMagic);
  w.Patch(kVersion, kShaderContainerVersion);
  w.Patch(kStage, static_cast<uint32_t>(shader.stage));

  w.Patch(kSpirvOffset, w.Size());
  w.Patch(kSpirvWords, static_cast<uint32_t>(shader.spirv.size()));
  for (uint32_t word : shader.spirv) w.Word(word);

  // Records first, with their name offsets filled in once the strings are placed.
  std::vector<std::pair<uint32_t, const std::string*>> names;  // (byte offset of the name field, name)
  auto signature = [&](const std::vector<SignatureElement>& elements, HeaderField offset, HeaderField count) {
    w.Patch(offset, w.Size());
    w.Patch(count, static_cast<uint32_t>(elements.size()));
    for (const SignatureElement& e : elements) {
      names.emplace_back(w.Size(), &e.semanticName);
      w.Word(0);
      w.Word(static_cast<uint32_t>(e.semanticName.size()));
      w.Word(e.semanticIndex);
      w.Word(e.location);
      w.Word(static_cast<uint32_t>(e.systemValue));
      w.Word(static_cast<uint32_t>(e.componentType));
      w.Word(e.componentCount);
      w.Word(e.variableId);
    }
  };
  signature(shader.inputs, kInputsOffset, kInputCount);
  signature(shader.outputs, kOutputsOffset, kOutputCount);

  w.Patch(kBindingsOffset, w.Size());
  w.Patch(kBindingCount, static_cast<uint32_t>(shader.bindings.size()));
  for (const ResourceBindingDesc& b : shader.bindings) {
    w.Word(static_cast<uint32_t>(b.registerClass));
    w.Word(b.registerNumber);
    w.Word(static_cast<uint32_t>(b.kind));
    w.Word(static_cast<uint32_t>(b.dimension));
    w.Word(b.set);
    w.Word(b.binding);
    w.Word(b.arraySize);
    w.Word(b.byteSize);
  }

  w.Patch(kEntryOffset, w.Size());
  w.Patch(kEntryLength, static_cast<uint32_t>(shader.entryPoint.size()));
  w.Bytes(shader.entryPoint);
  for (const auto& [field, name] : names) {
    const uint32_t at = w.Size();
    w.Bytes(*name);
    w.Patch(field / 4, at);
  }
  w.Patch(kTotalSize, w.Size());
  return w.Take();
}

}  // namespace zr::d3d11
