// Vector and matrix library: four-float SIMD vectors, row-major 4x4 matrices and
// the unaligned float records used to store them. Left-handed space, row vectors
// (p' = p * M), angles in radians.
#pragma once

#include <xmmintrin.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#ifndef XM_CALLCONV
#define XM_CALLCONV
#endif

namespace DirectX {

constexpr float XM_PI = 3.141592654f;
constexpr float XM_2PI = 6.283185307f;
constexpr float XM_1DIVPI = 0.318309886f;
constexpr float XM_1DIV2PI = 0.159154943f;
constexpr float XM_PIDIV2 = 1.570796327f;
constexpr float XM_PIDIV4 = 0.785398163f;

constexpr float XMConvertToRadians(float fDegrees) noexcept { return fDegrees * (XM_PI / 180.0f); }
constexpr float XMConvertToDegrees(float fRadians) noexcept { return fRadians * (180.0f / XM_PI); }

// The four components x, y, z, w in one SSE register. The compiler's own vector
// operators (+, -, *, / and their compound forms, also with a float) apply to it.
using XMVECTOR = __m128;

// Parameter forms: the first three vector arguments by value, later ones by reference.
using FXMVECTOR = const XMVECTOR;
using GXMVECTOR = const XMVECTOR&;
using HXMVECTOR = const XMVECTOR&;
using CXMVECTOR = const XMVECTOR&;

// A vector constant spelled as four floats.
struct alignas(16) XMVECTORF32 {
  union {
    float f[4];
    XMVECTOR v;
  };
  operator XMVECTOR() const noexcept { return v; }
  operator const float*() const noexcept { return f; }
};

struct XMMATRIX;
using FXMMATRIX = const XMMATRIX&;
using CXMMATRIX = const XMMATRIX&;

XMMATRIX XM_CALLCONV XMMatrixMultiply(FXMMATRIX M1, CXMMATRIX M2) noexcept;

// Four rows; row i holds the elements (i, 0) to (i, 3).
struct alignas(16) XMMATRIX {
  XMVECTOR r[4];

  XMMATRIX() = default;
  XMMATRIX(const XMMATRIX&) = default;
  XMMATRIX& operator=(const XMMATRIX&) = default;
  constexpr XMMATRIX(FXMVECTOR R0, FXMVECTOR R1, FXMVECTOR R2, CXMVECTOR R3) noexcept : r{R0, R1, R2, R3} {}
  XMMATRIX(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20, float m21,
           float m22, float m23, float m30, float m31, float m32, float m33)
  noexcept
      : r{_mm_setr_ps(m00, m01, m02, m03), _mm_setr_ps(m10, m11, m12, m13), _mm_setr_ps(m20, m21, m22, m23),
          _mm_setr_ps(m30, m31, m32, m33)} {}
  explicit XMMATRIX(const float* pArray) noexcept
      : r{_mm_loadu_ps(pArray), _mm_loadu_ps(pArray + 4), _mm_loadu_ps(pArray + 8), _mm_loadu_ps(pArray + 12)} {}

  XMMATRIX operator+() const noexcept { return *this; }
  XMMATRIX operator-() const noexcept { return XMMATRIX(-r[0], -r[1], -r[2], -r[3]); }

  XMMATRIX& XM_CALLCONV operator+=(FXMMATRIX M) noexcept {
    for (int i = 0; i < 4; ++i) r[i] += M.r[i];
    return *this;
  }
  XMMATRIX& XM_CALLCONV operator-=(FXMMATRIX M) noexcept {
    for (int i = 0; i < 4; ++i) r[i] -= M.r[i];
    return *this;
  }
  XMMATRIX& XM_CALLCONV operator*=(FXMMATRIX M) noexcept { return *this = XMMatrixMultiply(*this, M); }
  XMMATRIX& operator*=(float S) noexcept {
    for (int i = 0; i < 4; ++i) r[i] *= S;
    return *this;
  }
  XMMATRIX& operator/=(float S) noexcept {
    for (int i = 0; i < 4; ++i) r[i] /= S;
    return *this;
  }

  XMMATRIX XM_CALLCONV operator+(FXMMATRIX M) const noexcept { return XMMATRIX(*this) += M; }
  XMMATRIX XM_CALLCONV operator-(FXMMATRIX M) const noexcept { return XMMATRIX(*this) -= M; }
  XMMATRIX XM_CALLCONV operator*(FXMMATRIX M) const noexcept { return XMMatrixMultiply(*this, M); }
  XMMATRIX operator*(float S) const noexcept { return XMMATRIX(*this) *= S; }
  XMMATRIX operator/(float S) const noexcept { return XMMATRIX(*this) /= S; }
  friend XMMATRIX XM_CALLCONV operator*(float S, FXMMATRIX M) noexcept { return M * S; }
};

// Unaligned float records for storage inside other records.
struct XMFLOAT2 {
  float x;
  float y;

  XMFLOAT2() = default;
  XMFLOAT2(const XMFLOAT2&) = default;
  XMFLOAT2& operator=(const XMFLOAT2&) = default;
  constexpr XMFLOAT2(float _x, float _y) noexcept : x(_x), y(_y) {}
  explicit XMFLOAT2(const float* pArray) noexcept : x(pArray[0]), y(pArray[1]) {}
};

struct XMFLOAT3 {
  float x;
  float y;
  float z;

  XMFLOAT3() = default;
  XMFLOAT3(const XMFLOAT3&) = default;
  XMFLOAT3& operator=(const XMFLOAT3&) = default;
  constexpr XMFLOAT3(float _x, float _y, float _z) noexcept : x(_x), y(_y), z(_z) {}
  explicit XMFLOAT3(const float* pArray) noexcept : x(pArray[0]), y(pArray[1]), z(pArray[2]) {}
};

struct XMFLOAT4 {
  float x;
  float y;
  float z;
  float w;

  XMFLOAT4() = default;
  XMFLOAT4(const XMFLOAT4&) = default;
  XMFLOAT4& operator=(const XMFLOAT4&) = default;
  constexpr XMFLOAT4(float _x, float _y, float _z, float _w) noexcept : x(_x), y(_y), z(_z), w(_w) {}
  explicit XMFLOAT4(const float* pArray) noexcept : x(pArray[0]), y(pArray[1]), z(pArray[2]), w(pArray[3]) {}
};

// Sixteen floats, row after row.
struct XMFLOAT4X4 {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };

  XMFLOAT4X4() = default;
  XMFLOAT4X4(const XMFLOAT4X4&) = default;
  XMFLOAT4X4& operator=(const XMFLOAT4X4&) = default;
  constexpr XMFLOAT4X4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
                       float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33) noexcept
      : _11(m00),
        _12(m01),
        _13(m02),
        _14(m03),
        _21(m10),
        _22(m11),
        _23(m12),
        _24(m13),
        _31(m20),
        _32(m21),
        _33(m22),
        _34(m23),
        _41(m30),
        _42(m31),
        _43(m32),
        _44(m33) {}
  explicit XMFLOAT4X4(const float* pArray) noexcept {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = pArray[i];
  }

  float operator()(size_t Row, size_t Column) const noexcept { return m[Row][Column]; }
  float& operator()(size_t Row, size_t Column) noexcept { return m[Row][Column]; }
};

static_assert(sizeof(XMVECTOR) == 16 && alignof(XMVECTOR) == 16);
static_assert(sizeof(XMMATRIX) == 64 && alignof(XMMATRIX) == 16);
static_assert(sizeof(XMFLOAT2) == 8 && alignof(XMFLOAT2) == 4);
static_assert(sizeof(XMFLOAT3) == 12 && alignof(XMFLOAT3) == 4);
static_assert(sizeof(XMFLOAT4) == 16 && alignof(XMFLOAT4) == 4);
static_assert(sizeof(XMFLOAT4X4) == 64 && alignof(XMFLOAT4X4) == 4);

namespace detail {
// Selects lanes by index; each index must be 0 to 3.
template <int X, int Y, int Z, int W>
inline XMVECTOR XM_CALLCONV Swizzle(FXMVECTOR V) noexcept {
  return _mm_shuffle_ps(V, V, _MM_SHUFFLE(W, Z, Y, X));
}
// Lanes X and Y from A, then Z and W from B.
template <int X, int Y, int Z, int W>
inline XMVECTOR XM_CALLCONV Permute(FXMVECTOR A, FXMVECTOR B) noexcept {
  return _mm_shuffle_ps(A, B, _MM_SHUFFLE(W, Z, Y, X));
}
inline XMVECTOR XM_CALLCONV Sum4(FXMVECTOR V) noexcept {
  XMVECTOR t = _mm_add_ps(V, Swizzle<1, 0, 3, 2>(V));
  return _mm_add_ps(t, Swizzle<2, 3, 0, 1>(t));
}
// V divided by the length held in every lane of Length; zero where the length is zero.
inline XMVECTOR XM_CALLCONV DivideByLength(FXMVECTOR V, FXMVECTOR Length) noexcept {
  XMVECTOR nonZero = _mm_cmpneq_ps(Length, _mm_setzero_ps());
  return _mm_and_ps(_mm_div_ps(V, Length), nonZero);
}
}  // namespace detail

// ---- Loads and stores ----------------------------------------------------------

inline XMVECTOR XM_CALLCONV XMLoadFloat2(const XMFLOAT2* pSource) noexcept {
  return _mm_setr_ps(pSource->x, pSource->y, 0.0f, 0.0f);
}
inline XMVECTOR XM_CALLCONV XMLoadFloat3(const XMFLOAT3* pSource) noexcept {
  return _mm_setr_ps(pSource->x, pSource->y, pSource->z, 0.0f);
}
inline XMVECTOR XM_CALLCONV XMLoadFloat4(const XMFLOAT4* pSource) noexcept { return _mm_loadu_ps(&pSource->x); }
inline XMMATRIX XM_CALLCONV XMLoadFloat4x4(const XMFLOAT4X4* pSource) noexcept { return XMMATRIX(&pSource->m[0][0]); }

inline void XM_CALLCONV XMStoreFloat2(XMFLOAT2* pDestination, FXMVECTOR V) noexcept {
  alignas(16) float f[4];
  _mm_store_ps(f, V);
  *pDestination = XMFLOAT2(f[0], f[1]);
}
inline void XM_CALLCONV XMStoreFloat3(XMFLOAT3* pDestination, FXMVECTOR V) noexcept {
  alignas(16) float f[4];
  _mm_store_ps(f, V);
  *pDestination = XMFLOAT3(f[0], f[1], f[2]);
}
inline void XM_CALLCONV XMStoreFloat4(XMFLOAT4* pDestination, FXMVECTOR V) noexcept {
  _mm_storeu_ps(&pDestination->x, V);
}
inline void XM_CALLCONV XMStoreFloat4x4(XMFLOAT4X4* pDestination, FXMMATRIX M) noexcept {
  for (int i = 0; i < 4; ++i) _mm_storeu_ps(pDestination->m[i], M.r[i]);
}

// ---- Construction and component access -----------------------------------------

inline XMVECTOR XM_CALLCONV XMVectorZero() noexcept { return _mm_setzero_ps(); }
inline XMVECTOR XM_CALLCONV XMVectorSet(float x, float y, float z, float w) noexcept { return _mm_setr_ps(x, y, z, w); }
inline XMVECTOR XM_CALLCONV XMVectorReplicate(float Value) noexcept { return _mm_set1_ps(Value); }
inline XMVECTOR XM_CALLCONV XMVectorSplatX(FXMVECTOR V) noexcept { return detail::Swizzle<0, 0, 0, 0>(V); }
inline XMVECTOR XM_CALLCONV XMVectorSplatY(FXMVECTOR V) noexcept { return detail::Swizzle<1, 1, 1, 1>(V); }
inline XMVECTOR XM_CALLCONV XMVectorSplatZ(FXMVECTOR V) noexcept { return detail::Swizzle<2, 2, 2, 2>(V); }
inline XMVECTOR XM_CALLCONV XMVectorSplatW(FXMVECTOR V) noexcept { return detail::Swizzle<3, 3, 3, 3>(V); }

inline float XM_CALLCONV XMVectorGetByIndex(FXMVECTOR V, size_t i) noexcept {
  alignas(16) float f[4];
  _mm_store_ps(f, V);
  return f[i & 3];
}
inline float XM_CALLCONV XMVectorGetX(FXMVECTOR V) noexcept { return _mm_cvtss_f32(V); }
inline float XM_CALLCONV XMVectorGetY(FXMVECTOR V) noexcept { return _mm_cvtss_f32(XMVectorSplatY(V)); }
inline float XM_CALLCONV XMVectorGetZ(FXMVECTOR V) noexcept { return _mm_cvtss_f32(XMVectorSplatZ(V)); }
inline float XM_CALLCONV XMVectorGetW(FXMVECTOR V) noexcept { return _mm_cvtss_f32(XMVectorSplatW(V)); }

inline XMVECTOR XM_CALLCONV XMVectorSetByIndex(FXMVECTOR V, float f, size_t i) noexcept {
  alignas(16) float v[4];
  _mm_store_ps(v, V);
  v[i & 3] = f;
  return _mm_load_ps(v);
}
inline XMVECTOR XM_CALLCONV XMVectorSetX(FXMVECTOR V, float x) noexcept { return XMVectorSetByIndex(V, x, 0); }
inline XMVECTOR XM_CALLCONV XMVectorSetY(FXMVECTOR V, float y) noexcept { return XMVectorSetByIndex(V, y, 1); }
inline XMVECTOR XM_CALLCONV XMVectorSetZ(FXMVECTOR V, float z) noexcept { return XMVectorSetByIndex(V, z, 2); }
inline XMVECTOR XM_CALLCONV XMVectorSetW(FXMVECTOR V, float w) noexcept { return XMVectorSetByIndex(V, w, 3); }

// ---- Component-wise arithmetic -------------------------------------------------

inline XMVECTOR XM_CALLCONV XMVectorAdd(FXMVECTOR V1, FXMVECTOR V2) noexcept { return _mm_add_ps(V1, V2); }
inline XMVECTOR XM_CALLCONV XMVectorSubtract(FXMVECTOR V1, FXMVECTOR V2) noexcept { return _mm_sub_ps(V1, V2); }
inline XMVECTOR XM_CALLCONV XMVectorMultiply(FXMVECTOR V1, FXMVECTOR V2) noexcept { return _mm_mul_ps(V1, V2); }
inline XMVECTOR XM_CALLCONV XMVectorDivide(FXMVECTOR V1, FXMVECTOR V2) noexcept { return _mm_div_ps(V1, V2); }
inline XMVECTOR XM_CALLCONV XMVectorScale(FXMVECTOR V, float ScaleFactor) noexcept {
  return _mm_mul_ps(V, _mm_set1_ps(ScaleFactor));
}
inline XMVECTOR XM_CALLCONV XMVectorNegate(FXMVECTOR V) noexcept { return _mm_sub_ps(_mm_setzero_ps(), V); }
inline XMVECTOR XM_CALLCONV XMVectorMultiplyAdd(FXMVECTOR V1, FXMVECTOR V2, FXMVECTOR V3) noexcept {
  return _mm_add_ps(_mm_mul_ps(V1, V2), V3);
}
inline XMVECTOR XM_CALLCONV XMVectorLerp(FXMVECTOR V0, FXMVECTOR V1, float t) noexcept {
  return _mm_add_ps(V0, _mm_mul_ps(_mm_sub_ps(V1, V0), _mm_set1_ps(t)));
}
inline XMVECTOR XM_CALLCONV XMVectorMin(FXMVECTOR V1, FXMVECTOR V2) noexcept { return _mm_min_ps(V1, V2); }
inline XMVECTOR XM_CALLCONV XMVectorMax(FXMVECTOR V1, FXMVECTOR V2) noexcept { return _mm_max_ps(V1, V2); }

// ---- Three- and four-component geometry ----------------------------------------

// The dot product in every component.
inline XMVECTOR XM_CALLCONV XMVector3Dot(FXMVECTOR V1, FXMVECTOR V2) noexcept {
  XMVECTOR p = _mm_mul_ps(V1, V2);
  XMVECTOR s = _mm_add_ss(p, detail::Swizzle<1, 1, 1, 1>(p));
  s = _mm_add_ss(s, detail::Swizzle<2, 2, 2, 2>(p));
  return detail::Swizzle<0, 0, 0, 0>(s);
}
inline XMVECTOR XM_CALLCONV XMVector4Dot(FXMVECTOR V1, FXMVECTOR V2) noexcept {
  return detail::Sum4(_mm_mul_ps(V1, V2));
}

// (a.y b.z - a.z b.y, a.z b.x - a.x b.z, a.x b.y - a.y b.x, 0)
inline XMVECTOR XM_CALLCONV XMVector3Cross(FXMVECTOR V1, FXMVECTOR V2) noexcept {
  XMVECTOR a = _mm_mul_ps(detail::Swizzle<1, 2, 0, 3>(V1), detail::Swizzle<2, 0, 1, 3>(V2));
  XMVECTOR b = _mm_mul_ps(detail::Swizzle<2, 0, 1, 3>(V1), detail::Swizzle<1, 2, 0, 3>(V2));
  // The w lanes cancel to zero for finite inputs; clear them outright.
  const XMVECTORF32 keepXYZ = {{{-1.0f, -1.0f, -1.0f, 0.0f}}};
  return _mm_and_ps(_mm_sub_ps(a, b), _mm_cmpneq_ps(keepXYZ, _mm_setzero_ps()));
}

inline XMVECTOR XM_CALLCONV XMVector3LengthSq(FXMVECTOR V) noexcept { return XMVector3Dot(V, V); }
inline XMVECTOR XM_CALLCONV XMVector3Length(FXMVECTOR V) noexcept { return _mm_sqrt_ps(XMVector3Dot(V, V)); }
inline XMVECTOR XM_CALLCONV XMVector4LengthSq(FXMVECTOR V) noexcept { return XMVector4Dot(V, V); }
inline XMVECTOR XM_CALLCONV XMVector4Length(FXMVECTOR V) noexcept { return _mm_sqrt_ps(XMVector4Dot(V, V)); }

// All four components divided by the length of (x, y, z); a zero-length input gives zero.
inline XMVECTOR XM_CALLCONV XMVector3Normalize(FXMVECTOR V) noexcept {
  return detail::DivideByLength(V, XMVector3Length(V));
}
// All four components divided by the four-component length; a zero input gives zero.
inline XMVECTOR XM_CALLCONV XMVector4Normalize(FXMVECTOR V) noexcept {
  return detail::DivideByLength(V, XMVector4Length(V));
}

inline bool XM_CALLCONV XMVector3Equal(FXMVECTOR V1, FXMVECTOR V2) noexcept {
  return (_mm_movemask_ps(_mm_cmpeq_ps(V1, V2)) & 7) == 7;
}
inline bool XM_CALLCONV XMVector3NearEqual(FXMVECTOR V1, FXMVECTOR V2, FXMVECTOR Epsilon) noexcept {
  XMVECTOR d = _mm_sub_ps(V1, V2);
  XMVECTOR absD = _mm_max_ps(d, _mm_sub_ps(_mm_setzero_ps(), d));
  return (_mm_movemask_ps(_mm_cmple_ps(absD, Epsilon)) & 7) == 7;
}
inline bool XM_CALLCONV XMVector4Equal(FXMVECTOR V1, FXMVECTOR V2) noexcept {
  return _mm_movemask_ps(_mm_cmpeq_ps(V1, V2)) == 15;
}

// (x, y, z, 1) * M: the point V moved by the whole matrix, w of V ignored.
inline XMVECTOR XM_CALLCONV XMVector3Transform(FXMVECTOR V, FXMMATRIX M) noexcept {
  XMVECTOR r = _mm_add_ps(_mm_mul_ps(XMVectorSplatX(V), M.r[0]), M.r[3]);
  r = _mm_add_ps(r, _mm_mul_ps(XMVectorSplatY(V), M.r[1]));
  return _mm_add_ps(r, _mm_mul_ps(XMVectorSplatZ(V), M.r[2]));
}
// As XMVector3Transform, then divided by the resulting w.
inline XMVECTOR XM_CALLCONV XMVector3TransformCoord(FXMVECTOR V, FXMMATRIX M) noexcept {
  XMVECTOR r = XMVector3Transform(V, M);
  return _mm_div_ps(r, XMVectorSplatW(r));
}
// (x, y, z, 0) * M: the direction V turned by the matrix, without its translation.
inline XMVECTOR XM_CALLCONV XMVector3TransformNormal(FXMVECTOR V, FXMMATRIX M) noexcept {
  XMVECTOR r = _mm_mul_ps(XMVectorSplatX(V), M.r[0]);
  r = _mm_add_ps(r, _mm_mul_ps(XMVectorSplatY(V), M.r[1]));
  return _mm_add_ps(r, _mm_mul_ps(XMVectorSplatZ(V), M.r[2]));
}
// V * M with all four components.
inline XMVECTOR XM_CALLCONV XMVector4Transform(FXMVECTOR V, FXMMATRIX M) noexcept {
  XMVECTOR r = _mm_mul_ps(XMVectorSplatX(V), M.r[0]);
  r = _mm_add_ps(r, _mm_mul_ps(XMVectorSplatY(V), M.r[1]));
  r = _mm_add_ps(r, _mm_mul_ps(XMVectorSplatZ(V), M.r[2]));
  return _mm_add_ps(r, _mm_mul_ps(XMVectorSplatW(V), M.r[3]));
}

// ---- Matrices --------------------------------------------------------------------

inline XMMATRIX XM_CALLCONV XMMatrixSet(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
                                        float m13, float m20, float m21, float m22, float m23, float m30, float m31,
                                        float m32, float m33) noexcept {
  return XMMATRIX(m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33);
}

inline XMMATRIX XM_CALLCONV XMMatrixIdentity() noexcept {
  return XMMATRIX(_mm_setr_ps(1, 0, 0, 0), _mm_setr_ps(0, 1, 0, 0), _mm_setr_ps(0, 0, 1, 0), _mm_setr_ps(0, 0, 0, 1));
}

// M1 * M2: M1 applied first, then M2.
inline XMMATRIX XM_CALLCONV XMMatrixMultiply(FXMMATRIX M1, CXMMATRIX M2) noexcept {
  XMMATRIX result;
  for (int i = 0; i < 4; ++i) result.r[i] = XMVector4Transform(M1.r[i], M2);
  return result;
}

inline XMMATRIX XM_CALLCONV XMMatrixTranspose(FXMMATRIX M) noexcept {
  XMMATRIX t = M;
  _MM_TRANSPOSE4_PS(t.r[0], t.r[1], t.r[2], t.r[3]);
  return t;
}

inline XMVECTOR XM_CALLCONV XMMatrixDeterminant(FXMMATRIX M) noexcept;

// The general inverse through the 2x2 minors of rows 0-1 and rows 2-3. A singular
// matrix gives non-finite elements. pDeterminant, when given, receives the
// determinant in every component.
inline XMMATRIX XM_CALLCONV XMMatrixInverse(XMVECTOR* pDeterminant, FXMMATRIX M) noexcept {
  using detail::Permute;
  using detail::Swizzle;
  const XMVECTOR r0 = M.r[0], r1 = M.r[1], r2 = M.r[2], r3 = M.r[3];

  // Minors m(i, j) = a[i] b[j] - b[i] a[j] of two rows a, b, in the order
  // (0,1) (0,2) (0,3) (1,2) for lo, and (1,3) (2,3) for both row pairs in hi.
  const XMVECTOR sLo = _mm_sub_ps(_mm_mul_ps(Swizzle<0, 0, 0, 1>(r0), Swizzle<1, 2, 3, 2>(r1)),
                                  _mm_mul_ps(Swizzle<0, 0, 0, 1>(r1), Swizzle<1, 2, 3, 2>(r0)));
  const XMVECTOR cLo = _mm_sub_ps(_mm_mul_ps(Swizzle<0, 0, 0, 1>(r2), Swizzle<1, 2, 3, 2>(r3)),
                                  _mm_mul_ps(Swizzle<0, 0, 0, 1>(r3), Swizzle<1, 2, 3, 2>(r2)));
  // (s4, s5, c4, c5)
  const XMVECTOR hi = _mm_sub_ps(_mm_mul_ps(Permute<1, 2, 1, 2>(r0, r2), Permute<3, 3, 3, 3>(r1, r3)),
                                 _mm_mul_ps(Permute<1, 2, 1, 2>(r1, r3), Permute<3, 3, 3, 3>(r0, r2)));

  // Pairs (c_k, c_k, s_k, s_k) of the lower and upper minors.
  const XMVECTOR p5 = Swizzle<3, 3, 1, 1>(hi);
  const XMVECTOR p4 = Swizzle<2, 2, 0, 0>(hi);
  const XMVECTOR p3 = Permute<3, 3, 3, 3>(cLo, sLo);
  const XMVECTOR p2 = Permute<2, 2, 2, 2>(cLo, sLo);
  const XMVECTOR p1 = Permute<1, 1, 1, 1>(cLo, sLo);
  const XMVECTOR p0 = Permute<0, 0, 0, 0>(cLo, sLo);

  // Columns k of the matrix, reordered as (row 1, row 0, row 3, row 2).
  const XMVECTOR lo10 = _mm_unpacklo_ps(r1, r0), lo32 = _mm_unpacklo_ps(r3, r2);
  const XMVECTOR hi10 = _mm_unpackhi_ps(r1, r0), hi32 = _mm_unpackhi_ps(r3, r2);
  const XMVECTOR a0 = _mm_movelh_ps(lo10, lo32), a1 = _mm_movehl_ps(lo32, lo10);
  const XMVECTOR a2 = _mm_movelh_ps(hi10, hi32), a3 = _mm_movehl_ps(hi32, hi10);

  const XMVECTORF32 plusMinus = {{{1.0f, -1.0f, 1.0f, -1.0f}}};
  const XMVECTORF32 minusPlus = {{{-1.0f, 1.0f, -1.0f, 1.0f}}};
  auto cofactorRow = [](FXMVECTOR x, FXMVECTOR px, FXMVECTOR y, GXMVECTOR py, HXMVECTOR z, CXMVECTOR pz) {
    return _mm_add_ps(_mm_sub_ps(_mm_mul_ps(x, px), _mm_mul_ps(y, py)), _mm_mul_ps(z, pz));
  };
  XMMATRIX adj(_mm_mul_ps(plusMinus, cofactorRow(a1, p5, a2, p4, a3, p3)),
               _mm_mul_ps(minusPlus, cofactorRow(a0, p5, a2, p2, a3, p1)),
               _mm_mul_ps(plusMinus, cofactorRow(a0, p4, a1, p2, a3, p0)),
               _mm_mul_ps(minusPlus, cofactorRow(a0, p3, a1, p1, a2, p0)));

  // Column 0 of M against row 0 of the adjugate.
  const XMVECTOR det = XMVector4Dot(adj.r[0], Swizzle<1, 0, 3, 2>(a0));
  if (pDeterminant) *pDeterminant = det;
  const XMVECTOR invDet = _mm_div_ps(_mm_set1_ps(1.0f), det);
  for (int i = 0; i < 4; ++i) adj.r[i] = _mm_mul_ps(adj.r[i], invDet);
  return adj;
}

inline XMVECTOR XM_CALLCONV XMMatrixDeterminant(FXMMATRIX M) noexcept {
  XMVECTOR det;
  XMMatrixInverse(&det, M);
  return det;
}

inline XMMATRIX XM_CALLCONV XMMatrixTranslation(float OffsetX, float OffsetY, float OffsetZ) noexcept {
  XMMATRIX m = XMMatrixIdentity();
  m.r[3] = _mm_setr_ps(OffsetX, OffsetY, OffsetZ, 1.0f);
  return m;
}
inline XMMATRIX XM_CALLCONV XMMatrixTranslationFromVector(FXMVECTOR Offset) noexcept {
  return XMMatrixTranslation(XMVectorGetX(Offset), XMVectorGetY(Offset), XMVectorGetZ(Offset));
}

inline XMMATRIX XM_CALLCONV XMMatrixScaling(float ScaleX, float ScaleY, float ScaleZ) noexcept {
  return XMMATRIX(_mm_setr_ps(ScaleX, 0, 0, 0), _mm_setr_ps(0, ScaleY, 0, 0), _mm_setr_ps(0, 0, ScaleZ, 0),
                  _mm_setr_ps(0, 0, 0, 1));
}
inline XMMATRIX XM_CALLCONV XMMatrixScalingFromVector(FXMVECTOR Scale) noexcept {
  return XMMatrixScaling(XMVectorGetX(Scale), XMVectorGetY(Scale), XMVectorGetZ(Scale));
}

// A positive angle about X turns +Z toward -Y, about Y turns +Z toward +X, about Z
// turns +X toward +Y.
inline XMMATRIX XM_CALLCONV XMMatrixRotationX(float Angle) noexcept {
  const float c = std::cos(Angle), s = std::sin(Angle);
  return XMMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
}
inline XMMATRIX XM_CALLCONV XMMatrixRotationY(float Angle) noexcept {
  const float c = std::cos(Angle), s = std::sin(Angle);
  return XMMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
}
inline XMMATRIX XM_CALLCONV XMMatrixRotationZ(float Angle) noexcept {
  const float c = std::cos(Angle), s = std::sin(Angle);
  return XMMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

// Roll about Z first, then pitch about X, then yaw about Y.
inline XMMATRIX XM_CALLCONV XMMatrixRotationRollPitchYaw(float Pitch, float Yaw, float Roll) noexcept {
  return XMMatrixMultiply(XMMatrixMultiply(XMMatrixRotationZ(Roll), XMMatrixRotationX(Pitch)), XMMatrixRotationY(Yaw));
}
// Angles as (pitch, yaw, roll) in x, y, z.
inline XMMATRIX XM_CALLCONV XMMatrixRotationRollPitchYawFromVector(FXMVECTOR Angles) noexcept {
  return XMMatrixRotationRollPitchYaw(XMVectorGetX(Angles), XMVectorGetY(Angles), XMVectorGetZ(Angles));
}

// Rotation by Angle about the unit axis NormalAxis, in the same sense as the
// elementary rotations.
inline XMMATRIX XM_CALLCONV XMMatrixRotationNormal(FXMVECTOR NormalAxis, float Angle) noexcept {
  const float x = XMVectorGetX(NormalAxis), y = XMVectorGetY(NormalAxis), z = XMVectorGetZ(NormalAxis);
  const float c = std::cos(Angle), s = std::sin(Angle), t = 1.0f - c;
  return XMMATRIX(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,  //
                  t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,  //
                  t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,  //
                  0, 0, 0, 1);
}
inline XMMATRIX XM_CALLCONV XMMatrixRotationAxis(FXMVECTOR Axis, float Angle) noexcept {
  return XMMatrixRotationNormal(XMVector3Normalize(Axis), Angle);
}

// Left-handed view matrix of an eye looking along EyeDirection. Its inverse has
// row 2 = normalize(EyeDirection), row 0 = normalize(UpDirection x row 2),
// row 1 = row 2 x row 0 and row 3 = (EyePosition, 1).
inline XMMATRIX XM_CALLCONV XMMatrixLookToLH(FXMVECTOR EyePosition, FXMVECTOR EyeDirection,
                                             FXMVECTOR UpDirection) noexcept {
  const XMVECTOR z = XMVector3Normalize(EyeDirection);
  const XMVECTOR x = XMVector3Normalize(XMVector3Cross(UpDirection, z));
  const XMVECTOR y = XMVector3Cross(z, x);
  const XMVECTOR negEye = XMVectorNegate(EyePosition);
  XMMATRIX m(XMVectorSetW(x, XMVectorGetX(XMVector3Dot(x, negEye))),
             XMVectorSetW(y, XMVectorGetX(XMVector3Dot(y, negEye))),
             XMVectorSetW(z, XMVectorGetX(XMVector3Dot(z, negEye))), _mm_setr_ps(0, 0, 0, 1));
  return XMMatrixTranspose(m);
}
inline XMMATRIX XM_CALLCONV XMMatrixLookAtLH(FXMVECTOR EyePosition, FXMVECTOR FocusPosition,
                                             FXMVECTOR UpDirection) noexcept {
  return XMMatrixLookToLH(EyePosition, _mm_sub_ps(FocusPosition, EyePosition), UpDirection);
}

// Left-handed perspective projection: vertical field of view in radians, aspect
// width / height; view depth NearZ to FarZ maps to 0 to 1 after the divide by w.
inline XMMATRIX XM_CALLCONV XMMatrixPerspectiveFovLH(float FovAngleY, float AspectRatio, float NearZ,
                                                     float FarZ) noexcept {
  const float h = std::cos(0.5f * FovAngleY) / std::sin(0.5f * FovAngleY);
  const float w = h / AspectRatio;
  const float range = FarZ / (FarZ - NearZ);
  return XMMATRIX(w, 0, 0, 0, 0, h, 0, 0, 0, 0, range, 1, 0, 0, -range * NearZ, 0);
}

}  // namespace DirectX
