#include "scene/ddstextureloader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

constexpr uint32_t DDS_HEADER_FLAGS_HEIGHT = 0x2;
constexpr uint32_t DDS_HEADER_FLAGS_VOLUME = 0x800000;
constexpr uint32_t DDS_FOURCC = 0x4;
constexpr uint32_t DDS_RGB = 0x40;
constexpr uint32_t DDS_LUMINANCE = 0x20000;
constexpr uint32_t DDS_ALPHA = 0x2;
constexpr uint32_t DDS_CUBEMAP = 0x200;
constexpr uint32_t DDS_CUBEMAP_ALLFACES = 0xFE00;
constexpr uint32_t DDS_RESOURCE_MISC_TEXTURECUBE = 0x4;

constexpr uint32_t DIMENSION_TEXTURE1D = 2;
constexpr uint32_t DIMENSION_TEXTURE2D = 3;
constexpr uint32_t DIMENSION_TEXTURE3D = 4;

constexpr size_t MAX_MIP_LEVELS = 15;
constexpr size_t MAX_ARRAY_SIZE = 2048;
constexpr size_t MAX_1D_2D_SIZE = 16384;
constexpr size_t MAX_3D_SIZE = 2048;

constexpr size_t HEADER_END = sizeof(uint32_t) + sizeof(DDS_HEADER);
constexpr size_t DX10_HEADER_END = HEADER_END + sizeof(DDS_HEADER_DXT10);

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

bool IsMask(const DDS_PIXELFORMAT& ddpf, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return ddpf.RBitMask == r && ddpf.GBitMask == g && ddpf.BBitMask == b && ddpf.ABitMask == a;
}

// A DDS image whose header has been checked: the header and the texel data after it.
struct DdsImage {
  DDS_HEADER Header;
  bool HasDx10;
  DDS_HEADER_DXT10 Dx10;
  const uint8_t* Texels;
  size_t TexelSize;
};

// Checks the magic and the sizes of the header(s); E_FAIL when they are wrong or the
// image is too short to hold them.
HRESULT ParseDdsImage(const uint8_t* data, size_t size, DdsImage* image) {
  if (size < HEADER_END) return E_FAIL;
  uint32_t magic;
  std::memcpy(&magic, data, sizeof(magic));
  std::memcpy(&image->Header, data + sizeof(uint32_t), sizeof(DDS_HEADER));
  const DDS_HEADER& header = image->Header;
  if (magic != DDS_MAGIC || header.size != sizeof(DDS_HEADER) || header.ddspf.size != sizeof(DDS_PIXELFORMAT))
    return E_FAIL;
  image->HasDx10 = (header.ddspf.flags & DDS_FOURCC) && header.ddspf.fourCC == MakeFourCC('D', 'X', '1', '0');
  size_t offset = HEADER_END;
  if (image->HasDx10) {
    if (size < DX10_HEADER_END) return E_FAIL;
    std::memcpy(&image->Dx10, data + HEADER_END, sizeof(DDS_HEADER_DXT10));
    offset = DX10_HEADER_END;
  }
  image->Texels = data + offset;
  image->TexelSize = size - offset;
  return S_OK;
}

// Closes the file on every path out of ReadDdsFile.
struct FileHandle {
  HANDLE Handle;
  ~FileHandle() {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
  }
};

// Reads the whole file into data; its size goes to size.
HRESULT ReadDdsFile(const wchar_t* fileName, std::unique_ptr<uint8_t[]>& data, size_t& size) {
  FileHandle file{CreateFile2(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, nullptr)};
  if (file.Handle == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());

  FILE_STANDARD_INFO info{};
  if (!GetFileInformationByHandleEx(file.Handle, FileStandardInfo, &info, sizeof(info)))
    return HRESULT_FROM_WIN32(GetLastError());
  if ((info.EndOfFile.QuadPart >> 32) != 0) return E_FAIL;  // 4 GiB or more
  const DWORD fileSize = static_cast<DWORD>(info.EndOfFile.QuadPart);
  if (fileSize < HEADER_END) return E_FAIL;

  data.reset(new (std::nothrow) uint8_t[fileSize]);
  if (!data) return E_OUTOFMEMORY;

  DWORD bytesRead = 0;
  if (!ReadFile(file.Handle, data.get(), fileSize, &bytesRead, nullptr)) return HRESULT_FROM_WIN32(GetLastError());
  if (bytesRead < fileSize) return E_FAIL;
  size = fileSize;
  return S_OK;
}

bool IsCompressed8(DXGI_FORMAT fmt) {
  return (fmt >= DXGI_FORMAT_BC1_TYPELESS && fmt <= DXGI_FORMAT_BC1_UNORM_SRGB) ||
         (fmt >= DXGI_FORMAT_BC4_TYPELESS && fmt <= DXGI_FORMAT_BC4_SNORM);
}

bool IsCompressed16(DXGI_FORMAT fmt) {
  return (fmt >= DXGI_FORMAT_BC2_TYPELESS && fmt <= DXGI_FORMAT_BC3_UNORM_SRGB) ||
         (fmt >= DXGI_FORMAT_BC5_TYPELESS && fmt <= DXGI_FORMAT_BC5_SNORM) ||
         (fmt >= DXGI_FORMAT_BC6H_TYPELESS && fmt <= DXGI_FORMAT_BC7_UNORM_SRGB);
}

HRESULT CreateTextureAndView(ID3D11Device* device, uint32_t resDim, size_t width, size_t height, size_t depth,
                             size_t mipCount, size_t arraySize, DXGI_FORMAT format, bool isCubeMap,
                             const D3D11_SUBRESOURCE_DATA* initData, ID3D11Resource** texture,
                             ID3D11ShaderResourceView** textureView) {
  if (!device || !initData) return E_POINTER;

  ID3D11Resource* resource = nullptr;
  D3D11_SHADER_RESOURCE_VIEW_DESC viewDesc{};
  viewDesc.Format = format;
  const UINT mips = static_cast<UINT>(mipCount);
  const UINT items = static_cast<UINT>(arraySize);
  HRESULT hr = E_FAIL;

  switch (resDim) {
    case DIMENSION_TEXTURE1D: {
      D3D11_TEXTURE1D_DESC desc{};
      desc.Width = static_cast<UINT>(width);
      desc.MipLevels = mips;
      desc.ArraySize = items;
      desc.Format = format;
      desc.Usage = D3D11_USAGE_DEFAULT;
      desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
      ID3D11Texture1D* tex = nullptr;
      hr = device->CreateTexture1D(&desc, initData, &tex);
      resource = tex;
      if (arraySize > 1) {
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE1DARRAY;
        viewDesc.Texture1DArray.MipLevels = mips;
        viewDesc.Texture1DArray.ArraySize = items;
      } else {
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE1D;
        viewDesc.Texture1D.MipLevels = mips;
      }
      break;
    }
    case DIMENSION_TEXTURE2D: {
      D3D11_TEXTURE2D_DESC desc{};
      desc.Width = static_cast<UINT>(width);
      desc.Height = static_cast<UINT>(height);
      desc.MipLevels = mips;
      desc.ArraySize = items;
      desc.Format = format;
      desc.SampleDesc.Count = 1;
      desc.SampleDesc.Quality = 0;
      desc.Usage = D3D11_USAGE_DEFAULT;
      desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
      desc.MiscFlags = isCubeMap ? D3D11_RESOURCE_MISC_TEXTURECUBE : 0;
      ID3D11Texture2D* tex = nullptr;
      hr = device->CreateTexture2D(&desc, initData, &tex);
      resource = tex;
      if (isCubeMap && arraySize > 6) {
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBEARRAY;
        viewDesc.TextureCubeArray.MipLevels = mips;
        viewDesc.TextureCubeArray.NumCubes = items / 6;
      } else if (isCubeMap) {
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
        viewDesc.TextureCube.MipLevels = mips;
      } else if (arraySize > 1) {
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
        viewDesc.Texture2DArray.MipLevels = mips;
        viewDesc.Texture2DArray.ArraySize = items;
      } else {
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        viewDesc.Texture2D.MipLevels = mips;
      }
      break;
    }
    case DIMENSION_TEXTURE3D: {
      D3D11_TEXTURE3D_DESC desc{};
      desc.Width = static_cast<UINT>(width);
      desc.Height = static_cast<UINT>(height);
      desc.Depth = static_cast<UINT>(depth);
      desc.MipLevels = mips;
      desc.Format = format;
      desc.Usage = D3D11_USAGE_DEFAULT;
      desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
      ID3D11Texture3D* tex = nullptr;
      hr = device->CreateTexture3D(&desc, initData, &tex);
      resource = tex;
      viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE3D;
      viewDesc.Texture3D.MipLevels = mips;
      break;
    }
    default:
      return hr;
  }

  if (FAILED(hr)) return hr;
  if (!resource) return E_FAIL;
  if (textureView) {
    ID3D11ShaderResourceView* view = nullptr;
    hr = device->CreateShaderResourceView(resource, &viewDesc, &view);
    if (FAILED(hr)) {
      resource->Release();
      return hr;
    }
    *textureView = view;
  }
  if (texture)
    *texture = resource;
  else
    resource->Release();
  return hr;
}

HRESULT CreateTextureFromDdsHeader(ID3D11Device* device, const DdsImage& image, size_t maxsize,
                                   ID3D11Resource** texture, ID3D11ShaderResourceView** textureView) {
  const DDS_HEADER& header = image.Header;
  size_t width = header.width;
  size_t height = header.height;
  size_t depth = header.depth;
  size_t mipCount = header.mipMapCount == 0 ? 1 : header.mipMapCount;
  size_t arraySize = 1;
  bool isCubeMap = false;
  uint32_t resDim;
  DXGI_FORMAT format;

  if (image.HasDx10) {
    const DDS_HEADER_DXT10& ext = image.Dx10;
    arraySize = ext.arraySize;
    if (arraySize == 0) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    format = static_cast<DXGI_FORMAT>(ext.dxgiFormat);
    if (BitsPerPixel(format) == 0) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    resDim = ext.resourceDimension;
    switch (resDim) {
      case DIMENSION_TEXTURE1D:
        if ((header.flags & DDS_HEADER_FLAGS_HEIGHT) && height != 1) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        height = depth = 1;
        break;
      case DIMENSION_TEXTURE2D:
        if (ext.miscFlag & DDS_RESOURCE_MISC_TEXTURECUBE) {
          arraySize *= 6;
          isCubeMap = true;
        }
        depth = 1;
        break;
      case DIMENSION_TEXTURE3D:
        if (!(header.flags & DDS_HEADER_FLAGS_VOLUME)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        if (arraySize > 1) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
        break;
      default:
        return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    }
  } else {
    format = GetDXGIFormat(header.ddspf);
    if (format == DXGI_FORMAT_UNKNOWN) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    if (header.flags & DDS_HEADER_FLAGS_VOLUME) {
      resDim = DIMENSION_TEXTURE3D;
    } else {
      if (header.caps2 & DDS_CUBEMAP) {
        if ((header.caps2 & DDS_CUBEMAP_ALLFACES) != DDS_CUBEMAP_ALLFACES)
          return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
        arraySize = 6;
        isCubeMap = true;
      }
      depth = 1;
      resDim = DIMENSION_TEXTURE2D;
    }
  }

  if (mipCount > MAX_MIP_LEVELS) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
  switch (resDim) {
    case DIMENSION_TEXTURE1D:
      if (arraySize > MAX_ARRAY_SIZE || width > MAX_1D_2D_SIZE) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
      break;
    case DIMENSION_TEXTURE2D:
      if (arraySize > MAX_ARRAY_SIZE || width > MAX_1D_2D_SIZE || height > MAX_1D_2D_SIZE)
        return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
      break;
    default:  // 3D
      if (arraySize > 1 || width > MAX_3D_SIZE || height > MAX_3D_SIZE || depth > MAX_3D_SIZE)
        return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
      break;
  }

  std::unique_ptr<D3D11_SUBRESOURCE_DATA[]> initData(new (std::nothrow) D3D11_SUBRESOURCE_DATA[mipCount * arraySize]);
  if (!initData) return E_OUTOFMEMORY;

  auto build = [&](size_t limit) {
    size_t skipMip = 0, twidth = 0, theight = 0, tdepth = 0;
    HRESULT hr = BuildSubresourceTable(width, height, depth, mipCount, arraySize, format, limit, image.Texels,
                                       image.TexelSize, twidth, theight, tdepth, skipMip, initData.get());
    if (FAILED(hr)) return std::pair{hr, false};
    hr = CreateTextureAndView(device, resDim, twidth, theight, tdepth, mipCount - skipMip, arraySize, format, isCubeMap,
                              initData.get(), texture, textureView);
    return std::pair{hr, true};
  };

  auto [hr, built] = build(maxsize);
  if (FAILED(hr) && built && maxsize == 0 && mipCount > 1) {
    // The device refused the full size: try again with the largest size its level allows.
    switch (device->GetFeatureLevel()) {
      case D3D_FEATURE_LEVEL_9_1:
      case D3D_FEATURE_LEVEL_9_2:
        maxsize = isCubeMap ? 512 : (resDim == DIMENSION_TEXTURE3D ? 256 : 2048);
        break;
      case D3D_FEATURE_LEVEL_9_3:
        maxsize = resDim == DIMENSION_TEXTURE3D ? 256 : 4096;
        break;
      default:
        maxsize = resDim == DIMENSION_TEXTURE3D ? 2048 : 8192;
        break;
    }
    hr = build(maxsize).first;
  }
  return hr;
}

}  // namespace

size_t BitsPerPixel(DXGI_FORMAT fmt) {
  const int f = static_cast<int>(fmt);
  if (f >= 1 && f <= 4) return 128;
  if (f >= 5 && f <= 8) return 96;
  if (f >= 9 && f <= 22) return 64;
  if (f >= 23 && f <= 47) return 32;
  if (f >= 48 && f <= 59) return 16;
  if (f >= 60 && f <= 65) return 8;
  if (f == 66) return 1;
  if (f >= 67 && f <= 69) return 32;
  if (f >= 70 && f <= 72) return 4;
  if (f >= 73 && f <= 78) return 8;
  if (f >= 79 && f <= 81) return 4;
  if (f >= 82 && f <= 84) return 8;
  if (f >= 85 && f <= 86) return 16;
  if (f >= 87 && f <= 93) return 32;
  if (f >= 94 && f <= 99) return 8;
  if (f == 115) return 16;
  return 0;
}

DXGI_FORMAT GetDXGIFormat(const DDS_PIXELFORMAT& ddpf) {
  if (ddpf.flags & DDS_RGB) {
    switch (ddpf.RGBBitCount) {
      case 32:
        if (IsMask(ddpf, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000)) return DXGI_FORMAT_R8G8B8A8_UNORM;
        if (IsMask(ddpf, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)) return DXGI_FORMAT_B8G8R8A8_UNORM;
        if (IsMask(ddpf, 0x00FF0000, 0x0000FF00, 0x000000FF, 0)) return DXGI_FORMAT_B8G8R8X8_UNORM;
        if (IsMask(ddpf, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000)) return DXGI_FORMAT_R10G10B10A2_UNORM;
        if (IsMask(ddpf, 0x0000FFFF, 0xFFFF0000, 0, 0)) return DXGI_FORMAT_R16G16_UNORM;
        if (IsMask(ddpf, 0xFFFFFFFF, 0, 0, 0)) return DXGI_FORMAT_R32_FLOAT;
        break;
      case 16:
        if (IsMask(ddpf, 0x7C00, 0x03E0, 0x001F, 0x8000)) return DXGI_FORMAT_B5G5R5A1_UNORM;
        if (IsMask(ddpf, 0xF800, 0x07E0, 0x001F, 0)) return DXGI_FORMAT_B5G6R5_UNORM;
        if (IsMask(ddpf, 0x0F00, 0x00F0, 0x000F, 0xF000)) return DXGI_FORMAT_B4G4R4A4_UNORM;
        break;
    }
    return DXGI_FORMAT_UNKNOWN;
  }
  if (ddpf.flags & DDS_LUMINANCE) {
    if (ddpf.RGBBitCount == 8 && IsMask(ddpf, 0xFF, 0, 0, 0)) return DXGI_FORMAT_R8_UNORM;
    if (ddpf.RGBBitCount == 16 && IsMask(ddpf, 0xFFFF, 0, 0, 0)) return DXGI_FORMAT_R16_UNORM;
    if (ddpf.RGBBitCount == 16 && IsMask(ddpf, 0x00FF, 0, 0, 0xFF00)) return DXGI_FORMAT_R8G8_UNORM;
    return DXGI_FORMAT_UNKNOWN;
  }
  if (ddpf.flags & DDS_ALPHA) return ddpf.RGBBitCount == 8 ? DXGI_FORMAT_A8_UNORM : DXGI_FORMAT_UNKNOWN;
  if (ddpf.flags & DDS_FOURCC) {
    switch (ddpf.fourCC) {
      case MakeFourCC('D', 'X', 'T', '1'):
        return DXGI_FORMAT_BC1_UNORM;
      case MakeFourCC('D', 'X', 'T', '2'):
      case MakeFourCC('D', 'X', 'T', '3'):
        return DXGI_FORMAT_BC2_UNORM;
      case MakeFourCC('D', 'X', 'T', '4'):
      case MakeFourCC('D', 'X', 'T', '5'):
        return DXGI_FORMAT_BC3_UNORM;
      case MakeFourCC('A', 'T', 'I', '1'):
      case MakeFourCC('B', 'C', '4', 'U'):
        return DXGI_FORMAT_BC4_UNORM;
      case MakeFourCC('B', 'C', '4', 'S'):
        return DXGI_FORMAT_BC4_SNORM;
      case MakeFourCC('A', 'T', 'I', '2'):
      case MakeFourCC('B', 'C', '5', 'U'):
        return DXGI_FORMAT_BC5_UNORM;
      case MakeFourCC('B', 'C', '5', 'S'):
        return DXGI_FORMAT_BC5_SNORM;
      case MakeFourCC('R', 'G', 'B', 'G'):
        return DXGI_FORMAT_R8G8_B8G8_UNORM;
      case MakeFourCC('G', 'R', 'G', 'B'):
        return DXGI_FORMAT_G8R8_G8B8_UNORM;
      // Direct3D 9 format numbers stored in the code field.
      case 36:
        return DXGI_FORMAT_R16G16B16A16_UNORM;
      case 110:
        return DXGI_FORMAT_R16G16B16A16_SNORM;
      case 111:
        return DXGI_FORMAT_R16_FLOAT;
      case 112:
        return DXGI_FORMAT_R16G16_FLOAT;
      case 113:
        return DXGI_FORMAT_R16G16B16A16_FLOAT;
      case 114:
        return DXGI_FORMAT_R32_FLOAT;
      case 115:
        return DXGI_FORMAT_R32G32_FLOAT;
      case 116:
        return DXGI_FORMAT_R32G32B32A32_FLOAT;
    }
  }
  return DXGI_FORMAT_UNKNOWN;
}

SurfaceInfo GetSurfaceInfo(size_t width, size_t height, DXGI_FORMAT fmt) {
  const uint64_t w = width, h = height;
  SurfaceInfo info{};
  const bool bc8 = IsCompressed8(fmt);
  if (bc8 || IsCompressed16(fmt)) {
    const uint64_t blocksWide = w > 0 ? std::max<uint64_t>(1, (w + 3) / 4) : 0;
    const uint64_t blocksHigh = h > 0 ? std::max<uint64_t>(1, (h + 3) / 4) : 0;
    info.RowBytes = blocksWide * (bc8 ? 8 : 16);
    info.NumRows = blocksHigh;
  } else if (fmt == DXGI_FORMAT_R8G8_B8G8_UNORM || fmt == DXGI_FORMAT_G8R8_G8B8_UNORM) {
    info.RowBytes = ((w + 1) / 2) * 4;
    info.NumRows = h;
  } else {
    info.RowBytes = (w * BitsPerPixel(fmt) + 7) / 8;
    info.NumRows = h;
  }
  info.NumBytes = info.RowBytes * info.NumRows;
  return info;
}

HRESULT BuildSubresourceTable(size_t width, size_t height, size_t depth, size_t mipCount, size_t arraySize,
                              DXGI_FORMAT format, size_t maxsize, const uint8_t* bitData, size_t bitSize,
                              size_t& twidth, size_t& theight, size_t& tdepth, size_t& skipMip,
                              D3D11_SUBRESOURCE_DATA* initData) {
  if (!bitData || !initData) return E_POINTER;
  skipMip = 0;
  twidth = theight = tdepth = 0;

  // Positions are offsets into the texel data, so an overrun is found before any
  // pointer goes past its end.
  uint64_t offset = 0;
  size_t index = 0;
  for (size_t item = 0; item < arraySize; ++item) {
    size_t w = width, h = height, d = depth;
    for (size_t level = 0; level < mipCount; ++level) {
      const SurfaceInfo surface = GetSurfaceInfo(w, h, format);
      if (mipCount <= 1 || maxsize == 0 || (w <= maxsize && h <= maxsize && d <= maxsize)) {
        if (!twidth) {
          twidth = w;
          theight = h;
          tdepth = d;
        }
        initData[index].pSysMem = bitData + offset;
        initData[index].SysMemPitch = static_cast<UINT>(surface.RowBytes);
        initData[index].SysMemSlicePitch = static_cast<UINT>(surface.NumBytes);
        ++index;
      } else if (item == 0) {
        ++skipMip;
      }
      const uint64_t levelBytes = surface.NumBytes * d;
      if (levelBytes > bitSize - offset) return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
      offset += levelBytes;
      w = std::max<size_t>(w / 2, 1);
      h = std::max<size_t>(h / 2, 1);
      d = std::max<size_t>(d / 2, 1);
    }
  }
  return index > 0 ? S_OK : E_FAIL;
}

HRESULT CreateTextureFromDdsBytes(ID3D11Device* d3dDevice, const uint8_t* ddsData, size_t ddsDataSize,
                                  ID3D11Resource** texture, ID3D11ShaderResourceView** textureView, size_t maxsize) {
  if (!d3dDevice || !ddsData || (!texture && !textureView)) return E_INVALIDARG;
  DdsImage image;
  HRESULT hr = ParseDdsImage(ddsData, ddsDataSize, &image);
  if (FAILED(hr)) return hr;
  return CreateTextureFromDdsHeader(d3dDevice, image, maxsize, texture, textureView);
}

HRESULT CreateDDSTextureFromFile(ID3D11Device* d3dDevice, const wchar_t* szFileName, ID3D11Resource** texture,
                                 ID3D11ShaderResourceView** textureView, size_t maxsize) {
  if (!d3dDevice || !szFileName || (!texture && !textureView)) return E_INVALIDARG;
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  HRESULT hr = ReadDdsFile(szFileName, data, size);
  if (FAILED(hr)) return hr;
  DdsImage image;
  hr = ParseDdsImage(data.get(), size, &image);
  if (FAILED(hr)) return hr;
  return CreateTextureFromDdsHeader(d3dDevice, image, maxsize, texture, textureView);
}
