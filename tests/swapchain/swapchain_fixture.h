// What the swap chain tests share: a window, a device and swap chain made as the
// engine makes them, shaders for a solid-colour draw, the back buffer read back through
// a resolve and a staging copy, and the debugger output collected.
#pragma once

#include <gtest/gtest.h>

#include <d3d11.h>
#include <d3dcompiler.h>
#include <windows.h>
#include <zr_d3d11.h>
#include <zr_win32.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "d3d11/vulkan_clean.h"

namespace swapchaintest {

// Releases a COM pointer when it goes out of scope.
template <typename T>
struct Com {
  T* p = nullptr;
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() { Reset(); }
  void Reset() {
    if (p) p->Release();
    p = nullptr;
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
  operator T*() const { return p; }
};

// Collects every debugger-output text while it lives.
class DebugOutput {
 public:
  DebugOutput() { zr::win32::SetDebugOutputSink(&DebugOutput::Collect, this); }
  ~DebugOutput() { zr::win32::SetDebugOutputSink(nullptr, nullptr); }
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }

 private:
  static void Collect(const wchar_t* text, void* user) {
    auto* self = static_cast<DebugOutput*>(user);
    std::string narrow;
    for (const wchar_t* c = text; *c; ++c) narrow += static_cast<char>(*c);
    std::lock_guard<std::mutex> lock(self->mutex_);
    // One entry per line.
    size_t start = 0;
    for (size_t nl; (nl = narrow.find('\n', start)) != std::string::npos; start = nl + 1)
      self->lines_.push_back(narrow.substr(start, nl - start));
    if (start < narrow.size()) self->lines_.push_back(narrow.substr(start));
  }
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// Sizes the window so that its client area is width x height.
inline void SetClientSize(HWND window, int width, int height) {
  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int frameX = (outer.right - outer.left) - client.right, frameY = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(window, nullptr, 0, 0, width + frameX, height + frameY, SWP_NOMOVE | SWP_NOZORDER);
}

// A visible overlapped window with the given client size (headless without a display).
inline HWND MakeWindow(int clientWidth, int clientHeight) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"ZrSwapChainTest";
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  HWND window = CreateWindowExW(0, L"ZrSwapChainTest", L"swap chain test", WS_OVERLAPPEDWINDOW, 0, 0, clientWidth,
                                clientHeight, nullptr, nullptr, nullptr, nullptr);
  SetClientSize(window, clientWidth, clientHeight);
  ShowWindow(window, SW_SHOW);
  return window;
}

// The engine's description: R8G8B8A8, 8 samples, one buffer, windowed, discard.
inline DXGI_SWAP_CHAIN_DESC EngineDesc(HWND window, UINT width, UINT height) {
  DXGI_SWAP_CHAIN_DESC d{};
  d.BufferDesc.Width = width;
  d.BufferDesc.Height = height;
  d.BufferDesc.RefreshRate = {60, 1};
  d.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  d.SampleDesc = {8, 0};
  d.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  d.BufferCount = 1;
  d.OutputWindow = window;
  d.Windowed = TRUE;
  d.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
  d.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
  return d;
}

using Rgba = std::array<uint8_t, 4>;

struct Image {
  UINT width = 0, height = 0;
  std::vector<uint8_t> texels;  // R8G8B8A8 rows
  Rgba At(UINT x, UINT y) const {
    const uint8_t* p = &texels[(static_cast<size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

// The back buffer as the application reads it: resolved into a single-sampled texture,
// copied to a staging texture and mapped.
inline Image ReadBack(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture2D* texture) {
  D3D11_TEXTURE2D_DESC d{};
  texture->GetDesc(&d);
  D3D11_TEXTURE2D_DESC single = d;
  single.SampleDesc = {1, 0};
  single.BindFlags = 0;
  Com<ID3D11Texture2D> resolved, staging;
  EXPECT_EQ(device->CreateTexture2D(&single, nullptr, &resolved), S_OK);
  single.Usage = D3D11_USAGE_STAGING;
  single.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  EXPECT_EQ(device->CreateTexture2D(&single, nullptr, &staging), S_OK);
  Image image;
  if (!resolved || !staging) return image;
  if (d.SampleDesc.Count > 1)
    context->ResolveSubresource(resolved, 0, texture, 0, d.Format);
  else
    context->CopyResource(resolved, texture);
  context->CopyResource(staging, resolved);
  D3D11_MAPPED_SUBRESOURCE m{};
  EXPECT_EQ(context->Map(staging, 0, D3D11_MAP_READ, 0, &m), S_OK);
  if (!m.pData) return image;
  image.width = d.Width;
  image.height = d.Height;
  image.texels.resize(size_t{d.Width} * d.Height * 4);
  for (UINT y = 0; y < d.Height; ++y)
    std::memcpy(&image.texels[size_t{y} * d.Width * 4], static_cast<const uint8_t*>(m.pData) + size_t{y} * m.RowPitch,
                size_t{d.Width} * 4);
  context->Unmap(staging, 0);
  return image;
}

// What the swap chain showed at its last Present.
inline Image Presented(IDXGISwapChain* chain) {
  Image image;
  EXPECT_EQ(zr::d3d11::ReadPresentedImage(chain, &image.width, &image.height, &image.texels), S_OK);
  return image;
}

// A vertex shader passing 2-D clip-space positions through and a pixel shader writing
// one colour, with the input layout for them.
struct SolidColour {
  Com<ID3D11VertexShader> vs;
  Com<ID3D11PixelShader> ps;
  Com<ID3D11InputLayout> layout;

  explicit SolidColour(ID3D11Device* device) {
    static const char kSource[] =
        "struct PSIn { float4 pos : SV_Position; };\n"
        "PSIn VS(float2 pos : POSITION) { PSIn o; o.pos = float4(pos, 0.0f, 1.0f); return o; }\n"
        "float4 PS() : SV_Target { return float4(0.0f, 0.0f, 1.0f, 1.0f); }\n";
    Com<ID3DBlob> vsCode, psCode, errors;
    EXPECT_EQ(
        D3DCompile(kSource, sizeof(kSource) - 1, "solid", nullptr, nullptr, "VS", "vs_5_0", 0, 0, &vsCode, &errors),
        S_OK);
    errors.Reset();
    EXPECT_EQ(
        D3DCompile(kSource, sizeof(kSource) - 1, "solid", nullptr, nullptr, "PS", "ps_5_0", 0, 0, &psCode, &errors),
        S_OK);
    if (!vsCode || !psCode) return;
    EXPECT_EQ(device->CreateVertexShader(vsCode->GetBufferPointer(), vsCode->GetBufferSize(), nullptr, &vs), S_OK);
    EXPECT_EQ(device->CreatePixelShader(psCode->GetBufferPointer(), psCode->GetBufferSize(), nullptr, &ps), S_OK);
    const D3D11_INPUT_ELEMENT_DESC element{"POSITION", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA,
                                           0};
    EXPECT_EQ(device->CreateInputLayout(&element, 1, vsCode->GetBufferPointer(), vsCode->GetBufferSize(), &layout),
              S_OK);
  }
};

// A clockwise triangle along the left edge: at mid-height it covers clip-space x below
// -0.25, at the bottom x below 0.
inline const float kLeftWedge[6] = {-1.0f, -1.0f, -1.0f, 3.0f, 0.0f, -1.0f};

// A device, immediate context and swap chain for a window, made as the engine makes them.
class SwapChainTest : public VulkanCleanTest {
 protected:
  void Make(UINT clientWidth, UINT clientHeight, UINT bufferWidth, UINT bufferHeight) {
    window = MakeWindow(static_cast<int>(clientWidth), static_cast<int>(clientHeight));
    ASSERT_NE(window, nullptr);
    DXGI_SWAP_CHAIN_DESC desc = EngineDesc(window, bufferWidth, bufferHeight);
    ASSERT_EQ(D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr,
                                            D3D11_CREATE_DEVICE_BGRA_SUPPORT | D3D11_CREATE_DEVICE_DEBUG, nullptr, 0,
                                            D3D11_SDK_VERSION, &desc, &chain, &device, nullptr, &context),
              S_OK);
  }
  void TearDown() override {
    shaders.reset();
    chain.Reset();
    context.Reset();
    device.Reset();
    if (window) DestroyWindow(window);
    VulkanCleanTest::TearDown();
  }

  // Clears the back buffer to `clear` and draws the left half in blue.
  void DrawFrame(const float clear[4]) {
    Com<ID3D11Texture2D> back;
    ASSERT_EQ(chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back)), S_OK);
    D3D11_TEXTURE2D_DESC d{};
    back->GetDesc(&d);
    Com<ID3D11RenderTargetView> rtv;
    ASSERT_EQ(device->CreateRenderTargetView(back, nullptr, &rtv), S_OK);
    if (!shaders) shaders = std::make_unique<SolidColour>(device);
    D3D11_BUFFER_DESC bd{sizeof(kLeftWedge), D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA init{kLeftWedge, 0, 0};
    Com<ID3D11Buffer> vb;
    ASSERT_EQ(device->CreateBuffer(&bd, &init, &vb), S_OK);
    const D3D11_VIEWPORT viewport{0, 0, float(d.Width), float(d.Height), 0, 1};
    const UINT stride = 8, offset = 0;
    ID3D11Buffer* vbs[] = {vb};
    ID3D11RenderTargetView* rtvs[] = {rtv};
    context->ClearRenderTargetView(rtv, clear);
    context->OMSetRenderTargets(1, rtvs, nullptr);
    context->RSSetViewports(1, &viewport);
    context->IASetInputLayout(shaders->layout);
    context->IASetVertexBuffers(0, 1, vbs, &stride, &offset);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->VSSetShader(shaders->vs, nullptr, 0);
    context->PSSetShader(shaders->ps, nullptr, 0);
    context->Draw(3, 0);
    context->ClearState();
  }

  HWND window = nullptr;
  Com<IDXGISwapChain> chain;
  Com<ID3D11Device> device;
  Com<ID3D11DeviceContext> context;
  std::unique_ptr<SolidColour> shaders;
};

// Both test programs run the shared cases, each under its own suite name: the build sets
// ZR_SWAPCHAIN_SUITE (HeadlessSwapChain, XvfbSwapChain).
class ZR_SWAPCHAIN_SUITE : public SwapChainTest {};
#define SWAPCHAIN_TEST_IN(suite, name) TEST_F(suite, name)
#define SWAPCHAIN_TEST(name) SWAPCHAIN_TEST_IN(ZR_SWAPCHAIN_SUITE, name)

inline constexpr float kGreen[4] = {0.0f, 1.0f, 0.0f, 1.0f};
inline constexpr float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
inline constexpr Rgba kGreenTexel{0, 255, 0, 255};
inline constexpr Rgba kRedTexel{255, 0, 0, 255};
inline constexpr Rgba kBlueTexel{0, 0, 255, 255};

}  // namespace swapchaintest
