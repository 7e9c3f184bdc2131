#include <gtest/gtest.h>

#include <DirectXMath.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "app/windowproc.h"
#include "engine/pipeline.h"
#include "scene/primitive.h"

using namespace DirectX;

namespace {

struct Pipeline {
  InitSync sync;
  pipeline_state_t state;
  Pipeline() { state.Sync = &sync; }
};

void ExpectMatrixNear(const XMMATRIX& got, const XMMATRIX& want, float tolerance = 1e-5f) {
  XMFLOAT4X4 a, b;
  XMStoreFloat4x4(&a, got);
  XMStoreFloat4x4(&b, want);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "element " << r << "," << c;
}

XMMATRIX Rows(XMFLOAT4 r0, XMFLOAT4 r1, XMFLOAT4 r2, XMFLOAT4 r3) {
  return XMMATRIX(XMLoadFloat4(&r0), XMLoadFloat4(&r1), XMLoadFloat4(&r2), XMLoadFloat4(&r3));
}

TEST(SceneMotion, TranslateMovesAlongTheInstanceAxes) {
  Pipeline pipeline;
  Primitive p(Point, &pipeline.state, nullptr, false);
  p.AddInstance(XMFLOAT3(0, 0, 0));
  p.Translate(XMFLOAT3(1, 0, 0), 0);
  ExpectMatrixNear(p.GetInstance(0), XMMatrixTranslation(1, 0, 0));

  // Scaled by 2 and turned a quarter about Y: its own x axis is world -z, two units long.
  p.Instances[1] = XMMatrixMultiply(XMMatrixMultiply(XMMatrixScaling(2, 2, 2), XMMatrixRotationY(XM_PIDIV2)),
                                    XMMatrixTranslation(5, 0, 0));
  p.Translate(XMFLOAT3(1, 0, 0), 1);
  const XMFLOAT3 moved = p.GetInstancePosition(1);
  EXPECT_NEAR(moved.x, 5, 1e-5f);
  EXPECT_NEAR(moved.y, 0, 1e-5f);
  EXPECT_NEAR(moved.z, -2, 1e-5f);
}

TEST(SceneMotion, RotateMultipliesXThenYThenZOnTheLeft) {
  Pipeline pipeline;
  Primitive p(Point, &pipeline.state, nullptr, false);
  const XMMATRIX start = XMMatrixMultiply(XMMatrixScaling(1, 2, 3), XMMatrixTranslation(4, 5, 6));
  p.Instances[0] = start;
  p.Rotate(XMFLOAT3(0, 0, 0), 0);
  ExpectMatrixNear(p.GetInstance(0), start, 0);

  p.Rotate(XMFLOAT3(0.3f, -0.5f, 0.7f), 0);
  const XMMATRIX want =
      XMMatrixMultiply(XMMatrixRotationZ(0.7f),
                       XMMatrixMultiply(XMMatrixRotationY(-0.5f), XMMatrixMultiply(XMMatrixRotationX(0.3f), start)));
  ExpectMatrixNear(p.GetInstance(0), want);
  // The position is kept: rotations turn about the instance's own origin.
  EXPECT_NEAR(p.GetInstancePosition(0).x, 4, 1e-5f);
  EXPECT_NEAR(p.GetInstancePosition(0).z, 6, 1e-5f);
}

TEST(SceneMotion, LookAt) {
  struct Case {
    const char* name;
    XMFLOAT3 position;
    XMFLOAT4 target;
    XMMATRIX want;
  };
  const Case cases[] = {
      {"straight ahead", XMFLOAT3(0, 0, 0), XMFLOAT4(0, 0, 5, 0), XMMatrixIdentity()},
      {"to the right", XMFLOAT3(1, 2, 3), XMFLOAT4(4, 2, 3, 0),
       Rows(XMFLOAT4(0, 0, -1, 0), XMFLOAT4(0, 1, 0, 0), XMFLOAT4(1, 0, 0, 0), XMFLOAT4(1, 2, 3, 1))},
      {"own position", XMFLOAT3(1, 2, 3), XMFLOAT4(1, 2, 3, 0),
       Rows(XMFLOAT4(0, 0, 0, 0), XMFLOAT4(0, 0, 0, 0), XMFLOAT4(0, 0, 0, 0), XMFLOAT4(1, 2, 3, 1))},
      {"straight above", XMFLOAT3(0, 0, 0), XMFLOAT4(0, 7, 0, 0),
       Rows(XMFLOAT4(0, 0, 0, 0), XMFLOAT4(0, 0, 0, 0), XMFLOAT4(0, 1, 0, 0), XMFLOAT4(0, 0, 0, 1))},
  };
  Pipeline pipeline;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Primitive p(Point, &pipeline.state, nullptr, false);
    // Scale is not kept.
    p.Instances[0] =
        XMMatrixMultiply(XMMatrixScaling(3, 3, 3), XMMatrixTranslation(c.position.x, c.position.y, c.position.z));
    p.LookAt(c.target, 0);
    ExpectMatrixNear(p.GetInstance(0), c.want);
  }

  // Anywhere else: an orthonormal frame whose +z points at the target.
  Primitive p(Point, &pipeline.state, nullptr, false);
  p.SetInstanceTranslation(XMFLOAT3(1, -2, 3), 0);
  p.LookAt(XMFLOAT4(-4, 5, 9, 1), 0);
  const XMMATRIX m = p.GetInstance(0);
  const XMVECTOR toTarget = XMVector3Normalize(XMVectorSet(-5, 7, 6, 0));
  EXPECT_NEAR(XMVectorGetX(XMVector3Dot(m.r[2], toTarget)), 1, 1e-5f);
  EXPECT_NEAR(XMVectorGetX(XMVector3Dot(m.r[0], m.r[1])), 0, 1e-5f);
  EXPECT_NEAR(XMVectorGetX(XMVector3Dot(m.r[0], m.r[2])), 0, 1e-5f);
  EXPECT_NEAR(XMVectorGetY(m.r[0]), 0, 1e-6f);  // right stays level
  EXPECT_GT(XMVectorGetY(m.r[1]), 0);           // up stays up
}

TEST(SceneMotion, TurnTowards) {
  Pipeline pipeline;
  Primitive p(Point, &pipeline.state, nullptr, false);
  const XMMATRIX start = XMMatrixMultiply(XMMatrixRotationY(0.4f), XMMatrixTranslation(1, 1, 1));
  struct Still {
    const char* name;
    XMFLOAT4 target;
  };
  // Along its own +z, or at its own position: no change.
  const XMVECTOR ahead = XMVectorAdd(start.r[3], XMVectorScale(start.r[2], 10));
  XMFLOAT4 aheadTarget;
  XMStoreFloat4(&aheadTarget, ahead);
  for (const Still& c : {Still{"ahead", aheadTarget}, Still{"own position", XMFLOAT4(1, 1, 1, 1)}}) {
    SCOPED_TRACE(c.name);
    p.Instances[0] = start;
    p.TurnTowards(c.target, 0.5f, 0);
    ExpectMatrixNear(p.GetInstance(0), start);
  }

  // Straight to the right turns about its own y by rate; straight above about its own x
  // by -rate (a positive turn about x would tilt it downward).
  p.Instances[0] = XMMatrixIdentity();
  p.TurnTowards(XMFLOAT4(10, 0, 0, 0), 0.1f, 0);
  ExpectMatrixNear(p.GetInstance(0), XMMatrixRotationY(0.1f));
  p.Instances[0] = XMMatrixIdentity();
  p.TurnTowards(XMFLOAT4(0, 10, 0, 0), 0.1f, 0);
  ExpectMatrixNear(p.GetInstance(0), XMMatrixRotationX(-0.1f));

  // Repeated steps come to face the target.
  p.Instances[0] = XMMatrixTranslation(0, 0, -5);
  const XMFLOAT4 target(3, 2, 4, 0);
  for (int step = 0; step < 200; ++step) p.TurnTowards(target, 0.2f, 0);
  const XMVECTOR toTarget = XMVector3Normalize(XMVectorSet(3, 2, 9, 0));
  EXPECT_GT(XMVectorGetX(XMVector3Dot(XMVector3Normalize(p.GetInstance(0).r[2]), toTarget)), 0.999f);
  EXPECT_NEAR(p.GetInstancePosition(0).z, -5, 1e-4f);
}

// Holds the given key slots for one Update, releasing them afterwards.
void UpdateHolding(Primitive& p, std::initializer_list<int> slots) {
  for (int slot : slots) SetKey(slot);
  p.Update();
  for (int slot : slots) ClearKey(slot);
}

TEST(SceneMotion, UpdateFollowsTheKeySlots) {
  struct Case {
    const char* name;
    std::vector<int> slots;
    XMMATRIX want;  // applied to a start of Translation(1, 2, 3)
  };
  const XMMATRIX start = XMMatrixTranslation(1, 2, 3);
  const Case cases[] = {
      {"none", {}, start},
      {"left", {0}, XMMatrixTranslation(0.9f, 2, 3)},
      {"right", {1}, XMMatrixTranslation(1.1f, 2, 3)},
      {"up", {2}, XMMatrixTranslation(1, 2, 3.1f)},
      {"down", {3}, XMMatrixTranslation(1, 2, 2.9f)},
      {"left and right", {0, 1}, start},
      {"plus", {23}, XMMatrixMultiply(XMMatrixRotationY(0.01f), start)},
      {"minus", {24}, XMMatrixMultiply(XMMatrixRotationY(-0.01f), start)},
      {"right and plus", {1, 23}, XMMatrixMultiply(XMMatrixRotationY(0.01f), XMMatrixTranslation(1.1f, 2, 3))},
      {"unrelated slots", {4, 8, 22}, start},
  };
  Pipeline pipeline;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Primitive p(Cube, &pipeline.state, nullptr, false);
    p.SetInstanceTranslation(XMFLOAT3(1, 2, 3), 0);
    p.AddInstance(XMFLOAT3(7, 7, 7));
    for (int slot : c.slots) SetKey(slot);
    p.Update();
    for (int slot : c.slots) ClearKey(slot);
    ExpectMatrixNear(p.GetInstance(0), c.want);
    ExpectMatrixNear(p.GetInstance(1), XMMatrixTranslation(7, 7, 7), 0);  // only instance 0 moves
  }

  // Ten frames of up arrow move it a whole unit; a primitive without instances ignores keys.
  Primitive p(Cube, &pipeline.state, nullptr, false);
  for (int frame = 0; frame < 10; ++frame) UpdateHolding(p, {2});
  EXPECT_NEAR(p.GetInstancePosition(0).z, 1, 1e-5f);
  Primitive none(4, &pipeline.state, nullptr, false);
  UpdateHolding(none, {0, 23});
  EXPECT_TRUE(none.Instances.empty());
}

}  // namespace
