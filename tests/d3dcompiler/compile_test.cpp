// D3DCompileFromFile against shader files the tests write: the container it returns,
// its reflection, the SPIR-V's validity and the failure statuses.
#include <d3dcompiler.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <spirv-tools/libspirv.hpp>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "shader_container.h"

namespace fs = std::filesystem;
using namespace zr::d3d11;

namespace {

constexpr char kVertexShader[] = R"(
cbuffer PerDraw : register(b0) { float4x4 World[4]; float4x4 View; float4x4 Projection; };
struct VSIn {
  float3 Position : POSITION;
  float4 Color : COLOR;
  float2 TexCoord : TEXCOORD;
  float3 Normal : Normal;
  uint Instance : SV_InstanceID;
};
struct VSOut {
  float4 Position : SV_Position;
  float4 Color : COLOR0;
  float2 TexCoord : TEXCOORD1;
  float3 Normal : NORMAL;
};
VSOut VS(VSIn i) {
  VSOut o;
  o.Position = mul(mul(mul(float4(i.Position, 1), World[i.Instance]), View), Projection);
  o.Color = i.Color;
  o.TexCoord = i.TexCoord;
  o.Normal = i.Normal;
  return o;
}
)";

constexpr char kPixelShader[] = R"(
cbuffer PerDraw : register(b0) { float4 Tint; };
cbuffer Lights : register(b1) { float4 Directions[3]; float Strength; };
Texture2D Surface : register(t0);
TextureCube Sky : register(t3);
Texture2DArray Layers : register(t5);
SamplerState Linear : register(s0);
float4 Shade(Texture2D t, float2 uv) { return t.Sample(Linear, uv); }
float4 PS(float4 position : SV_Position, float4 color : COLOR0, float2 uv : TEXCOORD1) : SV_Target {
  return Shade(Surface, uv) * color * Tint + Directions[1] * Strength + Sky.Sample(Linear, float3(uv, 1)) +
         Layers.Sample(Linear, float3(uv, 2)) + position.x;
}
)";

constexpr char kGeometryShader[] = R"(
struct V { float4 Position : SV_Position; float4 Color : COLOR0; };
[maxvertexcount(3)]
void GS(triangle V input[3], inout TriangleStream<V> stream) {
  for (int i = 0; i < 3; ++i) stream.Append(input[i]);
}
)";

constexpr char kHullShader[] = R"(
struct CP { float3 Position : POSITION; };
struct PatchData { float Edges[3] : SV_TessFactor; float Inside : SV_InsideTessFactor; };
PatchData Constants(InputPatch<CP, 3> patch) {
  PatchData p; p.Edges[0] = p.Edges[1] = p.Edges[2] = 2; p.Inside = 2; return p;
}
[domain("tri")] [partitioning("integer")] [outputtopology("triangle_cw")] [outputcontrolpoints(3)]
[patchconstantfunc("Constants")]
CP HS(InputPatch<CP, 3> patch, uint id : SV_OutputControlPointID) { return patch[id]; }
)";

constexpr char kDomainShader[] = R"(
struct CP { float3 Position : POSITION; };
struct PatchData { float Edges[3] : SV_TessFactor; float Inside : SV_InsideTessFactor; };
[domain("tri")]
float4 DS(PatchData p, float3 uvw : SV_DomainLocation, const OutputPatch<CP, 3> patch) : SV_Position {
  return float4(patch[0].Position * uvw.x + patch[1].Position * uvw.y + patch[2].Position * uvw.z, 1);
}
)";

// Compute shaders see no signatures, and without unordered access views they write nothing.
constexpr char kComputeShader[] = R"(
[numthreads(8, 1, 1)]
void CS(uint3 id : SV_DispatchThreadID) {}
)";

constexpr char kBufferPixelShader[] = R"(
cbuffer Params : register(b2) { uint Count; };
StructuredBuffer<float4> Input : register(t1);
Buffer<float> Weights : register(t4);
float4 PS(float4 position : SV_Position) : SV_Target {
  const uint i = (uint)position.x;
  return Input[i] * Weights[i] * Count;
}
)";

std::wstring Wide(const std::string& s) {
  // The tests' paths are ASCII or UTF-8; decode the latter into code points.
  std::wstring out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(static_cast<wchar_t>(cp));
    i += 1 + extra;
  }
  return out;
}

std::string BlobText(ID3DBlob* blob) {
  if (blob == nullptr) return "";
  const char* text = static_cast<const char*>(blob->GetBufferPointer());
  EXPECT_EQ(text[blob->GetBufferSize() - 1], '\0') << "message blobs are zero-terminated";
  return text;
}

struct Result {
  HRESULT hr = E_FAIL;
  ShaderContainerView shader;
  std::string messages;
  std::vector<uint8_t> bytes;
};

Result CompileFile(const std::wstring& path, const char* entry, const char* profile, UINT flags = D3DCOMPILE_DEBUG,
                   const D3D_SHADER_MACRO* macros = nullptr, ID3DInclude* include = nullptr) {
  Result r;
  ID3DBlob* code = nullptr;
  ID3DBlob* errors = nullptr;
  r.hr = D3DCompileFromFile(path.c_str(), macros, include, entry, profile, flags, 0, &code, &errors);
  r.messages = BlobText(errors);
  if (code != nullptr) {
    const auto* p = static_cast<const uint8_t*>(code->GetBufferPointer());
    r.bytes.assign(p, p + code->GetBufferSize());
    EXPECT_TRUE(ParseShaderContainer(p, r.bytes.size(), &r.shader));
    code->Release();
  }
  EXPECT_EQ(SUCCEEDED(r.hr), code != nullptr) << "a code blob exactly when the compile succeeds";
  if (errors != nullptr) errors->Release();
  return r;
}

::testing::AssertionResult ValidSpirv(const std::vector<uint32_t>& words) {
  spvtools::SpirvTools tools(SPV_ENV_VULKAN_1_1);
  std::string messages;
  tools.SetMessageConsumer([&](spv_message_level_t, const char*, const spv_position_t&, const char* m) {
    messages += m;
    messages += '\n';
  });
  if (tools.Validate(words)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << messages;
}

std::string Disassemble(const std::vector<uint32_t>& words) {
  spvtools::SpirvTools tools(SPV_ENV_VULKAN_1_1);
  std::string text;
  tools.Disassemble(words, &text, SPV_BINARY_TO_TEXT_OPTION_NONE);
  return text;
}

class CompileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        fs::temp_directory_path() / ("zr_d3dcompiler_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    cwd_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(cwd_);
    fs::remove_all(dir_);
  }
  // Writes `text` to `name` (relative to the test's directory) and gives its wide path.
  std::wstring Write(const std::string& name, const std::string& text) {
    const fs::path p = dir_ / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
    return Wide(p.string());
  }

  fs::path dir_;
  fs::path cwd_;
};

struct Element {
  const char* name;
  uint32_t index;
  uint32_t location;
  SystemValue systemValue;
  ComponentType type;
  uint32_t count;
};

void ExpectSignature(const std::vector<SignatureElement>& actual, const std::vector<Element>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(actual[i].semanticName, expected[i].name);
    EXPECT_EQ(actual[i].semanticIndex, expected[i].index);
    EXPECT_EQ(actual[i].location, expected[i].location);
    EXPECT_EQ(actual[i].systemValue, expected[i].systemValue);
    EXPECT_EQ(actual[i].componentType, expected[i].type);
    EXPECT_EQ(actual[i].componentCount, expected[i].count);
    EXPECT_NE(actual[i].variableId, 0u);
  }
}

TEST_F(CompileTest, VertexShaderSignaturesAndConstantBuffer) {
  const Result r = CompileFile(Write("VertexShader.hlsl", kVertexShader), "VS", "vs_5_0");
  ASSERT_EQ(r.hr, S_OK) << r.messages;
  EXPECT_EQ(r.messages, "") << "no message blob for a clean compile";
  EXPECT_EQ(r.shader.stage, ShaderStage::Vertex);
  EXPECT_EQ(r.shader.entryPoint, "VS");
  EXPECT_TRUE(ValidSpirv(r.shader.spirv));
  ExpectSignature(r.shader.inputs,
                  {
                      {"POSITION", 0, 0, SystemValue::None, ComponentType::Float, 3},
                      {"COLOR", 0, 1, SystemValue::None, ComponentType::Float, 4},
                      {"TEXCOORD", 0, 2, SystemValue::None, ComponentType::Float, 2},
                      {"NORMAL", 0, 3, SystemValue::None, ComponentType::Float, 3},
                      {"SV_INSTANCEID", 0, kNoLocation, SystemValue::InstanceID, ComponentType::UInt, 1},
                  });
  ExpectSignature(r.shader.outputs, {
                                        {"SV_POSITION", 0, kNoLocation, SystemValue::Position, ComponentType::Float, 4},
                                        {"COLOR", 0, 0, SystemValue::None, ComponentType::Float, 4},
                                        {"TEXCOORD", 1, 1, SystemValue::None, ComponentType::Float, 2},
                                        {"NORMAL", 0, 2, SystemValue::None, ComponentType::Float, 3},
                                    });
  ASSERT_EQ(r.shader.bindings.size(), 1u);
  const ResourceBindingDesc& cb = r.shader.bindings[0];
  EXPECT_EQ(cb.registerClass, RegisterClass::ConstantBuffer);
  EXPECT_EQ(cb.registerNumber, 0u);
  EXPECT_EQ(cb.kind, DescriptorKind::UniformBuffer);
  EXPECT_EQ(cb.set, 0u);
  EXPECT_EQ(cb.binding, 0u);
  EXPECT_EQ(cb.byteSize, 6u * 64) << "four world matrices, view and projection";
}

TEST_F(CompileTest, PixelShaderBindingsFollowTheScheme) {
  const Result r = CompileFile(Write("PixelShader.hlsl", kPixelShader), "PS", "ps_5_0",
                               D3DCOMPILE_DEBUG | D3DCOMPILE_SKIP_OPTIMIZATION);
  ASSERT_EQ(r.hr, S_OK) << r.messages;
  EXPECT_EQ(r.shader.stage, ShaderStage::Pixel);
  EXPECT_TRUE(ValidSpirv(r.shader.spirv));
  ExpectSignature(r.shader.inputs, {
                                       {"SV_POSITION", 0, kNoLocation, SystemValue::Position, ComponentType::Float, 4},
                                       {"COLOR", 0, 0, SystemValue::None, ComponentType::Float, 4},
                                       {"TEXCOORD", 1, 1, SystemValue::None, ComponentType::Float, 2},
                                   });
  ExpectSignature(r.shader.outputs, {{"SV_TARGET", 0, 0, SystemValue::Target, ComponentType::Float, 4}});

  struct Expected {
    RegisterClass cls;
    uint32_t reg;
    DescriptorKind kind;
    D3D_SRV_DIMENSION dimension;
    uint32_t byteSize;
  };
  const Expected expected[] = {
      {RegisterClass::ConstantBuffer, 0, DescriptorKind::UniformBuffer, D3D_SRV_DIMENSION_UNKNOWN, 16},
      {RegisterClass::ConstantBuffer, 1, DescriptorKind::UniformBuffer, D3D_SRV_DIMENSION_UNKNOWN, 64},
      {RegisterClass::Sampler, 0, DescriptorKind::Sampler, D3D_SRV_DIMENSION_UNKNOWN, 0},
      {RegisterClass::ShaderResource, 0, DescriptorKind::SampledImage, D3D_SRV_DIMENSION_TEXTURE2D, 0},
      {RegisterClass::ShaderResource, 3, DescriptorKind::SampledImage, D3D_SRV_DIMENSION_TEXTURECUBE, 0},
      {RegisterClass::ShaderResource, 5, DescriptorKind::SampledImage, D3D_SRV_DIMENSION_TEXTURE2DARRAY, 0},
  };
  ASSERT_EQ(r.shader.bindings.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const ResourceBindingDesc& b = r.shader.bindings[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(b.registerClass, expected[i].cls);
    EXPECT_EQ(b.registerNumber, expected[i].reg);
    EXPECT_EQ(b.kind, expected[i].kind);
    EXPECT_EQ(b.dimension, expected[i].dimension);
    EXPECT_EQ(b.byteSize, expected[i].byteSize);
    EXPECT_EQ(b.set, kDescriptorSet);
    EXPECT_EQ(b.binding, 4 * 64 + RegisterClassBase(expected[i].cls) + expected[i].reg);
    EXPECT_EQ(b.arraySize, 1u);
  }
}

TEST_F(CompileTest, EveryStageAndProfileCompiles) {
  struct Case {
    const char* source;
    const char* entry;
    const char* profile;
    ShaderStage stage;
  };
  const Case cases[] = {
      {kVertexShader, "VS", "vs_4_0", ShaderStage::Vertex},
      {kVertexShader, "VS", "vs_4_1", ShaderStage::Vertex},
      {kVertexShader, "VS", "vs_5_0", ShaderStage::Vertex},
      {kHullShader, "HS", "hs_5_0", ShaderStage::Hull},
      {kDomainShader, "DS", "ds_5_0", ShaderStage::Domain},
      {kGeometryShader, "GS", "gs_4_0", ShaderStage::Geometry},
      {kGeometryShader, "GS", "gs_5_0", ShaderStage::Geometry},
      {kPixelShader, "PS", "ps_4_0", ShaderStage::Pixel},
      {kPixelShader, "PS", "ps_5_0", ShaderStage::Pixel},
      {kComputeShader, "CS", "cs_4_0", ShaderStage::Compute},
      {kComputeShader, "CS", "cs_5_0", ShaderStage::Compute},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    const Result r = CompileFile(Write(std::string(c.entry) + ".hlsl", c.source), c.entry, c.profile);
    ASSERT_EQ(r.hr, S_OK) << r.messages;
    EXPECT_EQ(r.shader.stage, c.stage);
    EXPECT_EQ(r.shader.entryPoint, c.entry);
    EXPECT_TRUE(ValidSpirv(r.shader.spirv));
    for (const ResourceBindingDesc& b : r.shader.bindings)
      EXPECT_EQ(b.binding, BindingFor(c.stage, b.registerClass, b.registerNumber));
  }
}

TEST_F(CompileTest, GeometryShaderAndBufferReflection) {
  const Result gs = CompileFile(Write("GeometryShader.hlsl", kGeometryShader), "GS", "gs_5_0");
  ASSERT_EQ(gs.hr, S_OK) << gs.messages;
  // Per-vertex inputs are described per vertex, not as the arrays the stage sees.
  ExpectSignature(gs.shader.inputs, {
                                        {"SV_POSITION", 0, kNoLocation, SystemValue::Position, ComponentType::Float, 4},
                                        {"COLOR", 0, 0, SystemValue::None, ComponentType::Float, 4},
                                    });
  ExpectSignature(gs.shader.outputs,
                  {
                      {"SV_POSITION", 0, kNoLocation, SystemValue::Position, ComponentType::Float, 4},
                      {"COLOR", 0, 0, SystemValue::None, ComponentType::Float, 4},
                  });

  const Result cs = CompileFile(Write("ComputeShader.hlsl", kComputeShader), "CS", "cs_5_0");
  ASSERT_EQ(cs.hr, S_OK) << cs.messages;
  EXPECT_TRUE(cs.shader.inputs.empty());

  const Result ps = CompileFile(Write("BufferShader.hlsl", kBufferPixelShader), "PS", "ps_5_0");
  ASSERT_EQ(ps.hr, S_OK) << ps.messages;
  EXPECT_TRUE(ValidSpirv(ps.shader.spirv));
  ASSERT_EQ(ps.shader.bindings.size(), 3u);
  EXPECT_EQ(ps.shader.bindings[0].kind, DescriptorKind::UniformBuffer);
  EXPECT_EQ(ps.shader.bindings[0].registerNumber, 2u);
  EXPECT_EQ(ps.shader.bindings[0].byteSize, 16u) << "whole registers";
  EXPECT_EQ(ps.shader.bindings[1].kind, DescriptorKind::StorageBuffer);
  EXPECT_EQ(ps.shader.bindings[1].registerClass, RegisterClass::ShaderResource);
  EXPECT_EQ(ps.shader.bindings[1].registerNumber, 1u);
  EXPECT_EQ(ps.shader.bindings[2].kind, DescriptorKind::UniformTexelBuffer);
  EXPECT_EQ(ps.shader.bindings[2].dimension, D3D_SRV_DIMENSION_BUFFER);
  EXPECT_EQ(ps.shader.bindings[2].binding, 4 * 64 + kShaderResourceBase + 4);
}

TEST_F(CompileTest, FailuresGiveTheirStatusAndMessage) {
  Write("Broken.hlsl", "float4 PS() : SV_Target { return float4(1, 1, 1 }\n");
  Write("Good.hlsl", kPixelShader);
  struct Case {
    const char* what;
    std::string file;    // relative to the test's directory
    std::string source;  // written first when not empty
    const char* entry;
    const char* profile;
    UINT flags;
    HRESULT hr;
    const char* message;  // a part of the message blob, or null for no blob
  };
  const Case cases[] = {
      {"missing file", "Absent.hlsl", "", "PS", "ps_5_0", 0, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), nullptr},
      {"missing directory", "absent/Good.hlsl", "", "PS", "ps_5_0", 0, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
       nullptr},
      {"directory as file", "", "", "PS", "ps_5_0", 0, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), nullptr},
      {"syntax error", "Broken.hlsl", "", "PS", "ps_5_0", 0, E_FAIL, "Broken.hlsl:1"},
      {"wrong entry point", "Good.hlsl", "", "main", "ps_5_0", 0, E_FAIL, "main"},
      {"unknown stage", "Good.hlsl", "", "PS", "xs_5_0", 0, E_INVALIDARG, "xs_5_0"},
      {"unknown model", "Good.hlsl", "", "PS", "ps_6_0", 0, E_INVALIDARG, "ps_6_0"},
      {"hull shader before model 5", "Good.hlsl", "", "PS", "hs_4_0", 0, E_INVALIDARG, "hs_4_0"},
      {"malformed profile", "Good.hlsl", "", "PS", "ps5_0", 0, E_INVALIDARG, "ps5_0"},
      {"unknown flag", "Good.hlsl", "", "PS", "ps_5_0", 1u << 30, E_INVALIDARG, nullptr},
      {"constant buffer b14", "B14.hlsl",
       "cbuffer C : register(b14) { float4 v; }; float4 PS() : SV_Target { return v; }", "PS", "ps_5_0", 0, E_FAIL,
       "register b14 is out of range"},
      {"texture t32", "T32.hlsl",
       "Texture2D t : register(t32); SamplerState s : register(s0);"
       "float4 PS(float2 uv : TEXCOORD) : SV_Target { return t.Sample(s, uv); }",
       "PS", "ps_5_0", 0, E_FAIL, "register t32 is out of range"},
      {"sampler s16", "S16.hlsl",
       "Texture2D t : register(t0); SamplerState s : register(s16);"
       "float4 PS(float2 uv : TEXCOORD) : SV_Target { return t.Sample(s, uv); }",
       "PS", "ps_5_0", 0, E_FAIL, "register s16 is out of range"},
      {"texture array past t31", "T30.hlsl",
       "Texture2D t[4] : register(t30); SamplerState s : register(s0);"
       "float4 PS(float2 uv : TEXCOORD) : SV_Target { return t[3].Sample(s, uv); }",
       "PS", "ps_5_0", 0, E_FAIL, "out of range"},
      {"register space", "Space.hlsl",
       "cbuffer C : register(b0, space1) { float4 v; }; float4 PS() : SV_Target { return v; }", "PS", "ps_5_0", 0,
       E_FAIL, "space1"},
      {"unordered access view", "Uav.hlsl",
       "RWTexture2D<float4> u : register(u0);"
       "float4 PS(float4 p : SV_Position) : SV_Target { u[uint2(p.xy)] = 1; return 1; }",
       "PS", "ps_5_0", 0, E_FAIL, "unordered access"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.source.empty()) Write(c.file, c.source);
    const Result r = CompileFile(Wide((dir_ / c.file).string()), c.entry, c.profile, c.flags);
    EXPECT_EQ(r.hr, c.hr) << r.messages;
    EXPECT_TRUE(r.bytes.empty());
    if (c.message == nullptr) {
      EXPECT_EQ(r.messages, "");
    } else {
      EXPECT_NE(r.messages.find(c.message), std::string::npos) << r.messages;
    }
  }
}

TEST_F(CompileTest, BadArgumentsAreRefused) {
  const std::wstring path = Write("Good.hlsl", kPixelShader);
  ID3DBlob* code = reinterpret_cast<ID3DBlob*>(1);
  EXPECT_EQ(D3DCompileFromFile(nullptr, nullptr, nullptr, "PS", "ps_5_0", 0, 0, &code, nullptr), E_INVALIDARG);
  EXPECT_EQ(code, nullptr) << "the code out is cleared on failure";
  EXPECT_EQ(D3DCompileFromFile(path.c_str(), nullptr, nullptr, nullptr, "ps_5_0", 0, 0, &code, nullptr), E_INVALIDARG);
  EXPECT_EQ(D3DCompileFromFile(path.c_str(), nullptr, nullptr, "PS", nullptr, 0, 0, &code, nullptr), E_INVALIDARG);
  EXPECT_EQ(D3DCompileFromFile(path.c_str(), nullptr, nullptr, "PS", "ps_5_0", 0, 0, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(D3DCompileFromFile(path.c_str(), nullptr, nullptr, "PS", "ps_5_0", 0, D3DCOMPILE_EFFECT_CHILD_EFFECT, &code,
                               nullptr),
            E_INVALIDARG);
  const wchar_t notACodePoint[] = {L'a', static_cast<wchar_t>(0xD800), 0};
  EXPECT_EQ(D3DCompileFromFile(notACodePoint, nullptr, nullptr, "PS", "ps_5_0", 0, 0, &code, nullptr), E_INVALIDARG);
}

TEST_F(CompileTest, WindowsPathsResolveFromTheCurrentDirectory) {
  Write("shaders/VertexShader.hlsl", kVertexShader);
  Write("shaders/Schattierer \xC3\xBC.hlsl", kVertexShader);
  fs::current_path(dir_);
  for (const wchar_t* path : {L"VertexShader.hlsl", L"shaders\\VertexShader.hlsl", L".\\shaders/VertexShader.hlsl",
                              L"shaders\\Schattierer \u00FC.hlsl"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(path)));
    const Result r = CompileFile(path, "VS", "vs_5_0");
    if (std::wstring(path) == L"VertexShader.hlsl") {
      EXPECT_EQ(r.hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) << "not in the current directory";
    } else {
      EXPECT_EQ(r.hr, S_OK) << r.messages;
    }
  }
}

TEST_F(CompileTest, MacrosDefineSymbols) {
  const std::wstring path = Write("Macro.hlsl", R"(
#if !defined(FLAG) || SCALE != 3
#error macros missing
#endif
float4 PS() : SV_Target { return SCALE * FLAG; }
)");
  const D3D_SHADER_MACRO macros[] = {{"SCALE", "3"}, {"FLAG", nullptr}, {nullptr, nullptr}};
  EXPECT_EQ(CompileFile(path, "PS", "ps_5_0", 0, macros).hr, S_OK);
  const D3D_SHADER_MACRO wrong[] = {{"SCALE", "2"}, {"FLAG", "1"}, {nullptr, nullptr}};
  const Result r = CompileFile(path, "PS", "ps_5_0", 0, wrong);
  EXPECT_EQ(r.hr, E_FAIL);
  EXPECT_NE(r.messages.find("macros missing"), std::string::npos) << r.messages;
  EXPECT_EQ(CompileFile(path, "PS", "ps_5_0", 0, nullptr).hr, E_FAIL);
}

TEST_F(CompileTest, StandardIncludesResolveRelativeToTheIncludingFile) {
  const std::wstring path = Write("sub/Main.hlsl",
                                  "#include \"common\\\\Defs.hlsli\"\n"
                                  "float4 PS() : SV_Target { return VALUE; }\n");
  Write("sub/common/Defs.hlsli", "#include \"More.hlsli\"\n#define VALUE (BASE * 2)\n");
  Write("sub/common/More.hlsli", "#define BASE 0.25\n");
  const Result r = CompileFile(path, "PS", "ps_5_0", 0, nullptr, D3D_COMPILE_STANDARD_FILE_INCLUDE);
  EXPECT_EQ(r.hr, S_OK) << r.messages;
  // Without a handler an include is an error.
  EXPECT_EQ(CompileFile(path, "PS", "ps_5_0", 0, nullptr, nullptr).hr, E_FAIL);
  // A file that includes itself fails rather than loops.
  const std::wstring looping = Write("Loop.hlsl", "#include \"Loop.hlsl\"\nfloat4 PS() : SV_Target { return 1; }\n");
  EXPECT_EQ(CompileFile(looping, "PS", "ps_5_0", 0, nullptr, D3D_COMPILE_STANDARD_FILE_INCLUDE).hr, E_FAIL);
}

// Serves includes from memory and records what the compiler asked for.
class MemoryInclude : public ID3DInclude {
 public:
  HRESULT STDMETHODCALLTYPE Open(D3D_INCLUDE_TYPE type, LPCSTR name, LPCVOID parent, LPCVOID* data,
                                 UINT* bytes) override {
    const std::string n = name;
    const std::string* text = n == "outer.hlsli" ? &outer_ : n == "inner.hlsli" ? &inner_ : nullptr;
    opens.push_back({type, n, parent});
    if (text == nullptr) return E_FAIL;
    *data = text->data();
    *bytes = static_cast<UINT>(text->size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close(LPCVOID data) override {
    closed.push_back(data);
    return S_OK;
  }
  struct Opened {
    D3D_INCLUDE_TYPE type;
    std::string name;
    LPCVOID parent;
  };
  std::vector<Opened> opens;
  std::vector<LPCVOID> closed;
  const std::string outer_ = "#include <inner.hlsli>\n#define OUTER INNER\n";
  const std::string inner_ = "#define INNER 0.5\n";
};

TEST_F(CompileTest, CallerIncludeHandlerSeesParentsAndClosesEveryOpen) {
  const std::wstring path = Write("Main.hlsl", "#include \"outer.hlsli\"\nfloat4 PS() : SV_Target { return OUTER; }\n");
  MemoryInclude include;
  const Result r = CompileFile(path, "PS", "ps_5_0", 0, nullptr, &include);
  ASSERT_EQ(r.hr, S_OK) << r.messages;
  ASSERT_EQ(include.opens.size(), 2u);
  EXPECT_EQ(include.opens[0].type, D3D_INCLUDE_LOCAL);
  EXPECT_EQ(include.opens[0].name, "outer.hlsli");
  EXPECT_EQ(include.opens[0].parent, nullptr) << "included from the main source";
  EXPECT_EQ(include.opens[1].type, D3D_INCLUDE_SYSTEM);
  EXPECT_EQ(include.opens[1].name, "inner.hlsli");
  EXPECT_EQ(include.opens[1].parent, include.outer_.data());
  EXPECT_EQ(include.closed.size(), 2u);

  MemoryInclude failing;
  const std::wstring missing =
      Write("Missing.hlsl", "#include \"nowhere.hlsli\"\nfloat4 PS() : SV_Target { return 1; }\n");
  EXPECT_EQ(CompileFile(missing, "PS", "ps_5_0", 0, nullptr, &failing).hr, E_FAIL);
  EXPECT_TRUE(failing.closed.empty()) << "nothing to close for a failed open";
}

TEST_F(CompileTest, WarningsComeBackOnSuccessAndFailWhenTreatedAsErrors) {
  const std::wstring path =
      Write("Warns.hlsl", "cbuffer C : register(ps_5_0, b0) { float4 v; }; float4 PS() : SV_Target { return v; }");
  const Result warned = CompileFile(path, "PS", "ps_5_0", 0);
  EXPECT_EQ(warned.hr, S_OK);
  EXPECT_NE(warned.messages.find("WARNING"), std::string::npos) << warned.messages;
  const Result strict = CompileFile(path, "PS", "ps_5_0", D3DCOMPILE_WARNINGS_ARE_ERRORS);
  EXPECT_EQ(strict.hr, E_FAIL);
  EXPECT_NE(strict.messages.find("warnings treated as errors"), std::string::npos) << strict.messages;
}

TEST_F(CompileTest, FlagsShapeTheModule) {
  const std::wstring path = Write("VertexShader.hlsl", kVertexShader);
  const std::string plain = Disassemble(CompileFile(path, "VS", "vs_5_0", 0).shader.spirv);
  const std::string debug = Disassemble(CompileFile(path, "VS", "vs_5_0", D3DCOMPILE_DEBUG).shader.spirv);
  const std::string rowMajor =
      Disassemble(CompileFile(path, "VS", "vs_5_0", D3DCOMPILE_PACK_MATRIX_ROW_MAJOR).shader.spirv);
  EXPECT_EQ(plain.find("OpLine"), std::string::npos);
  EXPECT_NE(debug.find("OpLine"), std::string::npos) << "debug builds carry source lines";
  // HLSL's column-major packing is SPIR-V's RowMajor over glslang's transposed matrices.
  EXPECT_NE(plain.find("RowMajor"), std::string::npos);
  EXPECT_EQ(plain.find("ColMajor"), std::string::npos);
  EXPECT_NE(rowMajor.find("ColMajor"), std::string::npos);
  EXPECT_EQ(rowMajor.find("RowMajor"), std::string::npos);
}

TEST_F(CompileTest, ConcurrentCompilesAgree) {
  const std::wstring vs = Write("VertexShader.hlsl", kVertexShader);
  const std::wstring ps = Write("PixelShader.hlsl", kPixelShader);
  const std::vector<uint8_t> vsBytes = CompileFile(vs, "VS", "vs_5_0").bytes;
  const std::vector<uint8_t> psBytes = CompileFile(ps, "PS", "ps_5_0").bytes;
  ASSERT_FALSE(vsBytes.empty());
  ASSERT_FALSE(psBytes.empty());
  std::vector<std::thread> threads;
  std::vector<int> mismatches(6, 0);
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 4; ++i) {
        const bool vertex = (t + i) % 2 == 0;
        const Result r = vertex ? CompileFile(vs, "VS", "vs_5_0") : CompileFile(ps, "PS", "ps_5_0");
        if (r.hr != S_OK || r.bytes != (vertex ? vsBytes : psBytes)) ++mismatches[t];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(mismatches, std::vector<int>(6, 0));
}

}  // namespace
