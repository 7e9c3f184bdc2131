// With a display: each test process starts its own Xvfb server on a free display
// before any window exists, so windows are SDL windows and the swap chain presents
// through a Vulkan surface. What Present showed is read back from the X server.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "swapchain/swapchain_fixture.h"
#include "virtual_display.h"

// Last: Xlib's macros (None, Bool, Status), which SDL_syswm.h brings in too, would
// break the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace swapchaintest {
namespace {

// Starts Xvfb before any window exists and points DISPLAY at it.
class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_FALSE(StartVirtualDisplay("320x240x24").empty()) << "Xvfb did not start"; }
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Reads the window's pixels from the X server.
class XWindowReader {
 public:
  explicit XWindowReader(HWND window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    auto* sdl = static_cast<SDL_Window*>(zr::win32::NativeWindow(window));
    if (sdl && SDL_GetWindowWMInfo(sdl, &info) && info.subsystem == SDL_SYSWM_X11) xwindow_ = info.info.x11.window;
    display_ = XOpenDisplay(nullptr);
    XSetErrorHandler(IgnoreXError);
  }
  ~XWindowReader() {
    if (display_) XCloseDisplay(display_);
  }
  bool Valid() const { return display_ && xwindow_; }
  // The texel at (x, y), or nothing while the window cannot be read (not mapped yet).
  bool At(int x, int y, Rgba* texel) {
    XImage* image = XGetImage(display_, xwindow_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    unsigned long p = XGetPixel(image, 0, 0);
    auto channel = [p](unsigned long mask) {
      int shift = 0;
      while (mask && !(mask & 1)) mask >>= 1, ++shift;
      return static_cast<uint8_t>((p >> shift) & mask);
    };
    *texel = {channel(image->red_mask), channel(image->green_mask), channel(image->blue_mask), 255};
    XDestroyImage(image);
    return true;
  }

 private:
  Display* display_ = nullptr;
  ::Window xwindow_ = 0;
};

// Presents until the X server shows `want` at (x, y) (the window is mapped and sized
// by the server after a short while) or a few seconds have gone.
bool ShowsAfterPresents(IDXGISwapChain* chain, XWindowReader& reader, int x, int y, Rgba want, Rgba* seen) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < until) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(chain->Present(0, 0), S_OK);
    if (reader.At(x, y, seen) && *seen == want) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

SWAPCHAIN_TEST(WindowIsAnSdlWindow) {
  Make(16, 16, 16, 16);
  EXPECT_FALSE(zr::win32::IsHeadless());
  EXPECT_NE(zr::win32::NativeWindow(window), nullptr);
}

SWAPCHAIN_TEST(PresentShowsTheFrameInTheWindowAndFollowsAResize) {
  Make(64, 48, 0, 0);
  XWindowReader reader(window);
  ASSERT_TRUE(reader.Valid());
  DrawFrame(kGreen);
  Rgba seen{};
  EXPECT_TRUE(ShowsAfterPresents(chain, reader, 56, 24, kGreenTexel, &seen))
      << int(seen[0]) << "," << int(seen[1]) << "," << int(seen[2]);
  EXPECT_TRUE(reader.At(8, 24, &seen));
  EXPECT_EQ(seen, kBlueTexel);

  // A larger window: the old Vulkan swapchain no longer fits and is replaced.
  SetClientSize(window, 120, 90);
  ASSERT_EQ(chain->ResizeBuffers(0, 0, 0, DXGI_FORMAT_UNKNOWN, 0), S_OK);
  DXGI_SWAP_CHAIN_DESC desc{};
  ASSERT_EQ(chain->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.BufferDesc.Width, 120u);
  EXPECT_EQ(desc.BufferDesc.Height, 90u);
  DrawFrame(kRed);
  EXPECT_TRUE(ShowsAfterPresents(chain, reader, 116, 86, kRedTexel, &seen))
      << int(seen[0]) << "," << int(seen[1]) << "," << int(seen[2]);
  EXPECT_TRUE(reader.At(4, 86, &seen));
  EXPECT_EQ(seen, kBlueTexel);
  EXPECT_EQ(chain->Present(1, 0), S_OK);
}

}  // namespace
}  // namespace swapchaintest
