// Without a display: windows are headless and the swap chain presents to its offscreen
// image. Also here: the pacing of a sync interval, the live-object report, and the
// memory of many frames of the engine's per-frame pattern.
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "swapchain/swapchain_fixture.h"

namespace swapchaintest {
namespace {

// No display for any window of this process.
const bool kHeadless = [] {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  return true;
}();

SWAPCHAIN_TEST(WindowIsHeadless) {
  ASSERT_TRUE(kHeadless);
  Make(16, 16, 16, 16);
  EXPECT_TRUE(zr::win32::IsHeadless());
  EXPECT_EQ(zr::win32::NativeWindow(window), nullptr);
}

SWAPCHAIN_TEST(SyncIntervalPacesPresentsAtSixtyHertz) {
  Make(16, 16, 16, 16);
  DrawFrame(kGreen);
  struct Case {
    UINT interval;
    int presents;
  };
  for (Case c : {Case{1, 6}, Case{2, 4}}) {
    SCOPED_TRACE(c.interval);
    EXPECT_EQ(chain->Present(c.interval, 0), S_OK);
    auto start = std::chrono::steady_clock::now();
    for (int i = 1; i < c.presents; ++i) EXPECT_EQ(chain->Present(c.interval, 0), S_OK);
    auto elapsed = std::chrono::steady_clock::now() - start;
    // (presents - 1) intervals of interval / 60 s each, less a little for the clock.
    EXPECT_GE(elapsed, std::chrono::microseconds(16000) * c.interval * (c.presents - 1));
  }
}

std::string ReportLine(const char* indent, const char* type, const void* address, unsigned refs) {
  char text[160];
  std::snprintf(text, sizeof(text), "D3D11 WARNING: %sLive %s at 0x%016" PRIXPTR ", Refcount: %u", indent, type,
                reinterpret_cast<uintptr_t>(address), refs);
  return text;
}

// The report's lines, from a fresh capture.
std::vector<std::string> Report(ID3D11Debug* debug, D3D11_RLDO_FLAGS flags) {
  DebugOutput output;
  EXPECT_EQ(debug->ReportLiveDeviceObjects(flags), S_OK);
  return output.Lines();
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& l : lines)
    if (l.rfind(start, 0) == 0) return true;
  return false;
}

SWAPCHAIN_TEST(LiveObjectReportNamesEveryObjectUntilOnlyTheDeviceIsLeft) {
  Make(16, 16, 16, 16);
  Com<ID3D11Debug> debug;
  ASSERT_EQ(device->QueryInterface(__uuidof(ID3D11Debug), reinterpret_cast<void**>(&debug)), S_OK);

  const D3D11_BUFFER_DESC bd{256, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
  const D3D11_TEXTURE2D_DESC td{8,
                                8,
                                1,
                                1,
                                DXGI_FORMAT_R8G8B8A8_UNORM,
                                {1, 0},
                                D3D11_USAGE_DEFAULT,
                                D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE,
                                0,
                                0};
  D3D11_SAMPLER_DESC sd{};
  sd.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
  sd.AddressU = sd.AddressV = sd.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
  sd.MaxLOD = D3D11_FLOAT32_MAX;
  Com<ID3D11Buffer> buffer;
  Com<ID3D11Texture2D> texture;
  Com<ID3D11RenderTargetView> rtv;
  Com<ID3D11ShaderResourceView> srv;
  Com<ID3D11SamplerState> sampler;
  Com<ID3D11DeviceContext> deferred;
  Com<ID3D11CommandList> list;
  ASSERT_EQ(device->CreateBuffer(&bd, nullptr, &buffer), S_OK);
  ASSERT_EQ(device->CreateTexture2D(&td, nullptr, &texture), S_OK);
  ASSERT_EQ(device->CreateRenderTargetView(texture, nullptr, &rtv), S_OK);
  ASSERT_EQ(device->CreateShaderResourceView(texture, nullptr, &srv), S_OK);
  ASSERT_EQ(device->CreateSamplerState(&sd, &sampler), S_OK);
  ASSERT_EQ(device->CreateDeferredContext(0, &deferred), S_OK);
  deferred->ClearRenderTargetView(rtv, kGreen);
  ASSERT_EQ(deferred->FinishCommandList(FALSE, &list), S_OK);
  texture->AddRef();  // a second reference of the application's

  const unsigned deviceRefs = device->AddRef() - 1;
  device->Release();
  std::vector<std::string> lines = Report(debug, D3D11_RLDO_DETAIL);
  struct Expected {
    const char* indent;
    const char* type;
    const void* address;
    unsigned refs;
  };
  const Expected expected[] = {
      {"", "ID3D11Device", device.p, deviceRefs}, {"\t", "IDXGISwapChain", chain.p, 1},
      {"\t", "ID3D11Buffer", buffer.p, 1},        {"\t", "ID3D11Texture2D", texture.p, 2},
      {"\t", "ID3D11RenderTargetView", rtv.p, 1}, {"\t", "ID3D11ShaderResourceView", srv.p, 1},
      {"\t", "ID3D11SamplerState", sampler.p, 1}, {"\t", "ID3D11DeviceContext", deferred.p, 1},
      {"\t", "ID3D11CommandList", list.p, 1},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.type);
    EXPECT_TRUE(HasLineStarting(lines, ReportLine(e.indent, e.type, e.address, e.refs)))
        << ReportLine(e.indent, e.type, e.address, e.refs);
  }
  texture->Release();
  list.Reset();  // it named the view

  // Released by the application but still held inside: bound to a context.
  ID3D11RenderTargetView* bound = rtv.p;
  context->OMSetRenderTargets(1, &rtv.p, nullptr);
  rtv.Reset();
  lines = Report(debug, D3D11_RLDO_DETAIL);
  EXPECT_TRUE(HasLineStarting(lines, ReportLine("\t", "ID3D11RenderTargetView", bound, 0) + ", IntRef: 1"));
  lines = Report(debug, static_cast<D3D11_RLDO_FLAGS>(D3D11_RLDO_IGNORE_INTERNAL | D3D11_RLDO_DETAIL));
  EXPECT_FALSE(HasLineStarting(lines, ReportLine("\t", "ID3D11RenderTargetView", bound, 0)));
  context->OMSetRenderTargets(0, nullptr, nullptr);

  // A released state object the device keeps for reuse is not alive.
  sampler.Reset();
  lines = Report(debug, D3D11_RLDO_DETAIL);
  for (const std::string& l : lines) EXPECT_EQ(l.find("ID3D11SamplerState"), std::string::npos) << l;

  deferred.Reset();
  srv.Reset();
  texture.Reset();
  buffer.Reset();
  chain.Reset();
  lines = Report(debug, static_cast<D3D11_RLDO_FLAGS>(D3D11_RLDO_DETAIL | D3D11_RLDO_SUMMARY));
  const unsigned lastRefs = device->AddRef() - 1;
  device->Release();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], ReportLine("", "ID3D11Device", device.p, lastRefs));
  EXPECT_EQ(lines[1], "D3D11 WARNING: Live objects besides the device: 0");

  // The debug interface holds the device: the device goes with its last reference.
  EXPECT_EQ(lastRefs, deviceRefs);
  context.Reset();
  EXPECT_EQ(device->Release(), 1u);
  device.p = nullptr;
  EXPECT_EQ(debug->Release(), 0u);
  debug.p = nullptr;
}

size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// The engine's frame: per draw a list recorded on the deferred context (which keeps its
// state) and executed; the debug lines' 49152-byte vertex buffer made, drawn and
// released twice; then Present.
SWAPCHAIN_TEST(ResidentMemoryStaysFlatOverTenThousandFrames) {
  // The validation layer keeps records of every handle ever made; this test is about
  // the layer's own memory.
  setenv("ZR_VULKAN_VALIDATION", "0", 1);
  Make(16, 16, 16, 16);
  Com<ID3D11DeviceContext> deferred;
  ASSERT_EQ(device->CreateDeferredContext(0, &deferred), S_OK);
  Com<ID3D11Texture2D> back;
  ASSERT_EQ(chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back)), S_OK);
  Com<ID3D11RenderTargetView> rtv;
  ASSERT_EQ(device->CreateRenderTargetView(back, nullptr, &rtv), S_OK);
  SolidColour solid(device);
  const D3D11_BUFFER_DESC cbd{256, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
  Com<ID3D11Buffer> constants;
  ASSERT_EQ(device->CreateBuffer(&cbd, nullptr, &constants), S_OK);
  std::vector<float> lines(49152 / sizeof(float), 0.0f);
  std::copy(std::begin(kLeftWedge), std::end(kLeftWedge), lines.begin());
  const D3D11_BUFFER_DESC vbd{49152, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
  const D3D11_SUBRESOURCE_DATA init{lines.data(), 0, 0};
  const D3D11_VIEWPORT viewport{0, 0, 16, 16, 0, 1};
  float constantData[64] = {};
  deferred->RSSetViewports(1, &viewport);

  auto frame = [&](int n) {
    constantData[0] = float(n);
    deferred->ClearRenderTargetView(rtv, kGreen);
    for (int draw = 0; draw < 2; ++draw) {
      Com<ID3D11Buffer> vb;
      ASSERT_EQ(device->CreateBuffer(&vbd, &init, &vb), S_OK);
      const UINT stride = 8, offset = 0;
      deferred->IASetInputLayout(solid.layout);
      deferred->IASetVertexBuffers(0, 1, &vb.p, &stride, &offset);
      deferred->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
      deferred->OMSetRenderTargets(1, &rtv.p, nullptr);
      deferred->VSSetShader(solid.vs, nullptr, 0);
      deferred->PSSetShader(solid.ps, nullptr, 0);
      deferred->UpdateSubresource(constants, 0, nullptr, constantData, 0, 0);
      deferred->VSSetConstantBuffers(0, 1, &constants.p);
      deferred->Draw(3, 0);
      Com<ID3D11CommandList> list;
      ASSERT_EQ(deferred->FinishCommandList(TRUE, &list), S_OK);
      context->ExecuteCommandList(list, TRUE);
    }
    chain->Present(0, 0);
  };

  for (int n = 0; n < 1000; ++n) ASSERT_NO_FATAL_FAILURE(frame(n));
  const size_t warm = ResidentBytes();
  for (int n = 1000; n < 10000; ++n) ASSERT_NO_FATAL_FAILURE(frame(n));
  const size_t end = ResidentBytes();
  EXPECT_LT(end, warm + (4u << 20)) << "resident memory grew from " << warm << " to " << end << " bytes";

  // The frames drew what they should.
  Image shown = Presented(chain);
  EXPECT_EQ(shown.At(2, 8), kBlueTexel);
  EXPECT_EQ(shown.At(14, 8), kGreenTexel);
}

}  // namespace
}  // namespace swapchaintest
