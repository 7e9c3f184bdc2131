#include <DirectXMath.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

using namespace DirectX;

namespace {

using Float4 = std::array<float, 4>;
using Float16 = std::array<float, 16>;

Float4 ToArray(FXMVECTOR v) {
  XMFLOAT4 f;
  XMStoreFloat4(&f, v);
  return {f.x, f.y, f.z, f.w};
}

Float16 ToArray(FXMMATRIX m) {
  XMFLOAT4X4 f;
  XMStoreFloat4x4(&f, m);
  Float16 a;
  for (int i = 0; i < 16; ++i) a[i] = f.m[i / 4][i % 4];
  return a;
}

template <size_t N>
void ExpectNear(const std::array<float, N>& actual, const std::array<float, N>& expected, float tolerance,
                const std::string& what) {
  for (size_t i = 0; i < N; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", element " << i;
}

XMVECTOR Point(float x, float y, float z) { return XMVectorSet(x, y, z, 1.0f); }
XMVECTOR Direction(float x, float y, float z) { return XMVectorSet(x, y, z, 0.0f); }

const Float16 Identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

TEST(VectorMath, OperationsGiveTheirHandComputedResults) {
  const XMFLOAT3 f3(1, 2, 3);
  const XMFLOAT4 f4(1, 2, 3, 4);
  const float s = std::sqrt(0.5f);
  struct Case {
    const char* what;
    XMVECTOR actual;
    Float4 expected;
  };
  const Case cases[] = {
      {"load float3 leaves w zero", XMLoadFloat3(&f3), {1, 2, 3, 0}},
      {"load float4 keeps w", XMLoadFloat4(&f4), {1, 2, 3, 4}},
      {"normalize3 of zero is zero", XMVector3Normalize(XMVectorZero()), {0, 0, 0, 0}},
      {"normalize3 divides all four by the xyz length",
       XMVector3Normalize(XMVectorSet(3, 0, 4, 2)),
       {0.6f, 0, 0.8f, 0.4f}},
      {"normalize4 uses all four", XMVector4Normalize(XMVectorSet(1, -1, 1, -1)), {0.5f, -0.5f, 0.5f, -0.5f}},
      {"normalize4 of zero is zero", XMVector4Normalize(XMVectorZero()), {0, 0, 0, 0}},
      {"cross of x and y is z", XMVector3Cross(Direction(1, 0, 0), Direction(0, 1, 0)), {0, 0, 1, 0}},
      {"cross ignores w and clears it",
       XMVector3Cross(XMVectorSet(1, 2, 3, 7), XMVectorSet(4, 5, 6, 9)),
       {-3, 6, -3, 0}},
      {"dot3 ignores w, fills all four",
       XMVector3Dot(XMVectorSet(1, 2, 3, 100), XMVectorSet(4, 5, 6, 100)),
       {32, 32, 32, 32}},
      {"length3", XMVector3Length(XMVectorSet(2, 3, 6, 9)), {7, 7, 7, 7}},
      {"subtract", XMVectorSubtract(XMVectorSet(5, 7, 9, 11), XMVectorSet(1, 2, 3, 4)), {4, 5, 6, 7}},
      {"scale", XMVectorScale(XMVectorSet(1, -2, 3, 0), 2), {2, -4, 6, 0}},
      {"set x of a vector", XMVectorSetX(XMVectorSet(1, 2, 3, 4), 9), {9, 2, 3, 4}},
      {"set by index 3", XMVectorSetByIndex(XMVectorSet(1, 2, 3, 4), 9, 3), {1, 2, 3, 9}},
      {"vector operators", XMVectorSet(1, 2, 3, 4) * 2.0f - XMVectorSet(1, 1, 1, 1), {1, 3, 5, 7}},
      {"point moves with the translation",
       XMVector3Transform(Point(1, 2, 3), XMMatrixTranslation(10, 20, 30)),
       {11, 22, 33, 1}},
      {"transform treats w as 1",
       XMVector3Transform(Direction(1, 2, 3), XMMatrixTranslation(10, 20, 30)),
       {11, 22, 33, 1}},
      {"a normal ignores the translation",
       XMVector3TransformNormal(Direction(1, 2, 3), XMMatrixTranslation(10, 20, 30)),
       {1, 2, 3, 0}},
      {"positive yaw turns +Z toward +X",
       XMVector3TransformNormal(Direction(0, 0, 1), XMMatrixRotationY(XM_PIDIV2)),
       {1, 0, 0, 0}},
      {"positive pitch turns +Z toward -Y",
       XMVector3TransformNormal(Direction(0, 0, 1), XMMatrixRotationX(XM_PIDIV2)),
       {0, -1, 0, 0}},
      {"positive roll turns +X toward +Y",
       XMVector3TransformNormal(Direction(1, 0, 0), XMMatrixRotationZ(XM_PIDIV2)),
       {0, 1, 0, 0}},
      {"pitch before yaw",
       XMVector3TransformNormal(Direction(0, 0, 1), XMMatrixRotationRollPitchYaw(XM_PIDIV2, XM_PIDIV2, 0)),
       {0, -1, 0, 0}},
      {"roll before pitch",
       XMVector3TransformNormal(Direction(1, 0, 0), XMMatrixRotationRollPitchYaw(XM_PIDIV2, 0, XM_PIDIV2)),
       {0, 0, 1, 0}},
      {"roll before yaw",
       XMVector3TransformNormal(Direction(1, 0, 0), XMMatrixRotationRollPitchYaw(0, XM_PIDIV2, XM_PIDIV2)),
       {0, 1, 0, 0}},
      {"the product applies its left factor first",
       XMVector3Transform(Point(0, 0, 0), XMMatrixTranslation(1, 0, 0) * XMMatrixRotationY(XM_PIDIV2)),
       {0, 0, -1, 1}},
      {"a third of a turn about (1,1,1) takes X to Y",
       XMVector3TransformNormal(Direction(1, 0, 0), XMMatrixRotationAxis(Direction(2, 2, 2), XM_2PI / 3)),
       {0, 1, 0, 0}},
      {"an eighth of a turn about Z",
       XMVector3TransformNormal(Direction(1, 0, 0), XMMatrixRotationZ(XM_PIDIV4)),
       {s, s, 0, 0}},
      {"transform coord divides by w",
       XMVector3TransformCoord(Point(1, 2, 3),
                               XMMatrixScaling(2, 2, 2) * XMMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0)),
       {1.0f / 3, 2.0f / 3, 1, 1}},
  };
  for (const Case& c : cases) ExpectNear(ToArray(c.actual), c.expected, 1e-6f, c.what);
}

TEST(VectorMath, ComponentReadsAndStores) {
  const XMVECTOR v = XMVectorSet(1, 2, 3, 4);
  EXPECT_EQ(XMVectorGetX(v), 1);
  EXPECT_EQ(XMVectorGetY(v), 2);
  EXPECT_EQ(XMVectorGetZ(v), 3);
  EXPECT_EQ(XMVectorGetW(v), 4);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(XMVectorGetByIndex(v, i), float(i + 1));
  XMFLOAT3 f3;
  XMStoreFloat3(&f3, v);
  EXPECT_EQ(f3.x, 1);
  EXPECT_EQ(f3.z, 3);
  XMFLOAT2 f2;
  XMStoreFloat2(&f2, v);
  EXPECT_EQ(f2.y, 2);
  EXPECT_NEAR(XMConvertToRadians(180), XM_PI, 1e-6f);
  EXPECT_NEAR(XMConvertToDegrees(XM_PIDIV2), 90, 1e-4f);
}

TEST(MatrixMath, BuildersAndLayout) {
  const float c = std::cos(0.3f), s = std::sin(0.3f);
  struct Case {
    const char* what;
    XMMATRIX actual;
    Float16 expected;
  };
  const Case cases[] = {
      {"identity", XMMatrixIdentity(), Identity},
      {"translation lives in row 3", XMMatrixTranslation(1, 2, 3), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}},
      {"scaling", XMMatrixScaling(2, 3, 4), {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}},
      {"rotation about X", XMMatrixRotationX(0.3f), {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}},
      {"rotation about Y", XMMatrixRotationY(0.3f), {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}},
      {"rotation about Z", XMMatrixRotationZ(0.3f), {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
      {"yaw alone is rotation about Y", XMMatrixRotationRollPitchYaw(0, 0.3f, 0), ToArray(XMMatrixRotationY(0.3f))},
      {"pitch alone is rotation about X", XMMatrixRotationRollPitchYaw(0.3f, 0, 0), ToArray(XMMatrixRotationX(0.3f))},
      {"roll alone is rotation about Z", XMMatrixRotationRollPitchYaw(0, 0, 0.3f), ToArray(XMMatrixRotationZ(0.3f))},
      {"axis Y is rotation about Y", XMMatrixRotationAxis(Direction(0, 5, 0), 0.3f), ToArray(XMMatrixRotationY(0.3f))},
      {"rows from vectors, in order",
       XMMATRIX(XMVectorSet(1, 2, 3, 4), XMVectorSet(5, 6, 7, 8), XMVectorSet(9, 10, 11, 12),
                XMVectorSet(13, 14, 15, 16)),
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
      {"transpose",
       XMMatrixTranspose(XMMATRIX(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16)),
       {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16}},
      {"product, row by column",
       XMMatrixMultiply(XMMATRIX(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16),
                        XMMATRIX(2, 0, 1, 0, 0, 1, 0, 3, 1, 0, 0, 1, -1, 2, 0, 0)),
       {1, 10, 1, 9, 9, 22, 5, 25, 17, 34, 9, 41, 25, 46, 13, 57}},
      {"matrix operator * is the product",
       XMMATRIX(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16) *
           XMMATRIX(2, 0, 1, 0, 0, 1, 0, 3, 1, 0, 0, 1, -1, 2, 0, 0),
       {1, 10, 1, 9, 9, 22, 5, 25, 17, 34, 9, 41, 25, 46, 13, 57}},
  };
  for (const Case& k : cases) ExpectNear(ToArray(k.actual), k.expected, 1e-6f, k.what);

  XMFLOAT4X4 stored;
  XMStoreFloat4x4(&stored, XMMatrixTranslation(1, 2, 3));
  EXPECT_EQ(stored(3, 0), 1);
  EXPECT_EQ(stored._42, 2);
  EXPECT_EQ(stored.m[3][2], 3);
  ExpectNear(ToArray(XMLoadFloat4x4(&stored)), ToArray(XMMatrixTranslation(1, 2, 3)), 0, "load of a stored matrix");
}

TEST(MatrixMath, InverseOfGeneralMatrices) {
  struct Case {
    const char* what;
    XMMATRIX m;
    float determinant;
  };
  const Case cases[] = {
      {"diagonal", XMMatrixScaling(2, 4, 5), 40},
      {"rigid motion", XMMatrixRotationRollPitchYaw(0.4f, -1.1f, 2.3f) * XMMatrixTranslation(3, -2, 7), 1},
      {"dense", XMMATRIX(2, 0, 1, 0, 0, 1, 0, 3, 1, 0, 0, 1, -1, 2, 0, 0), 5},
      {"permutation", XMMATRIX(0, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0), -1},
      {"projection", XMMatrixPerspectiveFovLH(1.2f, 1.5f, 0.5f, 100), 0},
      {"no zero anywhere", XMMATRIX(4, 7, 2, 3, 1, 5, 8, 6, 9, 2, 4, 7, 3, 8, 6, 1), 0},
  };
  for (const Case& c : cases) {
    XMVECTOR det;
    const XMMATRIX inv = XMMatrixInverse(&det, c.m);
    ExpectNear(ToArray(c.m * inv), Identity, 2e-5f, std::string(c.what) + ": M * inverse");
    ExpectNear(ToArray(inv * c.m), Identity, 2e-5f, std::string(c.what) + ": inverse * M");
    if (c.determinant != 0) {
      EXPECT_NEAR(XMVectorGetX(det), c.determinant, 1e-4f) << c.what;
    }
    EXPECT_EQ(XMVectorGetX(det), XMVectorGetW(det)) << c.what;
  }
  // A hand-inverted block matrix.
  ExpectNear(ToArray(XMMatrixInverse(nullptr, XMMATRIX(1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1))),
             {-2, 1, 0, 0, 1.5f, -0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1}, 1e-6f, "block inverse");

  // A singular matrix gives non-finite elements, and its determinant is zero.
  XMVECTOR det;
  const Float16 singular = ToArray(XMMatrixInverse(&det, XMMATRIX(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 1, 0)));
  EXPECT_EQ(XMVectorGetX(det), 0);
  EXPECT_FALSE(std::isfinite(singular[0]));
}

TEST(MatrixMath, LeftHandedLookAt) {
  const XMMATRIX view = XMMatrixLookAtLH(Direction(0, 1, -5), Direction(0, 0, 1), Direction(0, 1, 0));
  const Float16 world = ToArray(XMMatrixInverse(nullptr, view));
  const float len = std::sqrt(37.0f);
  ExpectNear(world, {1, 0, 0, 0, 0, 6 / len, 1 / len, 0, 0, -1 / len, 6 / len, 0, 0, 1, -5, 1}, 1e-6f,
             "world of the look-at");
  // The eye sits at the view-space origin, the focus straight ahead on +Z.
  ExpectNear(ToArray(XMVector3Transform(Point(0, 1, -5), view)), {0, 0, 0, 1}, 1e-6f, "eye in view space");
  ExpectNear(ToArray(XMVector3Transform(Point(0, 0, 1), view)), {0, 0, len, 1}, 1e-5f, "focus in view space");
  // A point to the right of the eye lands on +X.
  EXPECT_GT(XMVectorGetX(XMVector3Transform(Point(1, 1, -5), view)), 0.99f);

  // LookTo of a direction equals LookAt of eye plus that direction.
  ExpectNear(ToArray(XMMatrixLookToLH(Point(2, 3, 4), Direction(1, -1, 2), Direction(0, 1, 0))),
             ToArray(XMMatrixLookAtLH(Point(2, 3, 4), Point(3, 2, 6), Direction(0, 1, 0))), 1e-6f, "look-to");
}

TEST(MatrixMath, PerspectiveMapsNearToZeroAndFarToOne) {
  const float fov = XMConvertToRadians(60), aspect = 16.0f / 9.0f, nearZ = 0.5f, farZ = 200;
  const XMMATRIX p = XMMatrixPerspectiveFovLH(fov, aspect, nearZ, farZ);
  const float t = std::tan(fov / 2);
  struct Case {
    const char* what;
    XMVECTOR viewPoint;
    Float4 expectedNdc;
  };
  const Case cases[] = {
      {"centre of the near plane", Point(0, 0, nearZ), {0, 0, 0, 1}},
      {"centre of the far plane", Point(0, 0, farZ), {0, 0, 1, 1}},
      {"top right corner at depth 10",
       Point(t * aspect * 10, t * 10, 10),
       {1, 1, farZ / (farZ - nearZ) * (1 - nearZ / 10), 1}},
      {"bottom left corner of the far plane", Point(-t * aspect * farZ, -t * farZ, farZ), {-1, -1, 1, 1}},
  };
  for (const Case& c : cases)
    ExpectNear(ToArray(XMVector3TransformCoord(c.viewPoint, p)), c.expectedNdc, 1e-5f, c.what);
  // The clip w is the view depth.
  EXPECT_NEAR(XMVectorGetW(XMVector3Transform(Point(0, 0, 7), p)), 7, 1e-6f);
}
