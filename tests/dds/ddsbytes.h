// DDS images written by the tests themselves: a header (optionally with the DX10
// extension) and a given number of texel bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "scene/ddstextureloader.h"

struct DdsSpec {
  uint32_t flags = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
  uint32_t width = 4;
  uint32_t height = 4;
  uint32_t depth = 0;
  uint32_t mips = 1;
  // Legacy pixel format; R8G8B8A8 unless changed.
  uint32_t pfFlags = 0x40 | 0x1;
  uint32_t fourCC = 0;
  uint32_t bits = 32;
  uint32_t masks[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
  uint32_t caps2 = 0;
  // DX10 extension, written when dx10 is set.
  bool dx10 = false;
  uint32_t dxgiFormat = 28;
  uint32_t dimension = 3;
  uint32_t miscFlag = 0;
  uint32_t arraySize = 1;
  size_t texelBytes = 0;
};

inline DdsSpec Dx10(uint32_t dxgiFormat, uint32_t dimension, uint32_t arraySize) {
  DdsSpec s;
  s.pfFlags = 0x4;
  s.fourCC = 0x30315844;  // "DX10"
  s.dx10 = true;
  s.dxgiFormat = dxgiFormat;
  s.dimension = dimension;
  s.arraySize = arraySize;
  return s;
}

inline std::vector<uint8_t> MakeDds(const DdsSpec& s) {
  DDS_HEADER h{};
  h.size = sizeof(DDS_HEADER);
  h.flags = s.flags;
  h.height = s.height;
  h.width = s.width;
  h.depth = s.depth;
  h.mipMapCount = s.mips;
  h.ddspf.size = sizeof(DDS_PIXELFORMAT);
  h.ddspf.flags = s.pfFlags;
  h.ddspf.fourCC = s.fourCC;
  h.ddspf.RGBBitCount = s.bits;
  h.ddspf.RBitMask = s.masks[0];
  h.ddspf.GBitMask = s.masks[1];
  h.ddspf.BBitMask = s.masks[2];
  h.ddspf.ABitMask = s.masks[3];
  h.caps = 0x1000;
  h.caps2 = s.caps2;
  const size_t headerBytes = 4 + sizeof(h) + (s.dx10 ? sizeof(DDS_HEADER_DXT10) : 0);
  std::vector<uint8_t> out(headerBytes + s.texelBytes);
  std::memcpy(out.data(), &DDS_MAGIC, 4);
  std::memcpy(out.data() + 4, &h, sizeof(h));
  if (s.dx10) {
    const DDS_HEADER_DXT10 ext{s.dxgiFormat, s.dimension, s.miscFlag, s.arraySize, 0};
    std::memcpy(out.data() + 4 + sizeof(h), &ext, sizeof(ext));
  }
  for (size_t i = 0; i < s.texelBytes; ++i) out[headerBytes + i] = static_cast<uint8_t>(i * 7);
  return out;
}
