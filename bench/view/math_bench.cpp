// The SSE matrix product and inverse against plain scalar loops over sixteen floats.
#include <DirectXMath.h>
#include <benchmark/benchmark.h>

using namespace DirectX;

namespace {

struct Scalar4x4 {
  float m[4][4];
};

Scalar4x4 ScalarMultiply(const Scalar4x4& a, const Scalar4x4& b) {
  Scalar4x4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  return r;
}

// Cofactor expansion through the 2x2 minors of the top and bottom row pairs.
Scalar4x4 ScalarInverse(const Scalar4x4& in) {
  const auto& a = in.m;
  const float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1], s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  const float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3], s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  const float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3], s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  const float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3], c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  const float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2], c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  const float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2], c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  const float inv = 1.0f / (s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0);
  Scalar4x4 r;
  r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * inv;
  r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * inv;
  r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * inv;
  r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * inv;
  r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * inv;
  r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * inv;
  r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * inv;
  r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * inv;
  r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * inv;
  r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * inv;
  r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * inv;
  r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * inv;
  r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * inv;
  r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * inv;
  r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * inv;
  r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * inv;
  return r;
}

const XMMATRIX A = XMMatrixRotationRollPitchYaw(0.4f, -1.1f, 2.3f) * XMMatrixTranslation(3, -2, 7);
const XMMATRIX B = XMMatrixPerspectiveFovLH(1.2f, 1.5f, 0.5f, 100);

Scalar4x4 ToScalar(FXMMATRIX m) {
  XMFLOAT4X4 f;
  XMStoreFloat4x4(&f, m);
  Scalar4x4 s;
  for (int i = 0; i < 16; ++i) s.m[i / 4][i % 4] = f.m[i / 4][i % 4];
  return s;
}

void BM_XMMatrixMultiply(benchmark::State& state) {
  XMMATRIX a = A, b = B;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    XMMATRIX r = XMMatrixMultiply(a, b);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_XMMatrixMultiply);

void BM_ScalarMultiply(benchmark::State& state) {
  Scalar4x4 a = ToScalar(A), b = ToScalar(B);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    Scalar4x4 r = ScalarMultiply(a, b);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_ScalarMultiply);

void BM_XMMatrixInverse(benchmark::State& state) {
  XMMATRIX a = A;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    XMMATRIX r = XMMatrixInverse(nullptr, a);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_XMMatrixInverse);

void BM_ScalarInverse(benchmark::State& state) {
  Scalar4x4 a = ToScalar(A);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    Scalar4x4 r = ScalarInverse(a);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_ScalarInverse);

}  // namespace
