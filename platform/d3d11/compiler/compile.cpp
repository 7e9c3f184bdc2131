// D3DCompile and D3DCompileFromFile: HLSL to SPIR-V through glslang, then reflection
// of the module into the shader container.
#define ENABLE_HLSL 1
#include <d3dcompiler.h>
#include <glslang/MachineIndependent/localintermediate.h>
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "reflect.h"
#include "shader_container.h"

namespace zr::d3d11 {
namespace {

// Shader sources and includes larger than this are refused rather than read.
constexpr size_t kMaxSourceBytes = size_t{16} << 20;

// Includes nest at most this deep, so a file that includes itself fails instead of looping.
constexpr size_t kMaxIncludeDepth = 32;

constexpr UINT kKnownFlags1 = (1u << 24) - 1;

struct TargetProfile {
  std::string_view prefix;
  EShLanguage language;
  ShaderStage stage;
  bool fiveOnly;  // hull and domain shaders exist from shader model 5 on
};
constexpr TargetProfile kProfiles[] = {
    {"vs", EShLangVertex, ShaderStage::Vertex, false},        {"hs", EShLangTessControl, ShaderStage::Hull, true},
    {"ds", EShLangTessEvaluation, ShaderStage::Domain, true}, {"gs", EShLangGeometry, ShaderStage::Geometry, false},
    {"ps", EShLangFragment, ShaderStage::Pixel, false},       {"cs", EShLangCompute, ShaderStage::Compute, false},
};

const TargetProfile* FindProfile(std::string_view target) {
  if (target.size() != 6 || target[2] != '_' || target[4] != '_') return nullptr;
  const std::string_view model = target.substr(3);
  for (const TargetProfile& p : kProfiles) {
    if (target.substr(0, 2) != p.prefix) continue;
    if (model == "5_0" || (!p.fiveOnly && (model == "4_0" || model == "4_1"))) return &p;
  }
  return nullptr;
}

// A Windows path as the host names it: '\' separates like '/'.
std::filesystem::path HostPath(std::string_view windowsPath) {
  std::string p(windowsPath);
  for (char& c : p)
    if (c == '\\') c = '/';
  return std::filesystem::path(p);
}

// UTF-32 (the platform's wchar_t) to UTF-8; false on a value that is no code point.
bool WideToUtf8(const wchar_t* wide, std::string* out) {
  for (; *wide != 0; ++wide) {
    const uint32_t c = static_cast<uint32_t>(*wide);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (c >> 6)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | (c >> 12)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | (c >> 18)));
      out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

// Reads a whole file, with the status CreateFile would give for one that cannot be opened.
HRESULT ReadWholeFile(const std::filesystem::path& path, std::string* out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    const int error = errno;
    if (error == ENOENT) {
      std::error_code ec;
      const std::filesystem::path parent = path.parent_path();
      const bool parentIsDirectory = parent.empty() || std::filesystem::is_directory(parent, ec);
      return HRESULT_FROM_WIN32(parentIsDirectory ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    }
    if (error == ENOTDIR) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    if (error == EACCES || error == EPERM) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    if (error == ENAMETOOLONG) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return E_FAIL;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(f, std::fclose);
  out->clear();
  char chunk[16384];
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, f);
    if (out->size() + n > kMaxSourceBytes) return E_OUTOFMEMORY;
    out->append(chunk, n);
    if (n < sizeof chunk) break;
  }
  // A directory opens but does not read; Windows refuses to open one as a file.
  if (std::ferror(f)) return HRESULT_FROM_WIN32(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
  return S_OK;
}

HRESULT MessageBlob(const std::string& text, ID3DBlob** blob) {
  if (blob == nullptr || text.empty()) return S_OK;
  HRESULT hr = D3DCreateBlob(text.size() + 1, blob);
  if (SUCCEEDED(hr)) std::memcpy((*blob)->GetBufferPointer(), text.c_str(), text.size() + 1);
  return hr;
}

// Resolves #include for glslang: through the caller's ID3DInclude, or for the standard
// include relative to the including file.
class Includer final : public glslang::TShader::Includer {
 public:
  Includer(ID3DInclude* include, std::string sourceName) : include_(include), sourceName_(std::move(sourceName)) {}

  IncludeResult* includeLocal(const char* header, const char* includer, size_t depth) override {
    return depth <= kMaxIncludeDepth ? Open(D3D_INCLUDE_LOCAL, header, includer) : nullptr;
  }
  IncludeResult* includeSystem(const char* header, const char* includer, size_t depth) override {
    return depth <= kMaxIncludeDepth ? Open(D3D_INCLUDE_SYSTEM, header, includer) : nullptr;
  }
  void releaseInclude(IncludeResult* result) override {
    if (result == nullptr) return;
    if (result->userData != nullptr) {
      delete static_cast<std::string*>(result->userData);
    } else if (include_ != D3D_COMPILE_STANDARD_FILE_INCLUDE) {
      include_->Close(result->headerData);
    }
    delete result;
  }

 private:
  IncludeResult* Open(D3D_INCLUDE_TYPE type, const char* header, const char* includer) {
    if (include_ == nullptr) return nullptr;
    if (include_ == D3D_COMPILE_STANDARD_FILE_INCLUDE) {
      const std::filesystem::path name = HostPath(header);
      const std::filesystem::path path =
          name.is_absolute() ? name : HostPath(includer != nullptr ? includer : sourceName_).parent_path() / name;
      auto text = std::make_unique<std::string>();
      if (FAILED(ReadWholeFile(path, text.get()))) return nullptr;
      const char* data = text->data();
      const size_t size = text->size();
      return new IncludeResult(path.string(), data, size, text.release());
    }
    // The caller's handler sees the data of the including file, null for the main source.
    const auto parent = parents_.find(includer != nullptr ? includer : "");
    const void* parentData = parent != parents_.end() ? parent->second : nullptr;
    LPCVOID data = nullptr;
    UINT bytes = 0;
    if (FAILED(include_->Open(type, header, parentData, &data, &bytes)) || (data == nullptr && bytes != 0))
      return nullptr;
    parents_[header] = data;
    return new IncludeResult(header, static_cast<const char*>(data), bytes, nullptr);
  }

  ID3DInclude* include_;
  std::string sourceName_;
  std::map<std::string, const void*> parents_;  // include name -> its data
};

void InitializeGlslang() {
  static std::once_flag once;
  std::call_once(once, [] { glslang::InitializeProcess(); });
}

}  // namespace
}  // namespace zr::d3d11

using namespace zr::d3d11;

HRESULT WINAPI D3DCompile(LPCVOID sourceData, SIZE_T sourceSize, LPCSTR sourceName, const D3D_SHADER_MACRO* defines,
                          ID3DInclude* include, LPCSTR entryPoint, LPCSTR target, UINT flags1, UINT flags2,
                          ID3DBlob** code, ID3DBlob** errorMessages) {
  if (code != nullptr) *code = nullptr;
  if (errorMessages != nullptr) *errorMessages = nullptr;
  if (code == nullptr || (sourceData == nullptr && sourceSize != 0) || entryPoint == nullptr || target == nullptr)
    return E_INVALIDARG;
  if (sourceSize > kMaxSourceBytes) return E_OUTOFMEMORY;
  const TargetProfile* profile = FindProfile(target);
  if (profile == nullptr) {
    MessageBlob(std::string("error: invalid target '") + target + "'\n", errorMessages);
    return E_INVALIDARG;
  }
  if ((flags1 & ~kKnownFlags1) != 0 || flags2 != 0) return E_INVALIDARG;

  InitializeGlslang();
  const std::string name = sourceName != nullptr ? sourceName : "";
  std::string preamble;
  if (flags1 & D3DCOMPILE_PACK_MATRIX_ROW_MAJOR) preamble += "#pragma pack_matrix(row_major)\n";
  for (const D3D_SHADER_MACRO* m = defines; m != nullptr && m->Name != nullptr; ++m)
    preamble += std::string("#define ") + m->Name + " " + (m->Definition != nullptr ? m->Definition : "1") + "\n";

  glslang::TShader shader(profile->language);
  const char* text = static_cast<const char*>(sourceData);
  const int length = static_cast<int>(sourceSize);
  const char* names[] = {name.c_str()};
  shader.setStringsWithLengthsAndNames(&text, &length, names, 1);
  shader.setPreamble(preamble.c_str());
  shader.setEntryPoint(entryPoint);
  shader.setEnvInput(glslang::EShSourceHlsl, profile->language, glslang::EShClientVulkan, 100);
  shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_1);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_3);
  shader.setEnvTargetHlslFunctionality1();
  shader.setHlslIoMapping(true);
  shader.setAutoMapBindings(true);
  shader.setAutoMapLocations(true);
  const uint32_t stageBase = static_cast<uint32_t>(profile->stage) * kBindingsPerStage;
  shader.setShiftBinding(glslang::EResUbo, stageBase + kConstantBufferBase);
  shader.setShiftBinding(glslang::EResSampler, stageBase + kSamplerBase);
  shader.setShiftBinding(glslang::EResTexture, stageBase + kShaderResourceBase);

  const auto messages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl |
                                                 EShMsgHlslOffsets | EShMsgHlslLegalization);
  Includer includer(include, name);
  std::string log;
  const auto fail = [&](std::string message) {
    MessageBlob(log + message, errorMessages);
    return E_FAIL;
  };

  const bool parsed = shader.parse(GetDefaultResources(), 100, false, messages, includer);
  log = shader.getInfoLog();
  if (!parsed) return fail("");
  if (shader.getIntermediate()->getNumEntryPoints() == 0)
    return fail(std::string("error: entry point '") + entryPoint + "' not found\n");
  if ((flags1 & D3DCOMPILE_WARNINGS_ARE_ERRORS) && log.find("WARNING") != std::string::npos)
    return fail("error: warnings treated as errors\n");

  glslang::TProgram program;
  program.addShader(&shader);
  if (!program.link(messages) || !program.mapIO()) {
    log += program.getInfoLog();
    return fail("");
  }

  std::vector<unsigned int> spirv;
  spv::SpvBuildLogger logger;
  glslang::SpvOptions options;
  options.generateDebugInfo = (flags1 & D3DCOMPILE_DEBUG) != 0;
  // Legalisation (inlining, resource copy propagation) is what makes typical HLSL valid
  // SPIR-V at all, so the optimiser always runs; it is not what SKIP_OPTIMIZATION skips.
  options.disableOptimizer = false;
  options.validate = true;
  glslang::GlslangToSpv(*program.getIntermediate(profile->language), spirv, &logger, &options);
  const std::string spirvMessages = logger.getAllMessages();
  if (spirvMessages.find("error") != std::string::npos) return fail(spirvMessages);
  log += spirvMessages;

  ShaderContainerView container;
  container.stage = profile->stage;
  container.spirv.assign(spirv.begin(), spirv.end());
  std::string error;
  if (!ReflectSpirv(&container, &error)) return fail("error: " + error + "\n");

  const std::vector<uint8_t> bytes = SerializeShaderContainer(container);
  HRESULT hr = D3DCreateBlob(bytes.size(), code);
  if (FAILED(hr)) return hr;
  std::memcpy((*code)->GetBufferPointer(), bytes.data(), bytes.size());
  MessageBlob(log, errorMessages);
  return S_OK;
}

HRESULT WINAPI D3DCompileFromFile(LPCWSTR fileName, const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                  LPCSTR entryPoint, LPCSTR target, UINT flags1, UINT flags2, ID3DBlob** code,
                                  ID3DBlob** errorMessages) {
  if (code != nullptr) *code = nullptr;
  if (errorMessages != nullptr) *errorMessages = nullptr;
  std::string name;
  if (fileName == nullptr || !WideToUtf8(fileName, &name)) return E_INVALIDARG;
  std::string source;
  const HRESULT hr = ReadWholeFile(HostPath(name), &source);
  if (FAILED(hr)) return hr;
  return D3DCompile(source.data(), source.size(), name.c_str(), defines, include, entryPoint, target, flags1, flags2,
                    code, errorMessages);
}
