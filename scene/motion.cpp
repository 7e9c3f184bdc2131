// Moving and turning the instances of a Primitive, and the per-frame keyboard update.
#include "scene/primitive.h"

#include "app/windowproc.h"

using namespace DirectX;

namespace {

// Key slots read by Update.
constexpr int LeftSlot = 0;
constexpr int RightSlot = 1;
constexpr int UpSlot = 2;
constexpr int DownSlot = 3;
constexpr int PlusSlot = 23;
constexpr int MinusSlot = 24;

// Fixed amounts per frame.
constexpr float MoveStep = 0.1f;
constexpr float TurnStep = 0.01f;

}  // namespace

void Primitive::Translate(XMFLOAT3 Offset, std::uint32_t i) {
  Instances[i] = XMMatrixMultiply(XMMatrixTranslation(Offset.x, Offset.y, Offset.z), Instances[i]);
}

void Primitive::Rotate(XMFLOAT3 Angles, std::uint32_t i) {
  Instances[i] = XMMatrixMultiply(XMMatrixRotationX(Angles.x), Instances[i]);
  Instances[i] = XMMatrixMultiply(XMMatrixRotationY(Angles.y), Instances[i]);
  Instances[i] = XMMatrixMultiply(XMMatrixRotationZ(Angles.z), Instances[i]);
}

void Primitive::LookAt(XMFLOAT4 Target, std::uint32_t i) {
  const XMVECTOR up = XMVectorSet(0, 1, 0, 0);
  const XMVECTOR position = Instances[i].r[3];
  XMFLOAT4 p;
  XMStoreFloat4(&p, position);
  const XMVECTOR direction = XMVector4Normalize(XMVectorSet(Target.x - p.x, Target.y - p.y, Target.z - p.z, 0));
  const XMVECTOR right = XMVector4Normalize(XMVector3Cross(up, direction));
  const XMVECTOR newUp = XMVector4Normalize(XMVector3Cross(direction, right));
  Instances[i] = XMMATRIX(right, newUp, direction, position);
}

void Primitive::TurnTowards(XMFLOAT4 Target, float Rate, std::uint32_t i) {
  XMFLOAT4X4 m;
  XMStoreFloat4x4(&m, Instances[i]);
  const XMVECTOR direction =
      XMVector3Normalize(XMVectorSet(Target.x - m.m[3][0], Target.y - m.m[3][1], Target.z - m.m[3][2], 0));
  const float xDirection = XMVectorGetX(XMVector3Dot(Instances[i].r[0], direction));
  const float yDirection = XMVectorGetX(XMVector3Dot(Instances[i].r[1], direction));
  Rotate(XMFLOAT3(-yDirection * Rate, xDirection * Rate, 0), i);
}

void Primitive::Update() {
  // A primitive of a kind without geometry has no instance 0 to move.
  if (Instances.empty()) return;
  if (IsKeyDown(LeftSlot)) Translate(XMFLOAT3(-MoveStep, 0, 0), 0);
  if (IsKeyDown(RightSlot)) Translate(XMFLOAT3(MoveStep, 0, 0), 0);
  if (IsKeyDown(UpSlot)) Translate(XMFLOAT3(0, 0, MoveStep), 0);
  if (IsKeyDown(DownSlot)) Translate(XMFLOAT3(0, 0, -MoveStep), 0);
  if (IsKeyDown(PlusSlot)) Rotate(XMFLOAT3(0, TurnStep, 0), 0);
  if (IsKeyDown(MinusSlot)) Rotate(XMFLOAT3(0, -TurnStep, 0), 0);
}
