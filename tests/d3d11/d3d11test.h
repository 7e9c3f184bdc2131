// Shared helpers of the Direct3D 11 tests: a device per test, render targets read back
// through a staging copy, shaders compiled from tests/d3d11/shaders, and geometry.
#pragma once

#include <d3d11.h>
#include <d3dcompiler.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "vulkan_clean.h"

// An owning interface pointer for tests.
template <typename T>
class Com {
 public:
  Com() = default;
  Com(const Com& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Com& operator=(const Com& o) {
    Com tmp(o);
    std::swap(p_, tmp.p_);
    return *this;
  }
  ~Com() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Put() {
    Reset();
    return &p_;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T* const* Addr() const { return &p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

constexpr uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) {
  return r | (g << 8) | (b << 16) | (a << 24);
}
constexpr uint32_t kBlack = Rgba(0, 0, 0), kRed = Rgba(255, 0, 0), kGreen = Rgba(0, 255, 0), kBlue = Rgba(0, 0, 255),
                   kWhite = Rgba(255, 255, 255);

struct ColorVertex {
  float pos[3];
  float color[4];
};

inline const D3D11_INPUT_ELEMENT_DESC kColorLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
};
inline const D3D11_INPUT_ELEMENT_DESC kPositionLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
};

// A rectangle in clip space as two clockwise triangles (six vertices), at depth z.
inline std::vector<ColorVertex> Rect(float x0, float y0, float x1, float y1, float z, const float (&c)[4]) {
  auto v = [&](float x, float y) { return ColorVertex{{x, y, z}, {c[0], c[1], c[2], c[3]}}; };
  return {v(x0, y0), v(x0, y1), v(x1, y0), v(x1, y0), v(x0, y1), v(x1, y1)};
}

class D3D11Test : public VulkanCleanTest {
 protected:
  void SetUp() override {
    VulkanCleanTest::SetUp();
    D3D_FEATURE_LEVEL level{};
    ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, D3D11_CREATE_DEVICE_DEBUG, nullptr, 0,
                                D3D11_SDK_VERSION, device.Put(), &level, context.Put()),
              S_OK);
    ASSERT_EQ(level, D3D_FEATURE_LEVEL_11_0);
  }
  void TearDown() override {
    context.Reset();
    device.Reset();
    VulkanCleanTest::TearDown();
  }

  Com<ID3DBlob> Compile(const char* file, const char* entry, const char* profile) {
    std::string path = std::string(ZR_D3D11_TEST_SHADERS) + "/" + file;
    std::wstring wide(path.begin(), path.end());
    Com<ID3DBlob> code, errors;
    HRESULT hr = D3DCompileFromFile(wide.c_str(), nullptr, nullptr, entry, profile, 0, 0, code.Put(), errors.Put());
    EXPECT_EQ(hr, S_OK) << file << " " << entry << ": "
                        << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    return code;
  }
  Com<ID3D11VertexShader> VertexShader(const Com<ID3DBlob>& code) {
    Com<ID3D11VertexShader> vs;
    EXPECT_EQ(device->CreateVertexShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, vs.Put()), S_OK);
    return vs;
  }
  Com<ID3D11PixelShader> PixelShader(const char* file, const char* entry = "PS") {
    Com<ID3DBlob> code = Compile(file, entry, "ps_5_0");
    Com<ID3D11PixelShader> ps;
    if (code) {
      EXPECT_EQ(device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, ps.Put()), S_OK);
    }
    return ps;
  }
  Com<ID3D11InputLayout> Layout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const Com<ID3DBlob>& vs) {
    Com<ID3D11InputLayout> layout;
    EXPECT_EQ(device->CreateInputLayout(elements, count, vs->GetBufferPointer(), vs->GetBufferSize(), layout.Put()),
              S_OK);
    return layout;
  }
  Com<ID3D11Buffer> MakeBuffer(UINT bind, const void* data, UINT size, D3D11_USAGE usage = D3D11_USAGE_DEFAULT) {
    D3D11_BUFFER_DESC desc{size, usage, bind, usage == D3D11_USAGE_DYNAMIC ? UINT(D3D11_CPU_ACCESS_WRITE) : 0u, 0, 0};
    D3D11_SUBRESOURCE_DATA init{data, 0, 0};
    Com<ID3D11Buffer> buffer;
    EXPECT_EQ(device->CreateBuffer(&desc, data ? &init : nullptr, buffer.Put()), S_OK);
    return buffer;
  }
  Com<ID3D11Texture2D> MakeTarget(UINT width, UINT height, UINT samples = 1,
                                  DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM,
                                  UINT bind = D3D11_BIND_RENDER_TARGET) {
    D3D11_TEXTURE2D_DESC desc{width, height, 1, 1, format, {samples, 0}, D3D11_USAGE_DEFAULT, bind, 0, 0};
    Com<ID3D11Texture2D> texture;
    EXPECT_EQ(device->CreateTexture2D(&desc, nullptr, texture.Put()), S_OK);
    return texture;
  }
  Com<ID3D11RenderTargetView> Rtv(const Com<ID3D11Texture2D>& texture) {
    Com<ID3D11RenderTargetView> view;
    EXPECT_EQ(device->CreateRenderTargetView(texture.Get(), nullptr, view.Put()), S_OK);
    return view;
  }
  // The texels of subresource 0 of a single-sampled 32-bit texture, row after row.
  std::vector<uint32_t> Read(const Com<ID3D11Texture2D>& texture) {
    D3D11_TEXTURE2D_DESC desc;
    texture->GetDesc(&desc);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    Com<ID3D11Texture2D> staging;
    EXPECT_EQ(device->CreateTexture2D(&desc, nullptr, staging.Put()), S_OK);
    context->CopySubresourceRegion(staging.Get(), 0, 0, 0, 0, texture.Get(), 0, nullptr);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    EXPECT_EQ(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped), S_OK);
    std::vector<uint32_t> texels(desc.Width * desc.Height);
    for (UINT y = 0; y < desc.Height && mapped.pData; ++y)
      std::memcpy(&texels[y * desc.Width], static_cast<const uint8_t*>(mapped.pData) + y * mapped.RowPitch,
                  desc.Width * 4);
    context->Unmap(staging.Get(), 0);
    return texels;
  }
  void Viewport(ID3D11DeviceContext* ctx, float width, float height) {
    D3D11_VIEWPORT vp{0, 0, width, height, 0, 1};
    ctx->RSSetViewports(1, &vp);
  }
  // Binds the colour shaders with their layout and `vertices` as a triangle list.
  void BindColorPipeline(ID3D11DeviceContext* ctx, const std::vector<ColorVertex>& vertices) {
    if (!colorVs) {
      Com<ID3DBlob> code = Compile("color.hlsl", "VS", "vs_5_0");
      colorVs = VertexShader(code);
      colorPs = PixelShader("color.hlsl");
      colorLayout = Layout(kColorLayout, 2, code);
    }
    colorVb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, vertices.data(), UINT(vertices.size() * sizeof(ColorVertex)));
    UINT stride = sizeof(ColorVertex), offset = 0;
    ctx->IASetInputLayout(colorLayout.Get());
    ctx->IASetVertexBuffers(0, 1, colorVb.Addr(), &stride, &offset);
    ctx->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    ctx->VSSetShader(colorVs.Get(), nullptr, 0);
    ctx->PSSetShader(colorPs.Get(), nullptr, 0);
  }

  Com<ID3D11Device> device;
  Com<ID3D11DeviceContext> context;
  Com<ID3D11VertexShader> colorVs;
  Com<ID3D11PixelShader> colorPs;
  Com<ID3D11InputLayout> colorLayout;
  Com<ID3D11Buffer> colorVb;
};
