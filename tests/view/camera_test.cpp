#include "view/camera.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "test_input.h"

using namespace DirectX;

namespace {

using Float3 = std::array<float, 3>;

Float3 Xyz(FXMVECTOR v) { return {XMVectorGetX(v), XMVectorGetY(v), XMVectorGetZ(v)}; }
Float3 Xyz(const XMFLOAT3& f) { return {f.x, f.y, f.z}; }
Float3 Row(const Camera& camera, int i) { return Xyz(camera.GetWorld().r[i]); }
Float3 Plus(const Float3& a, const Float3& b, float scale) {
  return {a[0] + b[0] * scale, a[1] + b[1] * scale, a[2] + b[2] * scale};
}
float Dot(const Float3& a, const Float3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void ExpectNear(const Float3& actual, const Float3& expected, float tolerance, const std::string& what) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", component " << i;
}

void ExpectMatrixNear(FXMMATRIX a, CXMMATRIX b, float tolerance, const std::string& what) {
  XMFLOAT4X4 fa, fb;
  XMStoreFloat4x4(&fa, a);
  XMStoreFloat4x4(&fb, b);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(fa.m[i / 4][i % 4], fb.m[i / 4][i % 4], tolerance) << what << ", " << i;
}

// The view stays the finite inverse of the world, and the axes stay orthonormal.
void ExpectSoundFrame(const Camera& camera, const std::string& what) {
  ExpectMatrixNear(camera.GetWorld() * camera.GetView(), XMMatrixIdentity(), 1e-4f, what + ": world * view");
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(Dot(Row(camera, i), Row(camera, i)), 1, 1e-4f) << what << ": axis " << i;
    EXPECT_NEAR(Dot(Row(camera, i), Row(camera, (i + 1) % 3)), 0, 1e-4f) << what << ": axes " << i;
  }
}

Camera MakeCamera(float width = 800, float height = 600) { return Camera(width, height, 90, 0.1f, 1000); }

// A camera at (0, 1, -5) facing +Z, level.
Camera MakeLevelCamera() {
  Camera camera = MakeCamera();
  camera.SetRotation(0, 0, 0);
  return camera;
}

class CameraInput : public ::testing::Test {
 protected:
  void SetUp() override { test_input::ReleaseAll(); }
  void TearDown() override { test_input::ReleaseAll(); }
};

}  // namespace

TEST(Camera, FreshCameraLooksFromBehindTowardTheFocus) {
  const Camera camera = MakeCamera();
  ExpectNear(Xyz(camera.GetPosition()), {0, 1, -5}, 1e-6f, "position");
  const float len = std::sqrt(37.0f);
  ExpectNear(Row(camera, 2), {0, -1 / len, 6 / len}, 1e-6f, "forward, slightly down");
  ExpectNear(Row(camera, 0), {1, 0, 0}, 1e-6f, "right");
  ExpectSoundFrame(camera, "fresh");
  EXPECT_FLOAT_EQ(camera.GetAspectRatio(), 800.0f / 600.0f);
  EXPECT_EQ(camera.GetFieldOfView(), 90);
  EXPECT_FLOAT_EQ(camera.GetNearZ(), 0.1f);
  EXPECT_EQ(camera.GetFarZ(), 1000);
  ExpectMatrixNear(camera.GetProjection(), XMMatrixPerspectiveFovLH(XM_PIDIV2, 4.0f / 3.0f, 0.1f, 1000), 1e-6f,
                   "projection");
  EXPECT_NEAR(camera.GetProjection().r[1][1], 1, 1e-6f);  // cot(45 degrees)
  EXPECT_NEAR(camera.GetProjection().r[0][0], 0.75f, 1e-6f);
}

TEST(Camera, NarrowWindowDoublesOnlyTheFirstProjection) {
  Camera camera(600, 800, 60, 0.1f, 1000);
  EXPECT_NEAR(camera.GetProjection().r[1][1], 1 / std::tan(XMConvertToRadians(60)), 1e-5f);  // 120 degrees
  EXPECT_EQ(camera.GetFieldOfView(), 60);
  camera.SetProjection(0.1f, 1000, 60, 0.75f);
  EXPECT_NEAR(camera.GetProjection().r[1][1], 1 / std::tan(XMConvertToRadians(30)), 1e-5f);
}

TEST(Camera, SetProjectionClamps) {
  struct Case {
    const char* what;
    float nearZ, farZ, fov;
    float expectedNear, expectedFar, expectedFov;
  };
  const Case cases[] = {
      {"plain values stay", 0.5f, 50, 70, 0.5f, 50, 70},
      {"near at zero", 0, 10, 90, 0.1f, 10, 90},
      {"negative near and far", -1, -5, 90, 0.1f, 0.2f, 90},
      {"far equal to near", 5, 5, 90, 5, 5.1f, 90},
      {"far before near", 5, 2, 90, 5, 5.1f, 90},
      {"far a little after near stays", 1, 1.05f, 90, 1, 1.05f, 90},
      {"far within the projection's tolerance of near", 2.9999993f, 3, 90, 2.9999993f, 3.0999993f, 90},
      {"narrow field of view", 1, 10, 0.5f, 1, 10, 1},
      {"wide field of view", 1, 10, 200, 1, 10, 179},
  };
  for (const Case& c : cases) {
    Camera camera = MakeCamera();
    camera.SetProjection(c.nearZ, c.farZ, c.fov, 2);
    EXPECT_FLOAT_EQ(camera.GetNearZ(), c.expectedNear) << c.what;
    EXPECT_FLOAT_EQ(camera.GetFarZ(), c.expectedFar) << c.what;
    EXPECT_FLOAT_EQ(camera.GetFieldOfView(), c.expectedFov) << c.what;
    EXPECT_EQ(camera.GetAspectRatio(), 2) << c.what;
    ExpectMatrixNear(camera.GetProjection(),
                     XMMatrixPerspectiveFovLH(XMConvertToRadians(c.expectedFov), 2, c.expectedNear, c.expectedFar),
                     1e-3f, c.what);
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) EXPECT_TRUE(std::isfinite(camera.GetProjection().r[i][j])) << c.what;
  }
}

TEST(Camera, SetProjectionKeepsTheLastUsableAspectRatio) {
  for (float aspect : {0.0f, -1.0f, std::nanf(""), 1.0f / 0.0f}) {
    Camera camera = MakeCamera();
    camera.SetProjection(0.1f, 1000, 90, 2);
    camera.SetProjection(0.1f, 1000, 90, aspect);
    EXPECT_EQ(camera.GetAspectRatio(), 2) << aspect;
    ExpectMatrixNear(camera.GetProjection(), XMMatrixPerspectiveFovLH(XM_PIDIV2, 2, 0.1f, 1000), 1e-6f,
                     "aspect " + std::to_string(aspect));
  }
}

TEST(Camera, TranslateMovesAlongItsOwnAxes) {
  const struct { float x, y, z; } steps[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-2, 0.5f, 3}};
  for (const auto& s : steps) {
    Camera camera = MakeCamera();
    camera.Rotate(0.2f, 0.7f, 0);
    const Float3 start = Xyz(camera.GetPosition());
    const Float3 expected = Plus(Plus(Plus(start, Row(camera, 0), s.x), Row(camera, 1), s.y), Row(camera, 2), s.z);
    camera.Translate(s.x, s.y, s.z);
    ExpectNear(Xyz(camera.GetPosition()), expected, 1e-5f, "translate");
    ExpectSoundFrame(camera, "translate");
  }
}

TEST(Camera, RotateTurnsRightAndDownAndStaysLevel) {
  Camera camera = MakeLevelCamera();
  camera.Rotate(0, XM_PIDIV2, 0);
  ExpectNear(Row(camera, 2), {1, 0, 0}, 1e-6f, "positive yaw faces +X");
  ExpectNear(Row(camera, 0), {0, 0, -1}, 1e-6f, "right after the turn");
  camera = MakeLevelCamera();
  camera.Rotate(0.5f, 0, 0);
  ExpectNear(Row(camera, 2), {0, -std::sin(0.5f), std::cos(0.5f)}, 1e-6f, "positive pitch tilts down");
  // A pitched camera that yaws keeps its right axis horizontal.
  camera.Rotate(0.3f, 0.4f, 0);
  EXPECT_NEAR(Row(camera, 0)[1], 0, 1e-6f);
  ExpectSoundFrame(camera, "pitch and yaw");
  ExpectNear(Xyz(camera.GetPosition()), {0, 1, -5}, 1e-5f, "turning keeps the position");
}

TEST(Camera, RollSurvivesTheLevellingAndLaterTurns) {
  Camera camera = MakeLevelCamera();
  for (int i = 0; i < 50; ++i) camera.Rotate(0, 0, 0.01f);
  ExpectNear(Row(camera, 2), {0, 0, 1}, 1e-5f, "roll keeps the forward axis");
  ExpectNear(Row(camera, 0), {std::cos(0.5f), std::sin(0.5f), 0}, 1e-4f, "positive roll lifts the right axis");
  // A turn keeps the accumulated roll on top of the levelled frame.
  camera.Rotate(0.1f, 0.3f, 0);
  const XMVECTOR forward = camera.GetWorld().r[2];
  const XMVECTOR levelRight = XMVector3Normalize(XMVector3Cross(XMVectorSet(0, 1, 0, 0), forward));
  EXPECT_NEAR(XMVectorGetX(XMVector3Dot(camera.GetWorld().r[0], levelRight)), std::cos(0.5f), 1e-4f);
  ExpectSoundFrame(camera, "rolled and turned");
  for (int i = 0; i < 50; ++i) camera.Rotate(0, 0, -0.01f);
  EXPECT_NEAR(Row(camera, 0)[1], 0, 1e-4f) << "rolling back levels the camera";

  // Steering reads the rolled axes and still comes round to the target.
  Camera rolled = MakeLevelCamera();
  rolled.Rotate(0, 0, 1.2f);
  const XMVECTOR target = XMVectorSet(-6, 8, 2, 1);
  for (int frame = 0; frame < 3000; ++frame) rolled.TurnTo(target, 0.02f);
  const XMVECTOR toTarget = XMVector3Normalize(XMVectorSubtract(target, rolled.GetWorld().r[3]));
  EXPECT_GT(XMVectorGetX(XMVector3Dot(rolled.GetWorld().r[2], toTarget)), 0.9999f);
  EXPECT_NEAR(XMVectorGetX(XMVector3Dot(rolled.GetWorld().r[0],
                                        XMVector3Normalize(XMVector3Cross(XMVectorSet(0, 1, 0, 0), toTarget)))),
              std::cos(1.2f), 1e-3f)
      << "the roll is kept while steering";
}

TEST(Camera, BuildLookAtMatrixAndSetRotation) {
  Camera camera = MakeCamera();
  const XMMATRIX m =
      camera.BuildLookAtMatrix(XMVectorSet(1, 2, 3, 1), XMVectorSet(1, 2, 13, 7), XMVectorSet(0, 1, 0, 0));
  ExpectMatrixNear(m, XMMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1), 1e-6f, "look along +Z");

  camera.SetRotation(0, XM_PIDIV2, 0);
  ExpectNear(Xyz(camera.GetPosition()), {0, 1, -5}, 1e-6f, "set rotation keeps the position");
  ExpectNear(Row(camera, 2), {1, 0, 0}, 1e-6f, "set rotation faces +X");
  ExpectSoundFrame(camera, "set rotation");

  camera.SetView(XMVectorSet(0, 1, 0, 0), XMVectorSet(10, 0, 0, 0), XMVectorSet(0, 0, 0, 0));
  ExpectNear(Xyz(camera.GetPosition()), {0, 0, 0}, 1e-6f, "set view moves to the eye");
  ExpectNear(Row(camera, 2), {1, 0, 0}, 1e-6f, "set view faces the focus");
}

TEST(Camera, LookAtAndTurnToFaceTheTarget) {
  const XMVECTOR target = XMVectorSet(10, 4, 3, 1);
  const Float3 toTarget = [&] {
    const Float3 d = Plus(Xyz(target), {0, 1, -5}, -1);
    const float len = std::sqrt(Dot(d, d));
    return Float3{d[0] / len, d[1] / len, d[2] / len};
  }();

  Camera looking = MakeCamera();
  looking.LookAt(target);
  ExpectNear(Row(looking, 2), toTarget, 1e-6f, "look at");
  EXPECT_NEAR(Row(looking, 0)[1], 0, 1e-6f) << "looking keeps the right axis level";
  ExpectSoundFrame(looking, "look at");

  Camera turning = MakeCamera();
  float previous = Dot(Row(turning, 2), toTarget);
  for (int frame = 0; frame < 2000; ++frame) {
    turning.TurnTo(target, 0.02f);
    const float now = Dot(Row(turning, 2), toTarget);
    ASSERT_GE(now, previous - 1e-6f) << "frame " << frame;
    previous = now;
  }
  EXPECT_GT(previous, 0.99999f);
  ExpectSoundFrame(turning, "turn to");

  // Exactly behind: no sideways or upward part, so no turn.
  Camera level = MakeLevelCamera();
  level.TurnTo(XMVectorSet(0, 1, -20, 1), 0.02f);
  ExpectNear(Row(level, 2), {0, 0, 1}, 0, "target behind");
}

TEST(Camera, DegenerateOrientationsKeepThePreviousOne) {
  struct Case {
    const char* what;
    void (*act)(Camera&);
  };
  const Case cases[] = {
      {"look at its own position", [](Camera& c) { c.LookAt(XMVectorSet(0, 1, -5, 1)); }},
      {"look at a point straight above", [](Camera& c) { c.LookAt(XMVectorSet(0, 9, -5, 1)); }},
      {"look at a point straight below", [](Camera& c) { c.LookAt(XMVectorSet(0, -3, -5, 1)); }},
      {"view with the focus at the eye",
       [](Camera& c) { c.SetView(XMVectorSet(0, 1, 0, 0), XMVectorSet(2, 2, 2, 0), XMVectorSet(2, 2, 2, 0)); }},
      {"view along the up axis",
       [](Camera& c) { c.SetView(XMVectorSet(0, 1, 0, 0), XMVectorSet(2, 7, 2, 0), XMVectorSet(2, 2, 2, 0)); }},
  };
  for (const Case& c : cases) {
    Camera camera = MakeCamera();
    camera.Rotate(0.1f, 0.2f, 0.3f);
    const XMMATRIX before = camera.GetWorld();
    c.act(camera);
    ExpectMatrixNear(camera.GetWorld(), before, 0, c.what);
    ExpectSoundFrame(camera, c.what);
  }

  // Pitching onto the vertical, as near as float angles reach, still leaves a sound frame.
  Camera camera = MakeLevelCamera();
  camera.Rotate(XM_PIDIV2, 0, 0);
  ExpectSoundFrame(camera, "pitched straight down");
  camera.Rotate(0, 0.5f, 0);
  ExpectSoundFrame(camera, "yawed while facing down");
}

TEST_F(CameraInput, KeysMoveAlongTheirAxes) {
  const struct {
    int slot;
    int axis;
    float amount;
  } keys[] = {{4, 2, 0.1f}, {6, 2, -0.1f}, {5, 0, -0.1f}, {7, 0, 0.1f}, {11, 1, 0.1f}, {12, 1, -0.1f}};
  for (const auto& k : keys) {
    test_input::ReleaseAll();
    Camera camera = MakeCamera();
    const Float3 expected = Plus(Xyz(camera.GetPosition()), Row(camera, k.axis), k.amount);
    test_input::Press(k.slot);
    camera.Update(0, 0);
    ExpectNear(Xyz(camera.GetPosition()), expected, 1e-5f, "slot " + std::to_string(k.slot));
  }
}

TEST_F(CameraInput, MouseTurnsOnlyWhileTheButtonIsHeld) {
  Camera camera = MakeLevelCamera();
  camera.Update(30, 20);
  ExpectNear(Row(camera, 2), {0, 0, 1}, 0, "button up");
  test_input::SetLeftButton(true);
  camera.Update(30, 0);
  ExpectNear(Row(camera, 2), {std::sin(0.3f), 0, std::cos(0.3f)}, 1e-6f, "0.01 radian per pixel to the right");
}

TEST_F(CameraInput, QAndERollTheView) {
  Camera camera = MakeLevelCamera();
  test_input::Press(9);
  for (int i = 0; i < 10; ++i) camera.Update(0, 0);
  EXPECT_NEAR(Row(camera, 0)[1], std::sin(0.1f), 1e-5f) << "Q rolls";
  test_input::ReleaseAll();
  test_input::Press(10);
  for (int i = 0; i < 20; ++i) camera.Update(0, 0);
  EXPECT_NEAR(Row(camera, 0)[1], -std::sin(0.1f), 1e-5f) << "E rolls back and beyond";
}

TEST_F(CameraInput, ProjectionKeysStayWithinTheClamps) {
  Camera camera = MakeCamera();
  test_input::Press(13);  // key 1: near plane in
  for (int i = 0; i < 3; ++i) camera.Update(0, 0);
  EXPECT_FLOAT_EQ(camera.GetNearZ(), 0.1f);

  test_input::ReleaseAll();
  test_input::Press(15);  // key 3: far plane in
  for (int i = 0; i < 1100; ++i) camera.Update(0, 0);
  EXPECT_FLOAT_EQ(camera.GetFarZ(), camera.GetNearZ() + 0.1f);

  test_input::ReleaseAll();
  test_input::Press(17);  // key 5: narrower
  for (int i = 0; i < 1000; ++i) camera.Update(0, 0);
  EXPECT_EQ(camera.GetFieldOfView(), 1);
  test_input::ReleaseAll();
  test_input::Press(18);  // key 6: wider
  for (int i = 0; i < 2000; ++i) camera.Update(0, 0);
  EXPECT_EQ(camera.GetFieldOfView(), 179);

  // 29 steps of the near plane out from 0.1 and the far plane stepped back to 3.
  Camera stepped = MakeCamera();
  test_input::ReleaseAll();
  test_input::Press(14);  // key 2: near plane out
  for (int i = 0; i < 29; ++i) stepped.Update(0, 0);
  test_input::ReleaseAll();
  test_input::Press(15);
  for (int i = 0; i < 997; ++i) stepped.Update(0, 0);
  EXPECT_GT(stepped.GetFarZ() - stepped.GetNearZ(), 0.00001f);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_TRUE(std::isfinite(stepped.GetProjection().r[i][j]));
}
