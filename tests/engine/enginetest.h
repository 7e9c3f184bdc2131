// What the engine's tests share: a window to render into, the program's data directory
// as the current directory, the failure traces collected instead of shown, and the back
// buffer read back as plain RGBA pixels.
#pragma once

#include <gtest/gtest.h>

#include <d3d11.h>
#include <windows.h>
#include <zr_d3d11.h>
#include <zr_win32.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "engine/pipeline.h"

namespace enginetest {

// Makes dir the current directory for the object's lifetime.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& dir) : Saved(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~CurrentDirectory() { std::filesystem::current_path(Saved); }

 private:
  std::filesystem::path Saved;
};

// Collects the debugger output; failure boxes answer No at once.
class Traces {
 public:
  Traces() {
    zr::win32::SetMessageBoxAnswer(IDNO);
    zr::win32::SetDebugOutputSink(&Traces::Collect, this);
  }
  ~Traces() {
    zr::win32::SetDebugOutputSink(nullptr, nullptr);
    zr::win32::SetMessageBoxAnswer(0);
  }
  std::wstring Text() {
    std::lock_guard<std::mutex> lock(Mutex);
    return Collected;
  }
  bool Contains(const std::wstring& part) { return Text().find(part) != std::wstring::npos; }

 private:
  static void Collect(const wchar_t* text, void* user) {
    auto* self = static_cast<Traces*>(user);
    std::lock_guard<std::mutex> lock(self->Mutex);
    self->Collected += text;
  }
  std::mutex Mutex;
  std::wstring Collected;
};

// A plain window of the given size (headless where there is no display).
class TestWindow {
 public:
  TestWindow(int width, int height) {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = DefWindowProcW;
      wc.lpszClassName = L"ZrEngineTest";
      return RegisterClassExW(&wc);
    }();
    (void)atom;
    Handle = CreateWindowExW(0, L"ZrEngineTest", L"engine test", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                             nullptr, nullptr, nullptr);
  }
  ~TestWindow() {
    if (Handle) DestroyWindow(Handle);
  }
  HWND Handle = nullptr;
};

// Fails the test when the Vulkan validation layer reported anything during its lifetime.
class NoValidationMessages {
 public:
  NoValidationMessages() : Before(zr::d3d11::ValidationMessageCount()) {}
  ~NoValidationMessages() {
    EXPECT_EQ(zr::d3d11::ValidationMessageCount(), Before) << "Vulkan validation reported problems";
  }

 private:
  uint64_t Before;
};

struct Pixel {
  int r, g, b;
  int Min() const { return std::min({r, g, b}); }
};

struct Image {
  UINT Width = 0, Height = 0;
  std::vector<uint8_t> Rgba;
  Pixel At(int x, int y) const {
    const uint8_t* p = &Rgba[(static_cast<size_t>(y) * Width + x) * 4];
    return {p[0], p[1], p[2]};
  }
  // The channel-wise median of the (2r+1)^2 pixels around (x, y): a thin line over a
  // region does not change it.
  Pixel Median(int x, int y, int r = 2) const {
    std::vector<int> rs, gs, bs;
    for (int dy = -r; dy <= r; ++dy)
      for (int dx = -r; dx <= r; ++dx) {
        const int px = std::clamp(x + dx, 0, int(Width) - 1), py = std::clamp(y + dy, 0, int(Height) - 1);
        const Pixel p = At(px, py);
        rs.push_back(p.r), gs.push_back(p.g), bs.push_back(p.b);
      }
    auto mid = [](std::vector<int>& v) {
      std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
      return v[v.size() / 2];
    };
    return {mid(rs), mid(gs), mid(bs)};
  }
};

// With ZR_ENGINE_TEST_IMAGES set to a folder, writes the image there as name.ppm, to look at.
inline void KeepImage(const Image& image, const char* name) {
  const char* dir = std::getenv("ZR_ENGINE_TEST_IMAGES");
  if (!dir) return;
  std::ofstream out(std::filesystem::path(dir) / (std::string(name) + ".ppm"), std::ios::binary);
  out << "P6\n" << image.Width << " " << image.Height << "\n255\n";
  for (size_t i = 0; i < image.Rgba.size(); i += 4) out.write(reinterpret_cast<const char*>(&image.Rgba[i]), 3);
}

// The back buffer as it is now: resolved to one sample and copied to the CPU.
inline Image ReadBackBuffer(pipeline_state_t* p) {
  Image image;
  if (!p->BackBuffer) return image;
  D3D11_TEXTURE2D_DESC desc;
  p->BackBuffer->GetDesc(&desc);
  D3D11_TEXTURE2D_DESC single = desc;
  single.SampleDesc = {1, 0};
  single.BindFlags = 0;
  single.Usage = D3D11_USAGE_DEFAULT;
  ID3D11Texture2D* resolved = nullptr;
  EXPECT_EQ(p->Device->CreateTexture2D(&single, nullptr, &resolved), S_OK);
  D3D11_TEXTURE2D_DESC stagingDesc = single;
  stagingDesc.Usage = D3D11_USAGE_STAGING;
  stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  ID3D11Texture2D* staging = nullptr;
  EXPECT_EQ(p->Device->CreateTexture2D(&stagingDesc, nullptr, &staging), S_OK);
  if (resolved && staging) {
    if (desc.SampleDesc.Count > 1)
      p->Context->ResolveSubresource(resolved, 0, p->BackBuffer, 0, desc.Format);
    else
      p->Context->CopyResource(resolved, p->BackBuffer);
    p->Context->CopyResource(staging, resolved);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (p->Context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped) == S_OK) {
      image.Width = desc.Width;
      image.Height = desc.Height;
      image.Rgba.resize(static_cast<size_t>(desc.Width) * desc.Height * 4);
      for (UINT y = 0; y < desc.Height; ++y)
        std::copy_n(static_cast<const uint8_t*>(mapped.pData) + static_cast<size_t>(y) * mapped.RowPitch,
                    desc.Width * 4, &image.Rgba[static_cast<size_t>(y) * desc.Width * 4]);
      p->Context->Unmap(staging, 0);
    }
  }
  if (staging) staging->Release();
  if (resolved) resolved->Release();
  return image;
}

// The bytes of a buffer, copied through a staging buffer.
inline std::vector<uint8_t> ReadBuffer(pipeline_state_t* p, ID3D11Buffer* buffer) {
  std::vector<uint8_t> bytes;
  if (!buffer) return bytes;
  D3D11_BUFFER_DESC desc;
  buffer->GetDesc(&desc);
  D3D11_BUFFER_DESC stagingDesc{};
  stagingDesc.ByteWidth = desc.ByteWidth;
  stagingDesc.Usage = D3D11_USAGE_STAGING;
  stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  ID3D11Buffer* staging = nullptr;
  EXPECT_EQ(p->Device->CreateBuffer(&stagingDesc, nullptr, &staging), S_OK);
  if (!staging) return bytes;
  p->Context->CopyResource(staging, buffer);
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (p->Context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped) == S_OK) {
    bytes.assign(static_cast<const uint8_t*>(mapped.pData), static_cast<const uint8_t*>(mapped.pData) + desc.ByteWidth);
    p->Context->Unmap(staging, 0);
  }
  staging->Release();
  return bytes;
}

}  // namespace enginetest
