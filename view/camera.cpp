#include "view/camera.h"

#include <windows.h>

#include <cmath>

#include "app/windowproc.h"

using namespace DirectX;

namespace {

const XMVECTOR WorldUp = XMVectorSet(0.0f, 1.0f, 0.0f, 0.0f);

// Per-frame steps, not scaled by time.
constexpr float MoveStep = 0.1f;
constexpr float MouseTurnPerPixel = 0.01f;
constexpr float RollStep = 0.01f;
constexpr float NearStep = 0.1f;
constexpr float FarStep = 1.0f;
constexpr float FieldOfViewStep = 0.1f;

// The smallest far-minus-near distance the perspective projection accepts.
constexpr float MinDepthRange = 0.00001f;
// The smallest width-to-height ratio it accepts.
constexpr float MinAspectRatio = 0.00001f;

// The frame with forward along row 2 of M, right = Up x forward, up = forward x right,
// and M's position.
XMMATRIX XM_CALLCONV Levelled(FXMMATRIX M) {
  const XMVECTOR forward = M.r[2];
  const XMVECTOR right = XMVector3Normalize(XMVector3Cross(WorldUp, forward));
  const XMVECTOR up = XMVector3Normalize(XMVector3Cross(forward, right));
  return XMMATRIX(right, up, XMVector3Normalize(forward), M.r[3]);
}

// The roll of M about its forward axis, measured from its levelled frame; 0 when the
// forward axis is vertical and no levelled frame exists.
float XM_CALLCONV RollAngle(FXMMATRIX M) {
  const XMMATRIX level = Levelled(M);
  return std::atan2(XMVectorGetX(XMVector3Dot(M.r[0], level.r[1])), XMVectorGetX(XMVector3Dot(M.r[0], level.r[0])));
}

bool XM_CALLCONV IsFinite(FXMMATRIX M) {
  XMFLOAT4X4 f;
  XMStoreFloat4x4(&f, M);
  for (const auto& row : f.m)
    for (float e : row)
      if (!std::isfinite(e)) return false;
  return true;
}

// A usable camera frame has three axes of unit length (not collapsed to zero) and
// finite elements, as has its inverse.
bool XM_CALLCONV IsUsableFrame(FXMMATRIX World, CXMMATRIX View) {
  for (int i = 0; i < 3; ++i)
    if (!(XMVectorGetX(XMVector3Length(World.r[i])) > 0.5f)) return false;
  return IsFinite(World) && IsFinite(View);
}

}  // namespace

Camera::Camera(float Width, float Height, float FieldOfView, float NearZ, float FarZ)
    : AspectRatio(Width / Height), FieldOfView(FieldOfView), NearZ(NearZ), FarZ(FarZ) {
  float angle = XMConvertToRadians(FieldOfView);
  if (AspectRatio < 1.0f) angle *= 2.0f;
  Eye = XMVectorSet(0.0f, 1.0f, -5.0f, 0.0f);
  Focus = XMVectorSet(0.0f, 0.0f, 1.0f, 0.0f);
  Up = XMVectorSet(0.0f, 1.0f, 0.0f, 0.0f);
  Projection = XMMatrixPerspectiveFovLH(angle, AspectRatio, NearZ, FarZ);
  View = XMMatrixLookAtLH(Eye, Focus, Up);
  World = XMMatrixInverse(nullptr, View);
}

bool Camera::Adopt(FXMMATRIX NewWorld, CXMMATRIX NewView) {
  if (!IsUsableFrame(NewWorld, NewView)) return false;
  World = NewWorld;
  View = NewView;
  return true;
}

void Camera::Update(float MouseDeltaX, float MouseDeltaY) {
  struct Move {
    int Slot;
    float X, Y, Z;
  };
  static constexpr Move Moves[] = {
      {4, 0.0f, 0.0f, MoveStep},    // W
      {6, 0.0f, 0.0f, -MoveStep},   // S
      {5, -MoveStep, 0.0f, 0.0f},   // A
      {7, MoveStep, 0.0f, 0.0f},    // D
      {11, 0.0f, MoveStep, 0.0f},   // R
      {12, 0.0f, -MoveStep, 0.0f},  // F
  };

  if (GetAsyncKeyState(VK_LBUTTON) != 0) Rotate(MouseDeltaY * MouseTurnPerPixel, MouseDeltaX * MouseTurnPerPixel, 0.0f);
  for (const Move& move : Moves)
    if (IsKeyDown(move.Slot)) Translate(move.X, move.Y, move.Z);
  if (IsKeyDown(9)) Rotate(0.0f, 0.0f, RollStep);    // Q
  if (IsKeyDown(10)) Rotate(0.0f, 0.0f, -RollStep);  // E

  struct Adjust {
    int Slot;
    float* Value;
    float Step;
  };
  const Adjust adjusts[] = {
      {13, &NearZ, -NearStep},
      {14, &NearZ, NearStep},  // keys 1, 2
      {15, &FarZ, -FarStep},
      {16, &FarZ, FarStep},  // keys 3, 4
      {17, &FieldOfView, -FieldOfViewStep},
      {18, &FieldOfView, FieldOfViewStep},  // keys 5, 6
  };
  for (const Adjust& adjust : adjusts) {
    if (!IsKeyDown(adjust.Slot)) continue;
    *adjust.Value += adjust.Step;
    SetProjection(NearZ, FarZ, FieldOfView, AspectRatio);
  }
}

void Camera::Rotate(float Pitch, float Yaw, float Roll) {
  const XMMATRIX current = XMMatrixInverse(nullptr, View);
  const float roll = RollAngle(current) + Roll;
  const XMMATRIX turned = XMMatrixMultiply(XMMatrixRotationRollPitchYaw(Pitch, Yaw, 0.0f), current);
  const XMMATRIX world = XMMatrixMultiply(XMMatrixRotationZ(roll), Levelled(turned));
  Adopt(world, XMMatrixInverse(nullptr, world));
}

void Camera::Translate(float X, float Y, float Z) {
  const XMMATRIX world = XMMatrixMultiply(XMMatrixTranslation(X, Y, Z), XMMatrixInverse(nullptr, View));
  Adopt(world, XMMatrixInverse(nullptr, world));
}

void Camera::SetProjection(float NearZ, float FarZ, float FieldOfView, float AspectRatio) {
  this->NearZ = NearZ;
  this->FarZ = FarZ;
  this->FieldOfView = FieldOfView;
  // A window with no width or height has no aspect; the last usable one stays.
  if (std::isfinite(AspectRatio) && AspectRatio > MinAspectRatio) this->AspectRatio = AspectRatio;
  if (this->NearZ <= 0.0f) this->NearZ = 0.1f;
  // Covers a far plane at or before the near plane and one too close behind it.
  if (this->FarZ - this->NearZ <= MinDepthRange) this->FarZ = this->NearZ + 0.1f;
  if (this->FieldOfView < 1.0f) this->FieldOfView = 1.0f;
  if (this->FieldOfView > 179.0f) this->FieldOfView = 179.0f;
  Projection =
      XMMatrixPerspectiveFovLH(XMConvertToRadians(this->FieldOfView), this->AspectRatio, this->NearZ, this->FarZ);
}

XMMATRIX Camera::BuildLookAtMatrix(const XMVECTOR& Position, const XMVECTOR& Target, const XMVECTOR& Up) {
  const XMVECTOR z = XMVector4Normalize(XMVectorSetW(XMVectorSubtract(Target, Position), 0.0f));
  const XMVECTOR x = XMVector4Normalize(XMVector3Cross(Up, z));
  const XMVECTOR y = XMVector4Normalize(XMVector3Cross(z, x));
  return XMMATRIX(x, y, z, Position);
}

void Camera::LookAt(const XMVECTOR& Target) {
  const XMMATRIX world = BuildLookAtMatrix(World.r[3], Target, WorldUp);
  Adopt(world, XMMatrixInverse(nullptr, world));
}

void Camera::TurnTo(const XMVECTOR& Target, float Rate) {
  const XMVECTOR direction = XMVector3Normalize(XMVectorSetW(XMVectorSubtract(Target, World.r[3]), 0.0f));
  const float sideways = XMVectorGetX(XMVector3Dot(World.r[0], direction));
  const float upward = XMVectorGetX(XMVector3Dot(World.r[1], direction));
  Rotate(-upward * Rate, sideways * Rate, 0.0f);
}

void Camera::SetRotation(float Pitch, float Yaw, float Roll) {
  const XMFLOAT3 p = GetPosition();
  const XMMATRIX world =
      XMMatrixMultiply(XMMatrixRotationRollPitchYaw(Pitch, Yaw, Roll), XMMatrixTranslation(p.x, p.y, p.z));
  Adopt(world, XMMatrixInverse(nullptr, world));
}

void Camera::SetView(const XMVECTOR& Up, const XMVECTOR& Focus, const XMVECTOR& Eye) {
  const XMMATRIX view = XMMatrixLookAtLH(Eye, Focus, Up);
  if (!Adopt(XMMatrixInverse(nullptr, view), view)) return;
  this->Up = Up;
  this->Focus = Focus;
  this->Eye = Eye;
}

XMFLOAT3 Camera::GetPosition() const {
  XMFLOAT3 p;
  XMStoreFloat3(&p, World.r[3]);
  return p;
}
