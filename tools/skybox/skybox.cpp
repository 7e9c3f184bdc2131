// Writes the demonstration's sky: a DDS cube map (R8G8B8A8, full mip chain) of a
// procedural mountain scene: a sky gradient with a sun glow, ranges of mountains
// around the horizon and ground below.
//
//   zr_skybox <output.dds> [face size, a power of two from 4 to 2048; 256 if left out]

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Colour {
  float r, g, b;
};

Colour Mix(Colour a, Colour b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float Length(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

// Height of a mountain range above the horizon (as a sine of elevation) at an
// azimuth in radians: a few sines give peaks and saddles that wrap around seamlessly.
float RidgeHeight(float azimuth, float base, float scale, float phase) {
  float h = 0.45f * std::sin(2.0f * azimuth + phase) + 0.3f * std::sin(5.0f * azimuth + 1.7f * phase) +
            0.17f * std::sin(11.0f * azimuth + 0.4f + phase) + 0.08f * std::sin(23.0f * azimuth + 2.0f * phase);
  return base + scale * (0.5f + 0.5f * h);
}

// Colour seen along the unit direction (x, y, z); y is up.
Colour SkyColour(float x, float y, float z) {
  const Colour zenith{0.16f, 0.34f, 0.72f};
  const Colour horizon{0.72f, 0.82f, 0.93f};
  const Colour sunGlow{1.0f, 0.9f, 0.65f};
  const Colour ground{0.24f, 0.30f, 0.16f};
  const Colour groundFar{0.45f, 0.50f, 0.42f};

  // The sun stands where the demonstration's light comes from: ahead (-z), raised.
  const float sunLength = Length(0.0f, 0.3f, -1.0f);
  const float sun = std::max(0.0f, (0.3f * y - z) / sunLength);

  if (y < 0.0f) return Mix(groundFar, ground, std::pow(-y, 0.5f));

  Colour c = Mix(horizon, zenith, std::pow(y, 0.6f));
  c = Mix(c, sunGlow, 0.6f * std::pow(sun, 24.0f) + (sun > 0.9995f ? 1.0f : 0.0f));

  // Two ranges: the far one hazy and high, the near one dark and low.
  const float azimuth = std::atan2(x, z);
  if (y < RidgeHeight(azimuth, 0.02f, 0.14f, 0.9f))
    c = Mix(Colour{0.22f, 0.28f, 0.34f}, Colour{0.17f, 0.21f, 0.24f}, y * 6.0f);
  else if (y < RidgeHeight(azimuth, 0.06f, 0.30f, 0.0f))
    c = Mix(Colour{0.46f, 0.53f, 0.63f}, horizon, 0.25f);
  return c;
}

// Direction through texel (s, t) in [-1, 1] of a cube face, faces in DDS order
// +X, -X, +Y, -Y, +Z, -Z.
std::array<float, 3> FaceDirection(int face, float s, float t) {
  switch (face) {
    case 0:
      return {1.0f, -t, -s};
    case 1:
      return {-1.0f, -t, s};
    case 2:
      return {s, 1.0f, t};
    case 3:
      return {s, -1.0f, -t};
    case 4:
      return {s, -t, 1.0f};
    default:
      return {-s, -t, -1.0f};
  }
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> Header(uint32_t size, uint32_t mips) {
  std::vector<uint8_t> h;
  Put32(h, 0x20534444);                                // "DDS "
  Put32(h, 124);                                       // header size
  Put32(h, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);  // caps, height, width, pitch, format, mips
  Put32(h, size);                                      // height
  Put32(h, size);                                      // width
  Put32(h, size * 4);                                  // pitch
  Put32(h, 0);                                         // depth
  Put32(h, mips);                                      // mip count
  for (int i = 0; i < 11; ++i) Put32(h, 0);
  Put32(h, 32);                       // pixel-format size
  Put32(h, 0x40 | 0x1);               // RGB with alpha
  Put32(h, 0);                        // no four-character code
  Put32(h, 32);                       // bits per texel
  Put32(h, 0x000000FF);               // red
  Put32(h, 0x0000FF00);               // green
  Put32(h, 0x00FF0000);               // blue
  Put32(h, 0xFF000000);               // alpha
  Put32(h, 0x1000 | 0x8 | 0x400000);  // texture, complex, mip-mapped
  Put32(h, 0xFE00);                   // cube map with all six faces
  Put32(h, 0);
  Put32(h, 0);
  Put32(h, 0);
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: zr_skybox <output.dds> [face size]\n");
    return 2;
  }
  const long size = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 256;
  if (size < 4 || size > 2048 || (size & (size - 1)) != 0) {
    std::fprintf(stderr, "zr_skybox: the face size must be a power of two from 4 to 2048\n");
    return 2;
  }
  uint32_t mips = 1;
  while ((size >> (mips - 1)) > 1) ++mips;

  std::vector<uint8_t> file = Header(static_cast<uint32_t>(size), mips);
  for (int face = 0; face < 6; ++face) {
    // Top level sampled with 2x2 supersampling; each smaller level is a box filter of the last.
    long n = size;
    std::vector<float> level(static_cast<size_t>(n * n * 3));
    for (long y = 0; y < n; ++y)
      for (long x = 0; x < n; ++x) {
        Colour sum{0, 0, 0};
        for (int sy = 0; sy < 2; ++sy)
          for (int sx = 0; sx < 2; ++sx) {
            const float s = 2.0f * (static_cast<float>(x) + 0.25f + 0.5f * sx) / static_cast<float>(n) - 1.0f;
            const float t = 2.0f * (static_cast<float>(y) + 0.25f + 0.5f * sy) / static_cast<float>(n) - 1.0f;
            const auto d = FaceDirection(face, s, t);
            const float l = Length(d[0], d[1], d[2]);
            const Colour c = SkyColour(d[0] / l, d[1] / l, d[2] / l);
            sum = {sum.r + c.r * 0.25f, sum.g + c.g * 0.25f, sum.b + c.b * 0.25f};
          }
        float* p = &level[static_cast<size_t>((y * n + x) * 3)];
        p[0] = sum.r, p[1] = sum.g, p[2] = sum.b;
      }
    for (;;) {
      for (size_t i = 0; i < level.size(); i += 3) {
        file.push_back(ToByte(level[i]));
        file.push_back(ToByte(level[i + 1]));
        file.push_back(ToByte(level[i + 2]));
        file.push_back(255);
      }
      if (n == 1) break;
      const long half = n / 2;
      std::vector<float> next(static_cast<size_t>(half * half * 3));
      for (long y = 0; y < half; ++y)
        for (long x = 0; x < half; ++x)
          for (int c = 0; c < 3; ++c) {
            auto at = [&](long yy, long xx) { return level[static_cast<size_t>((yy * n + xx) * 3 + c)]; };
            next[static_cast<size_t>((y * half + x) * 3 + c)] =
                0.25f * (at(2 * y, 2 * x) + at(2 * y, 2 * x + 1) + at(2 * y + 1, 2 * x) + at(2 * y + 1, 2 * x + 1));
          }
      level.swap(next);
      n = half;
    }
  }

  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) {
    std::fprintf(stderr, "zr_skybox: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
