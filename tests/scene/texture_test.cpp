// Primitive::SetTexture on a real device: the DDS file's texels reach the view's texture,
// a failed load keeps the view it had, a later load replaces (and releases) it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <d3d11.h>
#include <windows.h>
#include <zr_d3d11.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/pipeline.h"
#include "scene/primitive.h"
#include "scene/shapes.h"

namespace {

constexpr UINT Size = 2;

// A 2x2 R8G8B8A8 DDS file without the DX10 extension, one mip level.
std::wstring WriteDds(const std::string& name, const std::vector<std::uint32_t>& texels) {
  std::uint32_t header[32] = {};
  header[0] = 0x20534444;  // "DDS "
  header[1] = 124;
  header[2] = 0x1007;  // caps, height, width, pixel format
  header[3] = Size;
  header[4] = Size;
  header[7] = 1;
  header[19] = 32;    // pixel-format size
  header[20] = 0x41;  // RGB with alpha
  header[22] = 32;
  header[23] = 0x000000FF;
  header[24] = 0x0000FF00;
  header[25] = 0x00FF0000;
  header[26] = 0xFF000000;
  header[27] = 0x1000;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("zr_scene_" + std::to_string(getpid()) + "_" + name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  out.write(reinterpret_cast<const char*>(texels.data()), texels.size() * 4);
  return path.wstring();
}

class SceneTexture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                &Pipeline.Device, nullptr, &Pipeline.Context),
              S_OK);
    Pipeline.Sync = &Sync;
    ValidationBefore = zr::d3d11::ValidationMessageCount();
  }
  void TearDown() override {
    for (const std::wstring& file : Files) std::filesystem::remove(file);
    if (Pipeline.Context) Pipeline.Context->Release();
    if (Pipeline.Device) Pipeline.Device->Release();
    EXPECT_EQ(zr::d3d11::ValidationMessageCount(), ValidationBefore) << "Vulkan validation reported problems";
  }

  const wchar_t* Dds(const std::string& name, const std::vector<std::uint32_t>& texels) {
    Files.push_back(WriteDds(name, texels));
    return Files.back().c_str();
  }

  // The texels of the view's texture, read back through a staging copy.
  std::vector<std::uint32_t> ReadBack(ID3D11ShaderResourceView* view) {
    ID3D11Resource* resource = nullptr;
    view->GetResource(&resource);
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = Size;
    desc.Height = Size;
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.Usage = D3D11_USAGE_STAGING;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ID3D11Texture2D* staging = nullptr;
    EXPECT_EQ(Pipeline.Device->CreateTexture2D(&desc, nullptr, &staging), S_OK);
    Pipeline.Context->CopyResource(staging, resource);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    EXPECT_EQ(Pipeline.Context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped), S_OK);
    std::vector<std::uint32_t> texels(Size * Size);
    for (UINT row = 0; row < Size; ++row)
      std::memcpy(&texels[row * Size], static_cast<const char*>(mapped.pData) + row * mapped.RowPitch, Size * 4);
    Pipeline.Context->Unmap(staging, 0);
    staging->Release();
    resource->Release();
    return texels;
  }

  InitSync Sync;
  pipeline_state_t Pipeline;
  std::vector<std::wstring> Files;
  uint64_t ValidationBefore = 0;
};

TEST_F(SceneTexture, SetTextureLoadsKeepsOnFailureAndReplaces) {
  const std::vector<std::uint32_t> first = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0x80FFFFFFu};
  const std::vector<std::uint32_t> second = {0x01020304u, 0x05060708u, 0x090A0B0Cu, 0x0D0E0F10u};
  Primitive cube(Cube, &Pipeline, nullptr, false);
  ASSERT_EQ(*cube.GetTextureView(), nullptr);

  cube.SetTexture(Dds("first.dds", first));
  ID3D11ShaderResourceView* view = *cube.GetTextureView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(cube.TextureResource, nullptr);
  EXPECT_EQ(ReadBack(view), first);

  // A file that does not load is traced and changes nothing.
  cube.SetTexture(L"no_such_texture.dds");
  EXPECT_EQ(*cube.GetTextureView(), view);

  // A new view takes the place of the old one, which is released.
  view->AddRef();
  cube.SetTexture(Dds("second.dds", second));
  ASSERT_NE(*cube.GetTextureView(), nullptr);
  EXPECT_NE(*cube.GetTextureView(), view);
  EXPECT_EQ(ReadBack(*cube.GetTextureView()), second);
  EXPECT_EQ(view->Release(), 0u);
}

TEST_F(SceneTexture, OwnersReleaseTheirViews) {
  const wchar_t* file = Dds("owned.dds", {1, 2, 3, 4});
  ID3D11ShaderResourceView* fromPrimitive = nullptr;
  {
    Primitive point(Point, &Pipeline, nullptr, false);
    point.SetTexture(file);
    fromPrimitive = point.TextureView;
    ASSERT_NE(fromPrimitive, nullptr);
    fromPrimitive->AddRef();
  }
  EXPECT_EQ(fromPrimitive->Release(), 0u);

  // The sky cube holder loads its texture whatever its kind, and releases it too.
  ID3D11ShaderResourceView* fromHolder = nullptr;
  {
    SkyCubeHolder holder(&Pipeline, Point, file);
    EXPECT_EQ(*holder.GetGeometry(), nullptr);
    fromHolder = *holder.GetTextureView();
    ASSERT_NE(fromHolder, nullptr);
    EXPECT_EQ(ReadBack(fromHolder), (std::vector<std::uint32_t>{1, 2, 3, 4}));
    fromHolder->AddRef();
  }
  EXPECT_EQ(fromHolder->Release(), 0u);
}

}  // namespace
