// The shader container's byte form: a round trip keeps every field, and damaged bytes
// are refused rather than read past their end.
#include <gtest/gtest.h>

#include <cstring>

#include "shader_container.h"

using namespace zr::d3d11;

namespace {

ShaderContainerView Sample() {
  ShaderContainerView s;
  s.stage = ShaderStage::Pixel;
  s.entryPoint = "PS";
  s.spirv = {0x07230203, 0x00010300, 0, 16, 0, 0x12345678};
  s.inputs = {{"SV_POSITION", 0, kNoLocation, SystemValue::Position, ComponentType::Float, 4, 7},
              {"TEXCOORD", 3, 0, SystemValue::None, ComponentType::SInt, 2, 9}};
  s.outputs = {{"SV_TARGET", 1, 1, SystemValue::Target, ComponentType::UInt, 4, 11}};
  s.bindings = {{RegisterClass::ConstantBuffer, 1, DescriptorKind::UniformBuffer, D3D_SRV_DIMENSION_UNKNOWN, 0,
                 BindingFor(ShaderStage::Pixel, RegisterClass::ConstantBuffer, 1), 1, 52},
                {RegisterClass::ShaderResource, 30, DescriptorKind::SampledImage, D3D_SRV_DIMENSION_TEXTURECUBE, 0,
                 BindingFor(ShaderStage::Pixel, RegisterClass::ShaderResource, 30), 2, 0}};
  return s;
}

bool SameElement(const SignatureElement& a, const SignatureElement& b) {
  return a.semanticName == b.semanticName && a.semanticIndex == b.semanticIndex && a.location == b.location &&
         a.systemValue == b.systemValue && a.componentType == b.componentType && a.componentCount == b.componentCount &&
         a.variableId == b.variableId;
}

TEST(ShaderContainer, RoundTripKeepsEveryField) {
  const ShaderContainerView in = Sample();
  const std::vector<uint8_t> bytes = SerializeShaderContainer(in);
  ASSERT_EQ(bytes.size() % 4, 0u);
  ShaderContainerView out;
  ASSERT_TRUE(ParseShaderContainer(bytes.data(), bytes.size(), &out));
  EXPECT_EQ(out.stage, in.stage);
  EXPECT_EQ(out.entryPoint, in.entryPoint);
  EXPECT_EQ(out.spirv, in.spirv);
  ASSERT_EQ(out.inputs.size(), in.inputs.size());
  ASSERT_EQ(out.outputs.size(), in.outputs.size());
  for (size_t i = 0; i < in.inputs.size(); ++i) EXPECT_TRUE(SameElement(out.inputs[i], in.inputs[i])) << i;
  EXPECT_TRUE(SameElement(out.outputs[0], in.outputs[0]));
  ASSERT_EQ(out.bindings.size(), in.bindings.size());
  for (size_t i = 0; i < in.bindings.size(); ++i) {
    const ResourceBindingDesc &a = out.bindings[i], &b = in.bindings[i];
    EXPECT_TRUE(a.registerClass == b.registerClass && a.registerNumber == b.registerNumber && a.kind == b.kind &&
                a.dimension == b.dimension && a.set == b.set && a.binding == b.binding && a.arraySize == b.arraySize &&
                a.byteSize == b.byteSize)
        << i;
  }
}

TEST(ShaderContainer, BindingSchemeConstants) {
  // The layout both the compiler and the device rely on.
  EXPECT_EQ(BindingFor(ShaderStage::Vertex, RegisterClass::ConstantBuffer, 0), 0u);
  EXPECT_EQ(BindingFor(ShaderStage::Vertex, RegisterClass::ConstantBuffer, 13), 13u);
  EXPECT_EQ(BindingFor(ShaderStage::Hull, RegisterClass::Sampler, 0), 64u + 16);
  EXPECT_EQ(BindingFor(ShaderStage::Geometry, RegisterClass::Sampler, 15), 3u * 64 + 31);
  EXPECT_EQ(BindingFor(ShaderStage::Pixel, RegisterClass::ShaderResource, 0), 4u * 64 + 32);
  EXPECT_EQ(BindingFor(ShaderStage::Compute, RegisterClass::ShaderResource, 31), 5u * 64 + 63);
}

TEST(ShaderContainer, EveryTruncationIsRefused) {
  const std::vector<uint8_t> bytes = SerializeShaderContainer(Sample());
  ShaderContainerView out;
  for (size_t size = 0; size < bytes.size(); ++size) {
    // A copy of exactly `size` bytes, so a read past it is caught by the sanitizers.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
    EXPECT_FALSE(ParseShaderContainer(cut.data(), cut.size(), &out)) << size;
  }
  EXPECT_FALSE(ParseShaderContainer(nullptr, bytes.size(), &out));
  EXPECT_FALSE(ParseShaderContainer(bytes.data(), bytes.size(), nullptr));
}

TEST(ShaderContainer, DamagedFieldsAreRefused) {
  const std::vector<uint8_t> good = SerializeShaderContainer(Sample());
  auto word = [&](const std::vector<uint8_t>& b, size_t index) {
    uint32_t w;
    std::memcpy(&w, b.data() + index * 4, 4);
    return w;
  };
  const uint32_t spirvAt = word(good, 6) / 4, inputsAt = word(good, 8) / 4, bindingsAt = word(good, 12) / 4;
  struct Case {
    const char* what;
    size_t word;  // index of the 32-bit word to overwrite
    uint32_t value;
  };
  const Case cases[] = {
      {"magic", 0, 0x44584243},
      {"version", 1, 2},
      {"total size", 2, static_cast<uint32_t>(good.size() + 4)},
      {"stage", 3, kShaderStageCount},
      {"entry offset past the end", 4, static_cast<uint32_t>(good.size())},
      {"entry length", 5, 0xFFFFFFF0},
      {"empty entry point", 5, 0},
      {"spirv offset unaligned", 6, word(good, 6) + 2},
      {"spirv too short", 7, 4},
      {"spirv count past the end", 7, 0x40000000},
      {"spirv magic", spirvAt, 0x03022307},
      {"inputs offset", 8, 0xFFFFFFFC},
      {"input count", 9, 0x20000000},
      {"too many inputs", 9, kMaxSignatureElements + 1},
      {"output count", 11, 0xFFFFFFFF},
      {"binding count", 13, 0x10000000},
      {"semantic name offset", inputsAt, 0xFFFFFFF0},
      {"semantic name length", inputsAt + 1, kMaxNameLength + 1},
      {"empty semantic name", inputsAt + 1, 0},
      {"system value", inputsAt + 4, kSystemValueCount},
      {"component type", inputsAt + 5, 3},
      {"no components", inputsAt + 6, 0},
      {"five components", inputsAt + 6, 5},
      {"register class", bindingsAt, kRegisterClassCount},
      {"constant buffer b14", bindingsAt + 1, kConstantBufferSlots},
      {"descriptor kind", bindingsAt + 2, kDescriptorKindCount},
      {"dimension", bindingsAt + 3, 12},
      {"empty array", bindingsAt + 6, 0},
      {"array past the class", bindingsAt + 8 + 6, 3},
  };
  ShaderContainerView out;
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    std::memcpy(bytes.data() + c.word * 4, &c.value, 4);
    EXPECT_FALSE(ParseShaderContainer(bytes.data(), bytes.size(), &out)) << c.what;
  }
  ASSERT_TRUE(ParseShaderContainer(good.data(), good.size(), &out));
}

TEST(ShaderContainer, NamesWithZeroBytesAreRefused) {
  ShaderContainerView s = Sample();
  s.entryPoint = std::string("P\0S", 3);
  const std::vector<uint8_t> bytes = SerializeShaderContainer(s);
  ShaderContainerView out;
  EXPECT_FALSE(ParseShaderContainer(bytes.data(), bytes.size(), &out));
}

}  // namespace
