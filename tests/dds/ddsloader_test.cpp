#include <gtest/gtest.h>

#include <d3d11.h>
#include <windows.h>
#include <zr_d3d11.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ddsbytes.h"
#include "scene/ddstextureloader.h"

namespace {

constexpr HRESULT NotSupported = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
constexpr HRESULT InvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
constexpr HRESULT HandleEof = HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);

// Marks a destination the loader must leave alone on failure.
template <typename T>
T* Untouched() {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(0x5A5A5A50));
}

class DdsLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &Device,
                                nullptr, &Context),
              S_OK);
    ValidationBefore = zr::d3d11::ValidationMessageCount();
  }
  void TearDown() override {
    if (Context) Context->Release();
    if (Device) Device->Release();
    EXPECT_EQ(zr::d3d11::ValidationMessageCount(), ValidationBefore) << "Vulkan validation reported problems";
  }

  // Loads the image and checks that a failure leaves both destinations as they were.
  HRESULT Load(const std::vector<uint8_t>& bytes, ID3D11Resource** texture, ID3D11ShaderResourceView** view,
               size_t maxsize = 0) {
    *texture = Untouched<ID3D11Resource>();
    *view = Untouched<ID3D11ShaderResourceView>();
    const HRESULT hr = CreateTextureFromDdsBytes(Device, bytes.data(), bytes.size(), texture, view, maxsize);
    if (FAILED(hr)) {
      EXPECT_EQ(*texture, Untouched<ID3D11Resource>());
      EXPECT_EQ(*view, Untouched<ID3D11ShaderResourceView>());
      *texture = nullptr;
      *view = nullptr;
    }
    return hr;
  }

  ID3D11Device* Device = nullptr;
  ID3D11DeviceContext* Context = nullptr;
  uint64_t ValidationBefore = 0;
};

std::vector<uint8_t> WithSize(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

DdsSpec Rgba(uint32_t width, uint32_t height, uint32_t mips, size_t texelBytes) {
  DdsSpec s;
  s.width = width;
  s.height = height;
  s.mips = mips;
  s.texelBytes = texelBytes;
  return s;
}

TEST_F(DdsLoader, MalformedImagesGiveTheirStatus) {
  DdsSpec badMagicSpec = Rgba(4, 4, 1, 64);
  std::vector<uint8_t> badMagic = MakeDds(badMagicSpec);
  badMagic[0] = 'X';
  std::vector<uint8_t> badHeaderSize = MakeDds(Rgba(4, 4, 1, 64));
  badHeaderSize[4] = 123;
  std::vector<uint8_t> badFormatSize = MakeDds(Rgba(4, 4, 1, 64));
  badFormatSize[76] = 24;

  DdsSpec rgb24 = Rgba(4, 4, 1, 48);
  rgb24.bits = 24;
  rgb24.masks[3] = 0;
  DdsSpec partialCube = Rgba(4, 4, 1, 6 * 64);
  partialCube.caps2 = 0x200 | 0x400 | 0x800;
  DdsSpec mips16 = Rgba(4, 4, 16, 4096);
  DdsSpec wide = Rgba(16385, 1, 1, 16385 * 4);
  DdsSpec volumeTooDeep = Rgba(1, 1, 1, 2049 * 4);
  volumeTooDeep.flags |= 0x800000;
  volumeTooDeep.depth = 2049;
  DdsSpec dx10Array0 = Dx10(28, 3, 0);
  dx10Array0.texelBytes = 64;
  DdsSpec dx10Format100 = Dx10(100, 3, 1);
  dx10Format100.texelBytes = 64;
  DdsSpec dx10Tall1D = Dx10(28, 2, 1);
  dx10Tall1D.height = 2;
  dx10Tall1D.texelBytes = 64;
  DdsSpec dx10FlatVolume = Dx10(28, 4, 1);
  dx10FlatVolume.depth = 2;
  dx10FlatVolume.texelBytes = 128;
  DdsSpec dx10VolumeArray = Dx10(28, 4, 2);
  dx10VolumeArray.flags |= 0x800000;
  dx10VolumeArray.depth = 1;
  dx10VolumeArray.texelBytes = 128;
  DdsSpec dx10Buffer = Dx10(28, 1, 1);
  dx10Buffer.texelBytes = 64;
  DdsSpec dx10BigArray = Dx10(28, 3, 342);  // a cube array of 342 x 6 = 2052 faces
  dx10BigArray.miscFlag = 0x4;
  dx10BigArray.texelBytes = 64;

  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    HRESULT want;
  } cases[] = {
      {"127 bytes", WithSize(MakeDds(Rgba(4, 4, 1, 0)), 127), E_FAIL},
      {"header only, texels missing", MakeDds(Rgba(4, 4, 1, 0)), HandleEof},
      {"last mip one byte short", MakeDds(Rgba(4, 4, 3, 64 + 16 + 4 - 1)), HandleEof},
      {"bad magic", badMagic, E_FAIL},
      {"bad header size", badHeaderSize, E_FAIL},
      {"bad pixel-format size", badFormatSize, E_FAIL},
      {"DX10 announced, extension cut", WithSize(MakeDds(Dx10(28, 3, 1)), 140), E_FAIL},
      {"24-bit RGB", MakeDds(rgb24), NotSupported},
      {"cube with some faces", MakeDds(partialCube), NotSupported},
      {"16 mip levels", MakeDds(mips16), NotSupported},
      {"wider than 16384", MakeDds(wide), NotSupported},
      {"volume deeper than 2048", MakeDds(volumeTooDeep), NotSupported},
      {"DX10 array size 0", MakeDds(dx10Array0), InvalidData},
      {"DX10 format 100", MakeDds(dx10Format100), NotSupported},
      {"DX10 1D with height 2", MakeDds(dx10Tall1D), InvalidData},
      {"DX10 3D without volume flag", MakeDds(dx10FlatVolume), InvalidData},
      {"DX10 3D array", MakeDds(dx10VolumeArray), NotSupported},
      {"DX10 buffer dimension", MakeDds(dx10Buffer), NotSupported},
      {"DX10 more than 2048 faces", MakeDds(dx10BigArray), NotSupported},
  };
  for (const auto& c : cases) {
    ID3D11Resource* texture;
    ID3D11ShaderResourceView* view;
    EXPECT_EQ(Load(c.bytes, &texture, &view), c.want) << c.name;
  }
}

TEST_F(DdsLoader, NullArgumentsAreRefused) {
  const std::vector<uint8_t> bytes = MakeDds(Rgba(4, 4, 1, 64));
  ID3D11Resource* texture = nullptr;
  ID3D11ShaderResourceView* view = nullptr;
  EXPECT_EQ(CreateTextureFromDdsBytes(nullptr, bytes.data(), bytes.size(), &texture, &view), E_INVALIDARG);
  EXPECT_EQ(CreateTextureFromDdsBytes(Device, nullptr, bytes.size(), &texture, &view), E_INVALIDARG);
  EXPECT_EQ(CreateTextureFromDdsBytes(Device, bytes.data(), bytes.size(), nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(CreateDDSTextureFromFile(nullptr, L"x.dds", &texture, &view), E_INVALIDARG);
  EXPECT_EQ(CreateDDSTextureFromFile(Device, nullptr, &texture, &view), E_INVALIDARG);
  EXPECT_EQ(CreateDDSTextureFromFile(Device, L"x.dds", nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(view, nullptr);
}

// What the created texture and view say about themselves.
struct Made {
  D3D11_RESOURCE_DIMENSION dimension;
  UINT width, height, depthOrArray, mips;
  DXGI_FORMAT format;
  UINT misc;
  D3D11_SRV_DIMENSION view;
};

Made Describe(ID3D11Resource* texture, ID3D11ShaderResourceView* view) {
  Made m{};
  texture->GetType(&m.dimension);
  if (m.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE1D) {
    D3D11_TEXTURE1D_DESC d;
    static_cast<ID3D11Texture1D*>(texture)->GetDesc(&d);
    m = {m.dimension, d.Width, 1, d.ArraySize, d.MipLevels, d.Format, d.MiscFlags, {}};
  } else if (m.dimension == D3D11_RESOURCE_DIMENSION_TEXTURE2D) {
    D3D11_TEXTURE2D_DESC d;
    static_cast<ID3D11Texture2D*>(texture)->GetDesc(&d);
    m = {m.dimension, d.Width, d.Height, d.ArraySize, d.MipLevels, d.Format, d.MiscFlags, {}};
  } else {
    D3D11_TEXTURE3D_DESC d;
    static_cast<ID3D11Texture3D*>(texture)->GetDesc(&d);
    m = {m.dimension, d.Width, d.Height, d.Depth, d.MipLevels, d.Format, d.MiscFlags, {}};
  }
  D3D11_SHADER_RESOURCE_VIEW_DESC v;
  view->GetDesc(&v);
  m.view = v.ViewDimension;
  return m;
}

TEST_F(DdsLoader, ValidImagesMakeTheirTextureAndView) {
  DdsSpec cube = Rgba(4, 4, 3, 6 * (64 + 16 + 4));
  cube.caps2 = 0xFE00;
  DdsSpec noMipCount = Rgba(4, 2, 0, 32);
  DdsSpec volume = Rgba(4, 4, 1, 4 * 64);
  volume.flags |= 0x800000;
  volume.depth = 4;
  DdsSpec line = Dx10(28, 2, 1);
  line.width = 8;
  line.height = 1;
  line.texelBytes = 32;
  DdsSpec array = Dx10(28, 3, 3);
  array.texelBytes = 3 * 64;
  DdsSpec cubeArray = Dx10(28, 3, 2);
  cubeArray.miscFlag = 0x4;
  cubeArray.texelBytes = 12 * 64;
  DdsSpec bgra = Rgba(4, 4, 1, 64);
  bgra.masks[0] = 0x00FF0000;
  bgra.masks[2] = 0x000000FF;
  DdsSpec extra = Rgba(4, 4, 1, 64 + 100);  // bytes after the last level are ignored

  using R = D3D11_RESOURCE_DIMENSION;
  const struct {
    const char* name;
    DdsSpec spec;
    Made want;
  } cases[] = {
      {"2D with 3 levels",
       Rgba(4, 4, 3, 64 + 16 + 4),
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 4, 1, 3, DXGI_FORMAT_R8G8B8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE2D}},
      {"mip count 0 is one level",
       noMipCount,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 2, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE2D}},
      {"cube",
       cube,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 4, 6, 3, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_RESOURCE_MISC_TEXTURECUBE,
        D3D11_SRV_DIMENSION_TEXTURECUBE}},
      {"volume",
       volume,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE3D, 4, 4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE3D}},
      {"DX10 1D",
       line,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE1D, 8, 1, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE1D}},
      {"DX10 2D array",
       array,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 4, 3, 1, DXGI_FORMAT_R8G8B8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE2DARRAY}},
      {"DX10 cube array",
       cubeArray,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 4, 12, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_RESOURCE_MISC_TEXTURECUBE,
        D3D11_SRV_DIMENSION_TEXTURECUBEARRAY}},
      {"BGRA masks",
       bgra,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 4, 1, 1, DXGI_FORMAT_B8G8R8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE2D}},
      {"bytes after the last level",
       extra,
       {R::D3D11_RESOURCE_DIMENSION_TEXTURE2D, 4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, 0,
        D3D11_SRV_DIMENSION_TEXTURE2D}},
  };
  for (const auto& c : cases) {
    ID3D11Resource* texture;
    ID3D11ShaderResourceView* view;
    ASSERT_EQ(Load(MakeDds(c.spec), &texture, &view), S_OK) << c.name;
    ASSERT_NE(texture, nullptr) << c.name;
    ASSERT_NE(view, nullptr) << c.name;
    const Made got = Describe(texture, view);
    EXPECT_EQ(got.dimension, c.want.dimension) << c.name;
    EXPECT_EQ(got.width, c.want.width) << c.name;
    EXPECT_EQ(got.height, c.want.height) << c.name;
    EXPECT_EQ(got.depthOrArray, c.want.depthOrArray) << c.name;
    EXPECT_EQ(got.mips, c.want.mips) << c.name;
    EXPECT_EQ(got.format, c.want.format) << c.name;
    EXPECT_EQ(got.misc, c.want.misc) << c.name;
    EXPECT_EQ(got.view, c.want.view) << c.name;
    view->Release();
    texture->Release();
  }
}

TEST_F(DdsLoader, TexelsReachTheTexture) {
  // A 2x2 image with its 1x1 second level; both levels are read back through staging copies.
  const std::vector<uint8_t> bytes = MakeDds(Rgba(2, 2, 2, 16 + 4));
  ID3D11Resource* texture;
  ID3D11ShaderResourceView* view;
  ASSERT_EQ(Load(bytes, &texture, &view), S_OK);
  const struct {
    UINT level, size;
    size_t offset;
  } levels[] = {{0, 2, 0}, {1, 1, 16}};
  for (const auto& level : levels) {
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = desc.Height = level.size;
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.Usage = D3D11_USAGE_STAGING;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ID3D11Texture2D* staging = nullptr;
    ASSERT_EQ(Device->CreateTexture2D(&desc, nullptr, &staging), S_OK);
    Context->CopySubresourceRegion(staging, 0, 0, 0, 0, texture, level.level, nullptr);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    ASSERT_EQ(Context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped), S_OK);
    for (UINT y = 0; y < level.size; ++y)
      for (UINT i = 0; i < level.size * 4; ++i)
        EXPECT_EQ(static_cast<const uint8_t*>(mapped.pData)[y * mapped.RowPitch + i],
                  bytes[128 + level.offset + y * level.size * 4 + i])
            << "level " << level.level << " row " << y << " byte " << i;
    Context->Unmap(staging, 0);
    staging->Release();
  }
  view->Release();
  texture->Release();
}

TEST_F(DdsLoader, OneDestinationIsEnough) {
  const std::vector<uint8_t> bytes = MakeDds(Rgba(4, 4, 1, 64));
  ID3D11Resource* texture = nullptr;
  ASSERT_EQ(CreateTextureFromDdsBytes(Device, bytes.data(), bytes.size(), &texture, nullptr), S_OK);
  ASSERT_NE(texture, nullptr);
  texture->Release();
  ID3D11ShaderResourceView* view = nullptr;
  ASSERT_EQ(CreateTextureFromDdsBytes(Device, bytes.data(), bytes.size(), nullptr, &view), S_OK);
  ASSERT_NE(view, nullptr);
  ID3D11Resource* viewed = nullptr;
  view->GetResource(&viewed);
  ASSERT_NE(viewed, nullptr);  // the view keeps the texture alive
  viewed->Release();
  view->Release();
}

std::wstring Wide(const std::filesystem::path& path) { return path.wstring(); }

TEST_F(DdsLoader, FilesAreReadWhole) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "dds_loader_test";
  std::filesystem::create_directories(dir);
  auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return Wide(dir / name);
  };
  const std::wstring good = write("good.dds", MakeDds(Rgba(4, 4, 3, 64 + 16 + 4)));
  const std::wstring tiny = write("tiny.dds", WithSize(MakeDds(Rgba(4, 4, 1, 0)), 127));
  const std::wstring cut = write("cut.dds", MakeDds(Rgba(4, 4, 3, 64)));
  const std::wstring missing = Wide(dir / "missing.dds");

  const struct {
    const std::wstring& file;
    HRESULT want;
  } cases[] = {
      {good, S_OK},
      {tiny, E_FAIL},
      {cut, HandleEof},
      {missing, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
  };
  for (const auto& c : cases) {
    ID3D11Resource* texture = Untouched<ID3D11Resource>();
    ID3D11ShaderResourceView* view = Untouched<ID3D11ShaderResourceView>();
    EXPECT_EQ(CreateDDSTextureFromFile(Device, c.file.c_str(), &texture, &view), c.want);
    if (c.want == S_OK) {
      ASSERT_NE(view, Untouched<ID3D11ShaderResourceView>());
      view->Release();
      texture->Release();
    } else {
      EXPECT_EQ(texture, Untouched<ID3D11Resource>());
      EXPECT_EQ(view, Untouched<ID3D11ShaderResourceView>());
    }
  }
}

TEST_F(DdsLoader, TheSkyAssetIsAFullCubeMap) {
  const std::wstring sky = Wide(ZR_SKY_TEXTURE);
  ID3D11Resource* texture = nullptr;
  ID3D11ShaderResourceView* view = nullptr;
  ASSERT_EQ(CreateDDSTextureFromFile(Device, sky.c_str(), &texture, &view), S_OK);
  const Made got = Describe(texture, view);
  EXPECT_EQ(got.view, D3D11_SRV_DIMENSION_TEXTURECUBE);
  EXPECT_EQ(got.depthOrArray, 6u);
  EXPECT_EQ(got.width, got.height);
  EXPECT_GT(got.mips, 1u);
  EXPECT_EQ(1u << (got.mips - 1), got.width);  // down to 1x1
  view->Release();
  texture->Release();
}

// ---- Layout rules, without a device ----------------------------------------------------------

DDS_PIXELFORMAT Format(uint32_t flags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                       uint32_t fourCC = 0) {
  return {32, flags, fourCC, bits, r, g, b, a};
}

constexpr uint32_t Code(const char (&c)[5]) {
  return uint32_t(uint8_t(c[0])) | uint32_t(uint8_t(c[1])) << 8 | uint32_t(uint8_t(c[2])) << 16 |
         uint32_t(uint8_t(c[3])) << 24;
}

TEST(DdsFormats, LegacyPixelFormatsMapAsTabled) {
  constexpr uint32_t RGB = 0x40, LUM = 0x20000, ALPHA = 0x2, FOURCC = 0x4;
  const struct {
    DDS_PIXELFORMAT pf;
    int want;
  } cases[] = {
      {Format(RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000), 28},
      {Format(RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 87},
      {Format(RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0), 88},
      {Format(RGB, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000), 24},
      {Format(RGB, 32, 0xFFFF, 0xFFFF0000, 0, 0), 35},
      {Format(RGB, 32, 0xFFFFFFFF, 0, 0, 0), 41},
      {Format(RGB, 16, 0x7C00, 0x3E0, 0x1F, 0x8000), 86},
      {Format(RGB, 16, 0xF800, 0x7E0, 0x1F, 0), 85},
      {Format(RGB, 16, 0xF00, 0xF0, 0xF, 0xF000), 115},
      {Format(LUM, 8, 0xFF, 0, 0, 0), 61},
      {Format(LUM, 16, 0xFFFF, 0, 0, 0), 56},
      {Format(LUM, 16, 0xFF, 0, 0, 0xFF00), 49},
      {Format(ALPHA, 8, 1, 2, 3, 4), 65},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("DXT1")), 71},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("DXT2")), 74},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("DXT3")), 74},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("DXT4")), 77},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("DXT5")), 77},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("ATI1")), 80},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("BC4U")), 80},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("BC4S")), 81},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("ATI2")), 83},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("BC5U")), 83},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("BC5S")), 84},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("RGBG")), 68},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("GRGB")), 69},
      {Format(FOURCC, 0, 0, 0, 0, 0, 36), 11},
      {Format(FOURCC, 0, 0, 0, 0, 0, 110), 13},
      {Format(FOURCC, 0, 0, 0, 0, 0, 111), 54},
      {Format(FOURCC, 0, 0, 0, 0, 0, 112), 34},
      {Format(FOURCC, 0, 0, 0, 0, 0, 113), 10},
      {Format(FOURCC, 0, 0, 0, 0, 0, 114), 41},
      {Format(FOURCC, 0, 0, 0, 0, 0, 115), 16},
      {Format(FOURCC, 0, 0, 0, 0, 0, 116), 2},
      // RGB wins over the flags after it, luminance over alpha, alpha over codes.
      {Format(RGB | LUM, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000), 28},
      {Format(LUM | ALPHA, 8, 0xFF, 0, 0, 0), 61},
      {Format(ALPHA | FOURCC, 8, 0, 0, 0, 0, Code("DXT1")), 65},
      // No format.
      {Format(RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0), 0},
      {Format(RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0), 0},
      {Format(RGB, 8, 0xFF, 0, 0, 0), 0},
      {Format(RGB | FOURCC, 24, 0, 0, 0, 0, Code("DXT1")), 0},
      {Format(LUM, 8, 0xF0, 0, 0, 0), 0},
      {Format(ALPHA, 16, 0, 0, 0, 0xFFFF), 0},
      {Format(FOURCC, 0, 0, 0, 0, 0, Code("DXT9")), 0},
      {Format(FOURCC, 0, 0, 0, 0, 0, 117), 0},
      {Format(0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, Code("DXT1")), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetDXGIFormat(c.pf), c.want)
        << "flags " << c.pf.flags << " bits " << c.pf.RGBBitCount << " code " << c.pf.fourCC;
}

TEST(DdsFormats, BitsPerPixelAtEveryBoundary) {
  const struct {
    int format;
    size_t bits;
  } cases[] = {{0, 0},   {1, 128}, {4, 128}, {5, 96},  {8, 96},  {9, 64},   {22, 64}, {23, 32}, {47, 32},
               {48, 16}, {59, 16}, {60, 8},  {65, 8},  {66, 1},  {67, 32},  {69, 32}, {70, 4},  {72, 4},
               {73, 8},  {78, 8},  {79, 4},  {81, 4},  {82, 8},  {84, 8},   {85, 16}, {86, 16}, {87, 32},
               {93, 32}, {94, 8},  {99, 8},  {100, 0}, {114, 0}, {115, 16}, {116, 0}, {200, 0}};
  for (const auto& c : cases) EXPECT_EQ(BitsPerPixel(static_cast<DXGI_FORMAT>(c.format)), c.bits) << c.format;
}

TEST(DdsFormats, SurfaceSizes) {
  const struct {
    size_t w, h;
    int format;
    uint64_t rowBytes, rows, bytes;
  } cases[] = {
      {4, 4, 71, 8, 1, 8},                           // BC1: one block
      {1, 1, 71, 8, 1, 8},                           // BC1: a part block is a whole block
      {5, 5, 77, 32, 2, 64},                         // BC3: 2 x 2 blocks of 16
      {8, 4, 80, 16, 1, 16},                         // BC4
      {0, 0, 71, 0, 0, 0},                           // no texels, no blocks
      {3, 2, 68, 8, 2, 16},                          // two texels in four bytes, rounded up
      {3, 3, 28, 12, 3, 36},                         // 32 bits
      {3, 1, 66, 1, 1, 1},                           // 1 bit, rounded up to a byte
      {5, 2, 115, 10, 2, 20},                        // B4G4R4A4
      {16384, 16384, 2, 262144, 16384, 4294967296},  // beyond 32 bits
  };
  for (const auto& c : cases) {
    const SurfaceInfo info = GetSurfaceInfo(c.w, c.h, static_cast<DXGI_FORMAT>(c.format));
    EXPECT_EQ(info.RowBytes, c.rowBytes) << c.w << "x" << c.h << " format " << c.format;
    EXPECT_EQ(info.NumRows, c.rows) << c.w << "x" << c.h << " format " << c.format;
    EXPECT_EQ(info.NumBytes, c.bytes) << c.w << "x" << c.h << " format " << c.format;
  }
}

TEST(DdsLayout, MaxsizeDropsTheTopLevelsOfEveryItem) {
  // 4096 x 4096 BC1 with 13 levels (down to 1 x 1), one item or six faces.
  uint64_t chain = 0;
  for (size_t s = 4096; s >= 1; s /= 2) chain += GetSurfaceInfo(s, s, DXGI_FORMAT_BC1_UNORM).NumBytes;
  for (size_t items : {size_t{1}, size_t{6}}) {
    const size_t size = chain * items;
    std::unique_ptr<uint8_t[]> texels(new uint8_t[size]);  // only addressed, never read
    std::vector<D3D11_SUBRESOURCE_DATA> table(13 * items);
    size_t w, h, d, skip;
    ASSERT_EQ(BuildSubresourceTable(4096, 4096, 1, 13, items, DXGI_FORMAT_BC1_UNORM, 1024, texels.get(), size, w, h, d,
                                    skip, table.data()),
              S_OK);
    EXPECT_EQ(skip, 2u);
    EXPECT_EQ(w, 1024u);
    EXPECT_EQ(h, 1024u);
    EXPECT_EQ(d, 1u);
    const uint64_t dropped = GetSurfaceInfo(4096, 4096, DXGI_FORMAT_BC1_UNORM).NumBytes +
                             GetSurfaceInfo(2048, 2048, DXGI_FORMAT_BC1_UNORM).NumBytes;
    for (size_t item = 0; item < items; ++item) {
      const D3D11_SUBRESOURCE_DATA& first = table[item * 11];
      EXPECT_EQ(first.pSysMem, texels.get() + item * chain + dropped) << "item " << item;
      EXPECT_EQ(first.SysMemPitch, 1024u / 4 * 8) << "item " << item;
      EXPECT_EQ(first.SysMemSlicePitch, 1024u / 4 * 1024 / 4 * 8) << "item " << item;
      EXPECT_EQ(table[item * 11 + 10].SysMemSlicePitch, 8u) << "item " << item;  // 1 x 1
    }
  }
}

TEST(DdsLayout, TableEdgeCases) {
  uint8_t texels[64] = {};
  D3D11_SUBRESOURCE_DATA table[4];
  size_t w, h, d, skip;
  // Every level above maxsize: nothing kept.
  EXPECT_EQ(BuildSubresourceTable(4, 4, 1, 2, 1, DXGI_FORMAT_R8_UNORM, 1, texels, sizeof(texels), w, h, d, skip, table),
            E_FAIL);
  // A single level is kept whatever maxsize says.
  EXPECT_EQ(BuildSubresourceTable(4, 4, 1, 1, 1, DXGI_FORMAT_R8_UNORM, 1, texels, sizeof(texels), w, h, d, skip, table),
            S_OK);
  EXPECT_EQ(w, 4u);
  // A volume's level is its slice times its depth.
  EXPECT_EQ(BuildSubresourceTable(4, 4, 4, 1, 1, DXGI_FORMAT_R8_UNORM, 0, texels, sizeof(texels), w, h, d, skip, table),
            S_OK);
  EXPECT_EQ(BuildSubresourceTable(4, 4, 5, 1, 1, DXGI_FORMAT_R8_UNORM, 0, texels, sizeof(texels), w, h, d, skip, table),
            HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  EXPECT_EQ(BuildSubresourceTable(4, 4, 1, 1, 1, DXGI_FORMAT_R8_UNORM, 0, nullptr, 0, w, h, d, skip, table), E_POINTER);
  EXPECT_EQ(BuildSubresourceTable(4, 4, 1, 1, 1, DXGI_FORMAT_R8_UNORM, 0, texels, 64, w, h, d, skip, nullptr),
            E_POINTER);
}

}  // namespace
