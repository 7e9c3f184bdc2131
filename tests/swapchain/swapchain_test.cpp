// The swap chain as the engine uses it, the same with or without a display: the back
// buffer drawn, read back and presented; resizing refused while the back buffer is
// referenced; a minimised window; calls DXGI refuses.
#include <functional>

#include "swapchain/swapchain_fixture.h"

namespace swapchaintest {
namespace {

SWAPCHAIN_TEST(DrawnBackBufferReadsBackAndIsWhatPresentShows) {
  Make(64, 48, 64, 48);
  DXGI_SWAP_CHAIN_DESC desc{};
  ASSERT_EQ(chain->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.BufferDesc.Width, 64u);
  EXPECT_EQ(desc.BufferDesc.Height, 48u);
  EXPECT_EQ(desc.SampleDesc.Count, 8u);
  EXPECT_EQ(desc.BufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);

  DrawFrame(kGreen);
  Com<ID3D11Texture2D> back;
  ASSERT_EQ(chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back)), S_OK);
  Image drawn = ReadBack(device, context, back);
  ASSERT_EQ(drawn.width, 64u);
  ASSERT_EQ(drawn.height, 48u);
  EXPECT_EQ(drawn.At(8, 24), kBlueTexel);
  EXPECT_EQ(drawn.At(56, 24), kGreenTexel);

  EXPECT_EQ(chain->Present(0, 0), S_OK);
  Image shown = Presented(chain);
  EXPECT_EQ(shown.width, 64u);
  EXPECT_EQ(shown.height, 48u);
  EXPECT_EQ(shown.texels, drawn.texels);

  // The next frame, presented with vertical sync, replaces it.
  back.Reset();
  DrawFrame(kRed);
  EXPECT_EQ(chain->Present(1, 0), S_OK);
  shown = Presented(chain);
  EXPECT_EQ(shown.At(56, 24), kRedTexel);
  EXPECT_EQ(shown.At(8, 24), kBlueTexel);
  UINT count = 0;
  EXPECT_EQ(chain->GetLastPresentCount(&count), S_OK);
  EXPECT_EQ(count, 2u);
}

SWAPCHAIN_TEST(ZeroSizeTakesTheClientArea) {
  Make(80, 40, 0, 0);
  DXGI_SWAP_CHAIN_DESC desc{};
  ASSERT_EQ(chain->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.BufferDesc.Width, 80u);
  EXPECT_EQ(desc.BufferDesc.Height, 40u);
  Com<ID3D11Texture2D> back;
  ASSERT_EQ(chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back)), S_OK);
  D3D11_TEXTURE2D_DESC td{};
  back->GetDesc(&td);
  EXPECT_EQ(td.Width, 80u);
  EXPECT_EQ(td.Height, 40u);
  EXPECT_EQ(td.SampleDesc.Count, 8u);
  EXPECT_NE(td.BindFlags & D3D11_BIND_RENDER_TARGET, 0u);
}

// One way of keeping the back buffer referenced: `hold` takes a reference and returns
// what lets go of it again.
struct Holder {
  const char* what;
  std::function<std::function<void()>(ID3D11Device*, ID3D11DeviceContext* immediate, ID3D11DeviceContext* deferred,
                                      ID3D11Texture2D* back)>
      hold;
};

ID3D11RenderTargetView* ViewOn(ID3D11Device* device, ID3D11Texture2D* back) {
  ID3D11RenderTargetView* rtv = nullptr;
  EXPECT_EQ(device->CreateRenderTargetView(back, nullptr, &rtv), S_OK);
  return rtv;
}

const Holder kHolders[] = {
    {"the application's pointer",
     [](ID3D11Device*, ID3D11DeviceContext*, ID3D11DeviceContext*, ID3D11Texture2D* back) {
       back->AddRef();
       return std::function<void()>([back] { back->Release(); });
     }},
    {"a view on it",
     [](ID3D11Device* device, ID3D11DeviceContext*, ID3D11DeviceContext*, ID3D11Texture2D* back) {
       ID3D11RenderTargetView* rtv = ViewOn(device, back);
       return std::function<void()>([rtv] { rtv->Release(); });
     }},
    {"a view bound on the immediate context",
     [](ID3D11Device* device, ID3D11DeviceContext* immediate, ID3D11DeviceContext*, ID3D11Texture2D* back) {
       ID3D11RenderTargetView* rtv = ViewOn(device, back);
       immediate->OMSetRenderTargets(1, &rtv, nullptr);
       rtv->Release();
       return std::function<void()>([immediate] { immediate->OMSetRenderTargets(0, nullptr, nullptr); });
     }},
    // The engine's frame and resize: the deferred context keeps its state from one list to
    // the next, and a resize records the unbinding of the targets before ResizeBuffers.
    {"a view bound on a deferred context that kept its state",
     [](ID3D11Device* device, ID3D11DeviceContext* immediate, ID3D11DeviceContext* deferred, ID3D11Texture2D* back) {
       ID3D11RenderTargetView* rtv = ViewOn(device, back);
       deferred->OMSetRenderTargets(1, &rtv, nullptr);
       deferred->ClearRenderTargetView(rtv, kGreen);
       ID3D11CommandList* list = nullptr;
       EXPECT_EQ(deferred->FinishCommandList(TRUE, &list), S_OK);
       immediate->ExecuteCommandList(list, TRUE);
       list->Release();
       rtv->Release();
       return std::function<void()>([deferred] { deferred->OMSetRenderTargets(0, nullptr, nullptr); });
     }},
    {"a command list that names a view on it",
     [](ID3D11Device* device, ID3D11DeviceContext*, ID3D11DeviceContext* deferred, ID3D11Texture2D* back) {
       ID3D11RenderTargetView* rtv = ViewOn(device, back);
       deferred->OMSetRenderTargets(1, &rtv, nullptr);
       deferred->ClearRenderTargetView(rtv, kGreen);
       ID3D11CommandList* list = nullptr;
       EXPECT_EQ(deferred->FinishCommandList(FALSE, &list), S_OK);
       rtv->Release();
       return std::function<void()>([list] { list->Release(); });
     }},
};

SWAPCHAIN_TEST(ResizeBuffersRefusesWhileTheBackBufferIsReferenced) {
  Make(64, 48, 64, 48);
  Com<ID3D11DeviceContext> deferred;
  ASSERT_EQ(device->CreateDeferredContext(0, &deferred), S_OK);
  UINT width = 64;
  for (const Holder& holder : kHolders) {
    SCOPED_TRACE(holder.what);
    std::function<void()> letGo;
    {
      Com<ID3D11Texture2D> back;
      ASSERT_EQ(chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back)), S_OK);
      letGo = holder.hold(device, context, deferred, back);
    }
    DebugOutput output;
    EXPECT_EQ(chain->ResizeBuffers(0, width - 8, 40, DXGI_FORMAT_UNKNOWN, 0), DXGI_ERROR_INVALID_CALL);
    ASSERT_FALSE(output.Lines().empty());
    EXPECT_NE(output.Lines()[0].find("ResizeBuffers"), std::string::npos) << output.Lines()[0];
    DXGI_SWAP_CHAIN_DESC desc{};
    ASSERT_EQ(chain->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.BufferDesc.Width, width);

    letGo();
    width -= 8;
    EXPECT_EQ(chain->ResizeBuffers(0, width, 40, DXGI_FORMAT_UNKNOWN, 0), S_OK);
    ASSERT_EQ(chain->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.BufferDesc.Width, width);
    EXPECT_EQ(desc.BufferDesc.Height, 40u);
    EXPECT_EQ(desc.BufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(desc.SampleDesc.Count, 8u);
  }
  // The new buffer is drawn and presented at its size.
  DrawFrame(kGreen);
  EXPECT_EQ(chain->Present(0, 0), S_OK);
  Image shown = Presented(chain);
  EXPECT_EQ(shown.width, width);
  EXPECT_EQ(shown.height, 40u);
  EXPECT_EQ(shown.At(width - 2, 20), kGreenTexel);
}

SWAPCHAIN_TEST(MinimisedWindowIsNotPresentedToAndResizesToOnePixel) {
  Make(64, 48, 0, 0);
  DrawFrame(kGreen);
  EXPECT_EQ(chain->Present(0, 0), S_OK);

  ShowWindow(window, SW_MINIMIZE);
  EXPECT_EQ(chain->Present(0, DXGI_PRESENT_TEST), DXGI_STATUS_OCCLUDED);
  EXPECT_EQ(chain->Present(0, 0), DXGI_STATUS_OCCLUDED);
  EXPECT_EQ(chain->Present(1, 0), DXGI_STATUS_OCCLUDED);
  // The engine resizes to the zero-sized client area.
  EXPECT_EQ(chain->ResizeBuffers(0, 0, 0, DXGI_FORMAT_UNKNOWN, 0), S_OK);
  DXGI_SWAP_CHAIN_DESC desc{};
  ASSERT_EQ(chain->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.BufferDesc.Width, 1u);
  EXPECT_EQ(desc.BufferDesc.Height, 1u);
  DrawFrame(kRed);
  EXPECT_EQ(chain->Present(0, 0), DXGI_STATUS_OCCLUDED);

  ShowWindow(window, SW_RESTORE);
  EXPECT_EQ(chain->ResizeBuffers(0, 0, 0, DXGI_FORMAT_UNKNOWN, 0), S_OK);
  ASSERT_EQ(chain->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.BufferDesc.Width, 64u);
  EXPECT_EQ(desc.BufferDesc.Height, 48u);
  DrawFrame(kRed);
  EXPECT_EQ(chain->Present(0, DXGI_PRESENT_TEST), S_OK);
  EXPECT_EQ(chain->Present(0, 0), S_OK);
  Image shown = Presented(chain);
  EXPECT_EQ(shown.width, 64u);
  EXPECT_EQ(shown.At(60, 24), kRedTexel);
}

SWAPCHAIN_TEST(RefusedCalls) {
  Make(32, 32, 32, 32);
  void* out = nullptr;
  EXPECT_EQ(chain->Present(5, 0), DXGI_ERROR_INVALID_CALL);
  EXPECT_EQ(chain->GetBuffer(1, __uuidof(ID3D11Texture2D), &out), DXGI_ERROR_INVALID_CALL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(chain->GetBuffer(0, __uuidof(ID3D11Buffer), &out), E_NOINTERFACE);
  EXPECT_EQ(chain->ResizeBuffers(0, 16, 16, DXGI_FORMAT_D24_UNORM_S8_UINT, 0), DXGI_ERROR_INVALID_CALL);
  EXPECT_EQ(chain->ResizeBuffers(17, 16, 16, DXGI_FORMAT_UNKNOWN, 0), DXGI_ERROR_INVALID_CALL);
  EXPECT_EQ(chain->SetFullscreenState(TRUE, nullptr), DXGI_ERROR_NOT_CURRENTLY_AVAILABLE);
  Com<ID3D11Device> owner;
  EXPECT_EQ(chain->GetDevice(__uuidof(ID3D11Device), reinterpret_cast<void**>(&owner)), S_OK);
  EXPECT_EQ(owner.p, device.p);

  struct Bad {
    const char* what;
    void (*change)(DXGI_SWAP_CHAIN_DESC&);
  };
  const Bad bad[] = {
      {"no window", [](DXGI_SWAP_CHAIN_DESC& d) { d.OutputWindow = nullptr; }},
      {"no buffers", [](DXGI_SWAP_CHAIN_DESC& d) { d.BufferCount = 0; }},
      {"a depth format", [](DXGI_SWAP_CHAIN_DESC& d) { d.BufferDesc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT; }},
      {"a sample quality", [](DXGI_SWAP_CHAIN_DESC& d) { d.SampleDesc.Quality = 1; }},
      {"no samples", [](DXGI_SWAP_CHAIN_DESC& d) { d.SampleDesc.Count = 0; }},
      {"a multisampled flip model",
       [](DXGI_SWAP_CHAIN_DESC& d) {
         d.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
         d.BufferCount = 2;
       }},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.what);
    DXGI_SWAP_CHAIN_DESC desc = EngineDesc(window, 32, 32);
    b.change(desc);
    IDXGISwapChain* badChain = reinterpret_cast<IDXGISwapChain*>(1);
    ID3D11Device* badDevice = reinterpret_cast<ID3D11Device*>(1);
    ID3D11DeviceContext* badContext = reinterpret_cast<ID3D11DeviceContext*>(1);
    EXPECT_EQ(D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                            D3D11_SDK_VERSION, &desc, &badChain, &badDevice, nullptr, &badContext),
              DXGI_ERROR_INVALID_CALL);
    EXPECT_EQ(badChain, nullptr);
    EXPECT_EQ(badDevice, nullptr);
    EXPECT_EQ(badContext, nullptr);
  }
}

}  // namespace
}  // namespace swapchaintest
