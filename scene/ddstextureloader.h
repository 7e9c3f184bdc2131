// Textures from DDS files: reading, validation, the pixel-format mapping, the layout of
// the surfaces as subresources, and the creation of the texture with its view.
#pragma once

#include <d3d11.h>

#include <cstddef>
#include <cstdint>

// On-disk records, little-endian.
struct DDS_PIXELFORMAT {
  uint32_t size;
  uint32_t flags;
  uint32_t fourCC;
  uint32_t RGBBitCount;
  uint32_t RBitMask;
  uint32_t GBitMask;
  uint32_t BBitMask;
  uint32_t ABitMask;
};

struct DDS_HEADER {
  uint32_t size;
  uint32_t flags;
  uint32_t height;
  uint32_t width;
  uint32_t pitchOrLinearSize;
  uint32_t depth;
  uint32_t mipMapCount;
  uint32_t reserved1[11];
  DDS_PIXELFORMAT ddspf;
  uint32_t caps;
  uint32_t caps2;
  uint32_t caps3;
  uint32_t caps4;
  uint32_t reserved2;
};

struct DDS_HEADER_DXT10 {
  uint32_t dxgiFormat;
  uint32_t resourceDimension;
  uint32_t miscFlag;
  uint32_t arraySize;
  uint32_t miscFlags2;
};

static_assert(sizeof(DDS_PIXELFORMAT) == 32);
static_assert(sizeof(DDS_HEADER) == 124);
static_assert(sizeof(DDS_HEADER_DXT10) == 20);

constexpr uint32_t DDS_MAGIC = 0x20534444;  // "DDS "

// Reads a DDS file and creates its texture and a shader-resource view of it. Either
// destination may be null, not both; maxsize 0 sets no limit on the top level's size.
HRESULT CreateDDSTextureFromFile(ID3D11Device* d3dDevice, const wchar_t* szFileName, ID3D11Resource** texture,
                                 ID3D11ShaderResourceView** textureView, size_t maxsize = 0);

// The same from the bytes of a whole DDS file already in memory.
HRESULT CreateTextureFromDdsBytes(ID3D11Device* d3dDevice, const uint8_t* ddsData, size_t ddsDataSize,
                                  ID3D11Resource** texture, ID3D11ShaderResourceView** textureView, size_t maxsize = 0);

// Bits per texel of a format; 0 for a format the loader does not support.
size_t BitsPerPixel(DXGI_FORMAT fmt);

// The format a legacy pixel-format block describes; DXGI_FORMAT_UNKNOWN if none.
DXGI_FORMAT GetDXGIFormat(const DDS_PIXELFORMAT& ddpf);

// Bytes of one surface level, of one of its rows, and its number of rows.
struct SurfaceInfo {
  uint64_t NumBytes;
  uint64_t RowBytes;
  uint64_t NumRows;
};
SurfaceInfo GetSurfaceInfo(size_t width, size_t height, DXGI_FORMAT fmt);

// Lays the texel data out as mipCount x arraySize subresources (array item after array
// item, each with its levels). With maxsize > 0 and more than one level, the top levels
// larger than maxsize are left out of every item: skipMip tells how many, and
// twidth/theight/tdepth give the size of the first level kept.
HRESULT BuildSubresourceTable(size_t width, size_t height, size_t depth, size_t mipCount, size_t arraySize,
                              DXGI_FORMAT format, size_t maxsize, const uint8_t* bitData, size_t bitSize,
                              size_t& twidth, size_t& theight, size_t& tdepth, size_t& skipMip,
                              D3D11_SUBRESOURCE_DATA* initData);
