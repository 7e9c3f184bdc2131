// The compiled-shader container: what D3DCompileFromFile puts in its code blob and
// what the device reads back in CreateVertexShader, CreateInputLayout and the like.
//
// A container holds one SPIR-V module with one entry point, and the reflection the
// device needs to run it as a Direct3D shader: the stage, the input and output
// signatures (semantics with their SPIR-V locations) and the resource bindings.
//
// Byte layout, all fields little-endian 32-bit words, every section 4-byte aligned:
//   header      magic, version, total size in bytes, stage, then (offset, count) pairs
//               for the entry point name (bytes), the SPIR-V (words), the input and the
//               output signature records and the binding records; offsets are bytes from
//               the container start
//   sections    the SPIR-V words, the records, then the string bytes (entry point and
//               semantic names, not zero-terminated, each padded to 4 bytes)
// A signature record is kSignatureRecordWords words: name offset, name length,
// semantic index, location, system value, component type, component count, variable id.
// A binding record is kBindingRecordWords words: register class, register number,
// descriptor kind, dimension, set, binding, array size, byte size.
#pragma once

#include <d3dcommon.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zr::d3d11 {

constexpr uint32_t kShaderContainerMagic = 0x4353525A;  // "ZRSC"
constexpr uint32_t kShaderContainerVersion = 1;

enum class ShaderStage : uint32_t { Vertex = 0, Hull = 1, Domain = 2, Geometry = 3, Pixel = 4, Compute = 5 };
constexpr uint32_t kShaderStageCount = 6;

// ---- Binding scheme ---------------------------------------------------------------------
// Every stage's resources live in descriptor set 0; a stage owns 64 bindings starting at
// stage index * 64, and within them each register class owns a fixed range:
//   b (constant buffers, b0..b13)   bindings  0..13
//   s (samplers, s0..s15)           bindings 16..31
//   t (shader resources, t0..t31)   bindings 32..63
// A register outside its class's range, a register space other than 0 and unordered
// access views (u) do not compile.
enum class RegisterClass : uint32_t { ConstantBuffer = 0, Sampler = 1, ShaderResource = 2 };
constexpr uint32_t kRegisterClassCount = 3;

constexpr uint32_t kDescriptorSet = 0;
constexpr uint32_t kBindingsPerStage = 64;
constexpr uint32_t kConstantBufferBase = 0;
constexpr uint32_t kConstantBufferSlots = 14;
constexpr uint32_t kSamplerBase = 16;
constexpr uint32_t kSamplerSlots = 16;
constexpr uint32_t kShaderResourceBase = 32;
constexpr uint32_t kShaderResourceSlots = 32;

constexpr uint32_t RegisterClassBase(RegisterClass c) {
  return c == RegisterClass::ConstantBuffer ? kConstantBufferBase
         : c == RegisterClass::Sampler      ? kSamplerBase
                                            : kShaderResourceBase;
}
constexpr uint32_t RegisterClassSlots(RegisterClass c) {
  return c == RegisterClass::ConstantBuffer ? kConstantBufferSlots
         : c == RegisterClass::Sampler      ? kSamplerSlots
                                            : kShaderResourceSlots;
}
// The Vulkan binding (in set kDescriptorSet) of register `reg` of class `c` in `stage`.
constexpr uint32_t BindingFor(ShaderStage stage, RegisterClass c, uint32_t reg) {
  return static_cast<uint32_t>(stage) * kBindingsPerStage + RegisterClassBase(c) + reg;
}

// ---- Signatures ------------------------------------------------------------------------------
enum class ComponentType : uint32_t { Float = 0, SInt = 1, UInt = 2 };

// Which system value a signature element carries. Every value but None and Target is a
// SPIR-V built-in variable and has no location; Target (a pixel shader's colour output)
// has location = render target index.
enum class SystemValue : uint32_t {
  None = 0,
  Position,
  ClipDistance,
  CullDistance,
  RenderTargetArrayIndex,
  ViewportArrayIndex,
  VertexID,
  PrimitiveID,
  InstanceID,
  IsFrontFace,
  SampleIndex,
  TessFactor,
  InsideTessFactor,
  Target,
  Depth,
  Coverage,
  Other,  // a built-in without a Direct3D signature meaning of its own (control point id and the like)
};
constexpr uint32_t kSystemValueCount = static_cast<uint32_t>(SystemValue::Other) + 1;

constexpr uint32_t kNoLocation = 0xFFFFFFFFu;

struct SignatureElement {
  std::string semanticName;  // upper-cased, without the trailing index ("TEXCOORD", "SV_POSITION")
  uint32_t semanticIndex = 0;
  uint32_t location = kNoLocation;  // SPIR-V Location decoration; kNoLocation for built-ins
  SystemValue systemValue = SystemValue::None;
  ComponentType componentType = ComponentType::Float;
  uint32_t componentCount = 0;  // 1..4
  uint32_t variableId = 0;      // the SPIR-V result id of the variable (for rewriting its Location)
};

// ---- Resource bindings -----------------------------------------------------------------------
enum class DescriptorKind : uint32_t {
  UniformBuffer = 0,       // cbuffer (b)
  Sampler = 1,             // SamplerState (s)
  SampledImage = 2,        // Texture1D/2D/3D/Cube, multisampled and array forms (t); see dimension
  UniformTexelBuffer = 3,  // Buffer<T> (t)
  StorageBuffer = 4,       // StructuredBuffer<T>, ByteAddressBuffer (t, read-only)
};
constexpr uint32_t kDescriptorKindCount = 5;

struct ResourceBindingDesc {
  RegisterClass registerClass = RegisterClass::ConstantBuffer;
  uint32_t registerNumber = 0;
  DescriptorKind kind = DescriptorKind::UniformBuffer;
  D3D_SRV_DIMENSION dimension = D3D_SRV_DIMENSION_UNKNOWN;  // images and texel buffers; UNKNOWN otherwise
  uint32_t set = kDescriptorSet;
  uint32_t binding = 0;
  uint32_t arraySize = 1;  // registers taken: register .. register + arraySize - 1
  uint32_t byteSize = 0;   // uniform buffers: the block's size in whole 16-byte registers; 0 otherwise
};

// ---- The container -----------------------------------------------------------------------------
// The parsed contents of a container, copied out of its bytes so that it may outlive them.
struct ShaderContainerView {
  ShaderStage stage = ShaderStage::Vertex;
  std::string entryPoint;       // the OpEntryPoint name
  std::vector<uint32_t> spirv;  // the whole module
  std::vector<SignatureElement> inputs;
  std::vector<SignatureElement> outputs;
  std::vector<ResourceBindingDesc> bindings;
};

constexpr uint32_t kShaderContainerHeaderWords = 14;
constexpr uint32_t kSignatureRecordWords = 8;
constexpr uint32_t kBindingRecordWords = 8;
// Upper bounds a container must keep to; they bound what a parse may allocate.
constexpr uint32_t kMaxSignatureElements = 128;
constexpr uint32_t kMaxBindings = kShaderStageCount * kBindingsPerStage;
constexpr uint32_t kMaxNameLength = 256;

// Checks every offset, count and value of the container in `data` (exactly `size` bytes)
// and fills `out`. Returns false, leaving `out` unspecified, on anything malformed.
bool ParseShaderContainer(const void* data, size_t size, ShaderContainerView* out);

// The container bytes for `shader`; ParseShaderContainer gives it back unchanged.
std::vector<uint8_t> SerializeShaderContainer(const ShaderContainerView& shader);

}  // namespace zr::d3d11
