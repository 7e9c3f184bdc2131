// Frames per second of a clear and a Present at 1280x720 with 4x multisampling: the
// resolve, the copy to the window (or the offscreen image) and the submission. Built
// twice: headless, and with an Xvfb server the benchmark starts for itself
// (ZR_BENCH_XVFB), presenting through a Vulkan surface.
#include <benchmark/benchmark.h>
#include <d3d11.h>
#include <windows.h>

#include <cstdlib>

#ifdef ZR_BENCH_XVFB
#include "virtual_display.h"
#endif

namespace {

void BM_ClearAndPresent(benchmark::State& state) {
#ifdef ZR_BENCH_XVFB
  static const bool started = !StartVirtualDisplay("1280x720x24").empty();
  if (!started) {
    state.SkipWithError("Xvfb did not start");
    return;
  }
#else
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
#endif
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"ZrSwapChainBench";
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, L"ZrSwapChainBench", L"swap chain bench", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 720,
                                nullptr, nullptr, nullptr, nullptr);
  // The client area gets the whole 1280x720: the frame goes around it.
  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left - client.right + 1280,
               outer.bottom - outer.top - client.bottom + 720, SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(window, SW_SHOW);

  DXGI_SWAP_CHAIN_DESC desc{};
  desc.BufferDesc = {1280,
                     720,
                     {60, 1},
                     DXGI_FORMAT_R8G8B8A8_UNORM,
                     DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED,
                     DXGI_MODE_SCALING_UNSPECIFIED};
  desc.SampleDesc = {4, 0};
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 1;
  desc.OutputWindow = window;
  desc.Windowed = TRUE;
  IDXGISwapChain* chain = nullptr;
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* context = nullptr;
  if (FAILED(D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                           &desc, &chain, &device, nullptr, &context))) {
    state.SkipWithError("no device");
    return;
  }
  ID3D11Texture2D* back = nullptr;
  ID3D11RenderTargetView* rtv = nullptr;
  chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back));
  device->CreateRenderTargetView(back, nullptr, &rtv);
  float colour[4] = {0.33f, 0.33f, 0.33f, 1.0f};
  for (auto _ : state) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    colour[0] = colour[0] > 0.9f ? 0.0f : colour[0] + 0.01f;
    context->ClearRenderTargetView(rtv, colour);
    chain->Present(0, 0);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  rtv->Release();
  back->Release();
  context->Release();
  chain->Release();
  device->Release();
  DestroyWindow(window);
}
BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
