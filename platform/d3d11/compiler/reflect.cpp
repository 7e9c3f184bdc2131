#include "reflect.h"

#include <glslang/SPIRV/spirv.hpp>

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

namespace zr::d3d11 {
namespace {

constexpr int kMaxTypeDepth = 32;
// Type walks stop after this many steps: a damaged module may nest and share types so
// that a plain walk would take exponential time.
constexpr uint32_t kMaxTypeSteps = 4096;

struct Decorations {
  uint32_t location = kNoLocation;
  uint32_t builtIn = UINT32_MAX;
  uint32_t binding = UINT32_MAX;
  uint32_t set = UINT32_MAX;
  uint32_t arrayStride = 0;
  bool block = false;
  bool bufferBlock = false;
  bool patch = false;
  bool nonWritable = false;
  std::string semantic;
};

struct MemberDecorations {
  uint32_t offset = 0;
  uint32_t matrixStride = 0;
  bool rowMajor = false;
  bool nonWritable = false;
};

struct Type {
  spv::Op op = spv::OpNop;
  std::vector<uint32_t> operands;  // the words after the result id
};

struct Variable {
  uint32_t id;
  uint32_t type;
  uint32_t storage;  // a spv::StorageClass; kept raw, since a damaged module may hold any value
};

// The parts of a module that reflection looks at, indexed by result id.
struct Module {
  std::map<uint32_t, Type> types;
  std::map<uint32_t, uint32_t> constants;  // the low word of scalar integer constants
  std::map<uint32_t, Decorations> decorations;
  std::map<std::pair<uint32_t, uint32_t>, MemberDecorations> members;
  std::vector<Variable> variables;
  uint32_t entryPoints = 0;
  uint32_t model = spv::ExecutionModelMax;
  std::string entryName;
  std::vector<uint32_t> interface;

  const Type* Find(uint32_t id) const {
    auto it = types.find(id);
    return it != types.end() ? &it->second : nullptr;
  }
  const Decorations& Decor(uint32_t id) const {
    static const Decorations none;
    auto it = decorations.find(id);
    return it != decorations.end() ? it->second : none;
  }
  // The length of an OpTypeArray, or 0 when it is not a known constant.
  uint32_t ArrayLength(const Type& array) const {
    auto it = constants.find(array.operands.size() > 1 ? array.operands[1] : 0);
    return it != constants.end() ? it->second : 0;
  }
};

// A literal string starting at word `at` of an instruction ending before word `end`;
// returns the word after it, or 0 when it is not terminated in time.
size_t ReadString(const std::vector<uint32_t>& words, size_t at, size_t end, std::string* out) {
  out->clear();
  for (size_t i = at; i < end; ++i) {
    for (int b = 0; b < 4; ++b) {
      const char c = static_cast<char>((words[i] >> (8 * b)) & 0xFF);
      if (c == '\0') return i + 1;
      out->push_back(c);
    }
  }
  return 0;
}

// The operands a type instruction needs after its result id; reflection relies on them.
uint32_t MinimumOperands(spv::Op op) {
  switch (op) {
    case spv::OpTypeInt:
    case spv::OpTypeVector:
    case spv::OpTypeMatrix:
    case spv::OpTypeArray:
    case spv::OpTypePointer:
      return 2;
    case spv::OpTypeFloat:
    case spv::OpTypeRuntimeArray:
    case spv::OpTypeSampledImage:
      return 1;
    case spv::OpTypeImage:
      return 7;
    default:
      return 0;
  }
}

bool ReadModule(const std::vector<uint32_t>& words, Module* m, std::string* error) {
  if (words.size() < 5 || words[0] != spv::MagicNumber) {
    *error = "not a SPIR-V module";
    return false;
  }
  for (size_t i = 5; i < words.size();) {
    const uint32_t count = words[i] >> 16;
    const auto op = static_cast<spv::Op>(words[i] & 0xFFFF);
    if (count == 0 || count > words.size() - i) {
      *error = "malformed SPIR-V instruction";
      return false;
    }
    const uint32_t* w = &words[i];
    const size_t end = i + count;
    switch (op) {
      case spv::OpEntryPoint: {
        if (count < 4) break;
        ++m->entryPoints;
        m->model = w[1];
        const size_t next = ReadString(words, i + 3, end, &m->entryName);
        if (next == 0) break;
        m->interface.assign(words.begin() + static_cast<ptrdiff_t>(next), words.begin() + static_cast<ptrdiff_t>(end));
        break;
      }
      case spv::OpTypeVoid:
      case spv::OpTypeBool:
      case spv::OpTypeInt:
      case spv::OpTypeFloat:
      case spv::OpTypeVector:
      case spv::OpTypeMatrix:
      case spv::OpTypeImage:
      case spv::OpTypeSampler:
      case spv::OpTypeSampledImage:
      case spv::OpTypeArray:
      case spv::OpTypeRuntimeArray:
      case spv::OpTypeStruct:
      case spv::OpTypePointer:
        if (count < 2 + MinimumOperands(op)) {
          *error = "malformed SPIR-V type";
          return false;
        }
        m->types[w[1]] = Type{op, std::vector<uint32_t>(w + 2, w + count)};
        break;
      case spv::OpConstant:
        if (count >= 4) m->constants[w[2]] = w[3];
        break;
      case spv::OpVariable:
        if (count >= 4) m->variables.push_back({w[2], w[1], w[3]});
        break;
      case spv::OpDecorate: {
        if (count < 3) break;
        Decorations& d = m->decorations[w[1]];
        const uint32_t value = count >= 4 ? w[3] : 0;
        switch (w[2]) {
          case spv::DecorationLocation:
            d.location = value;
            break;
          case spv::DecorationBuiltIn:
            d.builtIn = value;
            break;
          case spv::DecorationBinding:
            d.binding = value;
            break;
          case spv::DecorationDescriptorSet:
            d.set = value;
            break;
          case spv::DecorationArrayStride:
            d.arrayStride = value;
            break;
          case spv::DecorationBlock:
            d.block = true;
            break;
          case spv::DecorationBufferBlock:
            d.bufferBlock = true;
            break;
          case spv::DecorationPatch:
            d.patch = true;
            break;
          case spv::DecorationNonWritable:
            d.nonWritable = true;
            break;
          default:
            break;
        }
        break;
      }
      case spv::OpDecorateString:
        if (count >= 4 && w[2] == spv::DecorationUserSemantic)
          ReadString(words, i + 3, end, &m->decorations[w[1]].semantic);
        break;
      case spv::OpMemberDecorate: {
        if (count < 4) break;
        MemberDecorations& d = m->members[{w[1], w[2]}];
        const uint32_t value = count >= 5 ? w[4] : 0;
        switch (w[3]) {
          case spv::DecorationOffset:
            d.offset = value;
            break;
          case spv::DecorationMatrixStride:
            d.matrixStride = value;
            break;
          case spv::DecorationRowMajor:
            d.rowMajor = true;
            break;
          case spv::DecorationNonWritable:
            d.nonWritable = true;
            break;
          default:
            break;
        }
        break;
      }
      default:
        break;
    }
    i = end;
  }
  return true;
}

// ---- Signatures ----------------------------------------------------------------------------

struct BuiltInMeaning {
  spv::BuiltIn builtIn;
  SystemValue value;
  const char* name;  // the semantic when the module gives none
};
constexpr BuiltInMeaning kBuiltIns[] = {
    {spv::BuiltInPosition, SystemValue::Position, "SV_POSITION"},
    {spv::BuiltInFragCoord, SystemValue::Position, "SV_POSITION"},
    {spv::BuiltInClipDistance, SystemValue::ClipDistance, "SV_CLIPDISTANCE"},
    {spv::BuiltInCullDistance, SystemValue::CullDistance, "SV_CULLDISTANCE"},
    {spv::BuiltInLayer, SystemValue::RenderTargetArrayIndex, "SV_RENDERTARGETARRAYINDEX"},
    {spv::BuiltInViewportIndex, SystemValue::ViewportArrayIndex, "SV_VIEWPORTARRAYINDEX"},
    {spv::BuiltInVertexIndex, SystemValue::VertexID, "SV_VERTEXID"},
    {spv::BuiltInInstanceIndex, SystemValue::InstanceID, "SV_INSTANCEID"},
    {spv::BuiltInPrimitiveId, SystemValue::PrimitiveID, "SV_PRIMITIVEID"},
    {spv::BuiltInFrontFacing, SystemValue::IsFrontFace, "SV_ISFRONTFACE"},
    {spv::BuiltInSampleId, SystemValue::SampleIndex, "SV_SAMPLEINDEX"},
    {spv::BuiltInTessLevelOuter, SystemValue::TessFactor, "SV_TESSFACTOR"},
    {spv::BuiltInTessLevelInner, SystemValue::InsideTessFactor, "SV_INSIDETESSFACTOR"},
    {spv::BuiltInFragDepth, SystemValue::Depth, "SV_DEPTH"},
    {spv::BuiltInSampleMask, SystemValue::Coverage, "SV_COVERAGE"},
};

// "TEXCOORD3" -> ("TEXCOORD", 3), the name upper-cased; false when it is too long to keep.
bool SplitSemantic(const std::string& semantic, SignatureElement* e) {
  size_t digits = semantic.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1]))) --digits;
  if (digits == 0 || semantic.size() - digits > 9) digits = semantic.size();
  if (digits > kMaxNameLength) return false;
  e->semanticName.assign(semantic, 0, digits);
  for (char& c : e->semanticName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  e->semanticIndex = 0;
  for (size_t i = digits; i < semantic.size(); ++i) e->semanticIndex = e->semanticIndex * 10 + (semantic[i] - '0');
  return true;
}

// The component type and count of a scalar or vector type; false for anything else.
bool Components(const Module& m, uint32_t typeId, ComponentType* type, uint32_t* count) {
  const Type* t = m.Find(typeId);
  if (t == nullptr) return false;
  *count = 1;
  if (t->op == spv::OpTypeVector && t->operands.size() >= 2) {
    *count = t->operands[1];
    t = m.Find(t->operands[0]);
    if (t == nullptr) return false;
  }
  if (t->op == spv::OpTypeFloat) {
    *type = ComponentType::Float;
  } else if (t->op == spv::OpTypeInt && t->operands.size() >= 2) {
    *type = t->operands[1] != 0 ? ComponentType::SInt : ComponentType::UInt;
  } else if (t->op == spv::OpTypeBool) {
    *type = ComponentType::UInt;
  } else {
    return false;
  }
  return *count >= 1 && *count <= 4;
}

class Reflector {
 public:
  Reflector(const Module& m, ShaderContainerView* shader, std::string* error) : m_(m), s_(shader), error_(error) {}

  bool Signatures() {
    if (s_->stage == ShaderStage::Compute) return true;  // compute shaders have no signatures
    for (uint32_t id : m_.interface) {
      const auto var =
          std::find_if(m_.variables.begin(), m_.variables.end(), [&](const Variable& v) { return v.id == id; });
      if (var == m_.variables.end()) return Fail("entry point interface names no variable");
      if (var->storage != spv::StorageClassInput && var->storage != spv::StorageClassOutput) continue;
      if (!Element(*var)) return false;
    }
    return true;
  }

  bool Bindings() {
    for (const Variable& v : m_.variables) {
      if (v.storage == spv::StorageClassPushConstant) return Fail("push constants are not supported");
      if (v.storage != spv::StorageClassUniformConstant && v.storage != spv::StorageClassUniform &&
          v.storage != spv::StorageClassStorageBuffer)
        continue;
      if (!Binding(v)) return false;
    }
    std::sort(s_->bindings.begin(), s_->bindings.end(),
              [](const ResourceBindingDesc& a, const ResourceBindingDesc& b) { return a.binding < b.binding; });
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    *error_ = why;
    return false;
  }

  const Type* Pointee(uint32_t pointerType) const {
    const Type* p = m_.Find(pointerType);
    return p != nullptr && p->op == spv::OpTypePointer && p->operands.size() >= 2 ? m_.Find(p->operands[1]) : nullptr;
  }
  uint32_t PointeeId(uint32_t pointerType) const { return m_.Find(pointerType)->operands[1]; }

  bool Element(const Variable& var) {
    const bool input = var.storage == spv::StorageClassInput;
    const Decorations& d = m_.Decor(var.id);
    if (Pointee(var.type) == nullptr) return Fail("interface variable without a pointer type");
    uint32_t typeId = PointeeId(var.type);
    // Geometry, hull and domain shaders see their per-vertex data as arrays over the vertices.
    const bool perVertex = !d.patch && ((s_->stage == ShaderStage::Geometry && input) ||
                                        s_->stage == ShaderStage::Hull || (s_->stage == ShaderStage::Domain && input));
    const Type* type = m_.Find(typeId);
    if (perVertex && type != nullptr && type->op == spv::OpTypeArray) {
      typeId = type->operands[0];
      type = m_.Find(typeId);
    }
    if (type == nullptr) return Fail("interface variable of unknown type");
    std::vector<SignatureElement>& list = input ? s_->inputs : s_->outputs;
    if (list.size() >= kMaxSignatureElements) return Fail("too many signature elements");

    SignatureElement e;
    e.variableId = var.id;
    if (d.builtIn != UINT32_MAX) {
      const auto meaning = std::find_if(std::begin(kBuiltIns), std::end(kBuiltIns),
                                        [&](const BuiltInMeaning& b) { return b.builtIn == d.builtIn; });
      e.systemValue = meaning != std::end(kBuiltIns) ? meaning->value : SystemValue::Other;
      const std::string semantic = !d.semantic.empty()              ? d.semantic
                                   : meaning != std::end(kBuiltIns) ? meaning->name
                                                                    : "";
      if (semantic.empty()) return Fail("built-in interface variable without a semantic");
      if (!SplitSemantic(semantic, &e)) return Fail("semantic name too long");
      // Arrays of scalars (clip distances, tessellation factors) count as one vector.
      if (type->op == spv::OpTypeArray) {
        if (!Components(m_, type->operands[0], &e.componentType, &e.componentCount)) return Fail("bad built-in type");
        e.componentCount = std::clamp<uint32_t>(m_.ArrayLength(*type), 1, 4);
      } else if (!Components(m_, typeId, &e.componentType, &e.componentCount)) {
        return Fail("bad built-in type");
      }
      list.push_back(e);
      return true;
    }
    if (d.location == kNoLocation) return Fail("interface variable without a location");
    if (d.semantic.empty()) return Fail("interface variable without a semantic");
    if (!SplitSemantic(d.semantic, &e)) return Fail("semantic name too long");
    if (s_->stage == ShaderStage::Pixel && !input) e.systemValue = SystemValue::Target;
    // Arrays and matrices take one location per element or column, with rising indices.
    uint32_t rows = 1;
    if (type->op == spv::OpTypeArray) {
      rows = m_.ArrayLength(*type);
      typeId = type->operands[0];
    } else if (type->op == spv::OpTypeMatrix && type->operands.size() >= 2) {
      rows = type->operands[1];
      typeId = type->operands[0];
    }
    if (rows == 0 || rows > kMaxSignatureElements - list.size()) return Fail("too many signature elements");
    if (!Components(m_, typeId, &e.componentType, &e.componentCount))
      return Fail("interface variable '" + d.semantic + "' is not a scalar or vector");
    for (uint32_t r = 0; r < rows; ++r) {
      list.push_back(e);
      list.back().semanticIndex = e.semanticIndex + r;
      list.back().location = d.location + r;
    }
    return true;
  }

  // The bytes a value of `typeId` spans in a block; the matrix layout comes from the member.
  uint64_t SizeOf(uint32_t typeId, uint32_t matrixStride, bool rowMajor, int depth) {
    const Type* t = m_.Find(typeId);
    if (t == nullptr || depth > kMaxTypeDepth || steps_ == 0) return 0;
    --steps_;
    const std::vector<uint32_t>& o = t->operands;
    switch (t->op) {
      case spv::OpTypeInt:
      case spv::OpTypeFloat:
        return o.empty() ? 0 : o[0] / 8;
      case spv::OpTypeBool:
        return 4;
      case spv::OpTypeVector:
        return o.size() < 2 ? 0 : o[1] * SizeOf(o[0], 0, false, depth + 1);
      case spv::OpTypeMatrix: {
        if (o.size() < 2) return 0;
        const Type* column = m_.Find(o[0]);
        if (column == nullptr || column->operands.size() < 2) return 0;
        const uint64_t rows = column->operands[1], columns = o[1];
        const uint64_t scalar = SizeOf(column->operands[0], 0, false, depth + 1);
        if (matrixStride == 0) return columns * rows * scalar;
        return rowMajor ? (rows - 1) * matrixStride + columns * scalar : (columns - 1) * matrixStride + rows * scalar;
      }
      case spv::OpTypeArray: {
        if (o.empty()) return 0;
        const uint64_t length = m_.ArrayLength(*t), element = SizeOf(o[0], matrixStride, rowMajor, depth + 1);
        const uint64_t stride = m_.Decor(typeId).arrayStride != 0 ? m_.Decor(typeId).arrayStride : element;
        return length == 0 ? 0 : (length - 1) * stride + element;
      }
      case spv::OpTypeStruct: {
        uint64_t end = 0;
        for (uint32_t i = 0; i < o.size(); ++i) {
          auto md = m_.members.find({typeId, i});
          const MemberDecorations member = md != m_.members.end() ? md->second : MemberDecorations{};
          end = std::max(end, member.offset + SizeOf(o[i], member.matrixStride, member.rowMajor, depth + 1));
        }
        return end;
      }
      default:
        return 0;
    }
  }

  bool Binding(const Variable& v) {
    const Decorations& d = m_.Decor(v.id);
    const Type* type = Pointee(v.type);
    if (type == nullptr) return Fail("resource variable without a pointer type");
    uint32_t typeId = PointeeId(v.type);
    uint32_t arraySize = 1;
    for (int depth = 0; type->op == spv::OpTypeArray || type->op == spv::OpTypeRuntimeArray; ++depth) {
      const uint32_t length = type->op == spv::OpTypeArray ? m_.ArrayLength(*type) : 0;
      if (length == 0 || depth > kMaxTypeDepth) return Fail("resource arrays must have a fixed size");
      arraySize = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{arraySize} * length, UINT32_MAX));
      typeId = type->operands[0];
      type = m_.Find(typeId);
      if (type == nullptr) return Fail("resource of unknown type");
    }

    ResourceBindingDesc b;
    b.arraySize = arraySize;
    const Decorations& td = m_.Decor(typeId);
    if (type->op == spv::OpTypeSampler) {
      b.registerClass = RegisterClass::Sampler;
      b.kind = DescriptorKind::Sampler;
    } else if (type->op == spv::OpTypeImage && type->operands.size() >= 6) {
      const uint32_t dim = type->operands[1], arrayed = type->operands[3], ms = type->operands[4];
      if (type->operands[5] != 1) return Fail("unordered access views (u registers) are not supported");
      b.registerClass = RegisterClass::ShaderResource;
      b.kind = dim == spv::DimBuffer ? DescriptorKind::UniformTexelBuffer : DescriptorKind::SampledImage;
      switch (dim) {
        case spv::Dim1D:
          b.dimension = arrayed ? D3D_SRV_DIMENSION_TEXTURE1DARRAY : D3D_SRV_DIMENSION_TEXTURE1D;
          break;
        case spv::Dim2D:
          b.dimension = ms ? (arrayed ? D3D_SRV_DIMENSION_TEXTURE2DMSARRAY : D3D_SRV_DIMENSION_TEXTURE2DMS)
                           : (arrayed ? D3D_SRV_DIMENSION_TEXTURE2DARRAY : D3D_SRV_DIMENSION_TEXTURE2D);
          break;
        case spv::Dim3D:
          b.dimension = D3D_SRV_DIMENSION_TEXTURE3D;
          break;
        case spv::DimCube:
          b.dimension = arrayed ? D3D_SRV_DIMENSION_TEXTURECUBEARRAY : D3D_SRV_DIMENSION_TEXTURECUBE;
          break;
        case spv::DimBuffer:
          b.dimension = D3D_SRV_DIMENSION_BUFFER;
          break;
        default:
          return Fail("unsupported texture dimension");
      }
    } else if (type->op == spv::OpTypeStruct && v.storage == spv::StorageClassUniform && td.block) {
      b.registerClass = RegisterClass::ConstantBuffer;
      b.kind = DescriptorKind::UniformBuffer;
      // Constant buffers come in whole 16-byte registers.
      steps_ = kMaxTypeSteps;
      const uint64_t size = (SizeOf(typeId, 0, false, 0) + 15) / 16 * 16;
      if (steps_ == 0) return Fail("constant buffer type too complex");
      b.byteSize = static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX & ~15u));
    } else if (type->op == spv::OpTypeStruct && (td.bufferBlock || v.storage == spv::StorageClassStorageBuffer)) {
      bool readOnly = d.nonWritable;
      if (!readOnly) {
        readOnly = !type->operands.empty();
        for (uint32_t i = 0; i < type->operands.size(); ++i) {
          auto md = m_.members.find({typeId, i});
          readOnly = readOnly && md != m_.members.end() && md->second.nonWritable;
        }
      }
      if (!readOnly) return Fail("unordered access views (u registers) are not supported");
      b.registerClass = RegisterClass::ShaderResource;
      b.kind = DescriptorKind::StorageBuffer;
    } else {
      return Fail("unsupported resource type (combined image samplers and the like)");
    }

    static constexpr char kClassLetter[] = {'b', 's', 't'};
    const char letter = kClassLetter[static_cast<uint32_t>(b.registerClass)];
    if (d.binding == UINT32_MAX) return Fail("resource without a binding");
    if (d.set != UINT32_MAX && d.set != kDescriptorSet)
      return Fail("register space" + std::to_string(d.set) + " is not supported; resources live in space0");
    const uint32_t first = BindingFor(s_->stage, b.registerClass, 0);
    const uint32_t slots = RegisterClassSlots(b.registerClass);
    if (d.binding < first || d.binding - first >= slots || arraySize > slots - (d.binding - first)) {
      const std::string reg = d.binding >= first ? std::to_string(d.binding - first) : "?";
      return Fail(std::string("register ") + letter + reg + " is out of range (" + letter + "0.." + letter +
                  std::to_string(slots - 1) + ")");
    }
    b.registerNumber = d.binding - first;
    b.set = kDescriptorSet;
    b.binding = d.binding;
    if (s_->bindings.size() >= kMaxBindings) return Fail("too many resources");
    s_->bindings.push_back(b);
    return true;
  }

  const Module& m_;
  uint32_t steps_ = 0;  // what is left of the current type walk's budget
  ShaderContainerView* s_;
  std::string* error_;
};

spv::ExecutionModel ModelOf(ShaderStage stage) {
  switch (stage) {
    case ShaderStage::Vertex:
      return spv::ExecutionModelVertex;
    case ShaderStage::Hull:
      return spv::ExecutionModelTessellationControl;
    case ShaderStage::Domain:
      return spv::ExecutionModelTessellationEvaluation;
    case ShaderStage::Geometry:
      return spv::ExecutionModelGeometry;
    case ShaderStage::Pixel:
      return spv::ExecutionModelFragment;
    case ShaderStage::Compute:
      return spv::ExecutionModelGLCompute;
  }
  return spv::ExecutionModelMax;
}

}  // namespace

bool ReflectSpirv(ShaderContainerView* shader, std::string* error) {
  Module m;
  if (!ReadModule(shader->spirv, &m, error)) return false;
  if (m.entryPoints != 1 || m.model != ModelOf(shader->stage) || m.entryName.empty() ||
      m.entryName.size() > kMaxNameLength) {
    *error = "the module must have exactly one entry point, of the target's stage";
    return false;
  }
  shader->entryPoint = m.entryName;
  shader->inputs.clear();
  shader->outputs.clear();
  shader->bindings.clear();
  Reflector r(m, shader, error);
  return r.Signatures() && r.Bindings();
}

}  // namespace zr::d3d11
