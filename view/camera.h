// The free-flying viewer: its world matrix, the view matrix (always the world
// matrix's inverse) and a perspective projection, steered once per frame from the
// mouse and the key slots, or toward a point by LookAt and TurnTo.
#pragma once

#include <DirectXMath.h>

class Camera {
 public:
  // FieldOfView in degrees (vertical). A window narrower than it is tall gets
  // twice the angle for this first projection.
  Camera(float Width, float Height, float FieldOfView, float NearZ, float FarZ);
  ~Camera() = default;

  // One frame of input: mouse look while the left button is held, movement,
  // roll and the near plane, far plane and field-of-view keys.
  void Update(float MouseDeltaX, float MouseDeltaY);

  // A turn about the camera's own axes, in radians. Yaw and pitch are kept
  // levelled against the world up axis; the roll is kept on top of that.
  void Rotate(float Pitch, float Yaw, float Roll);
  // A move along the camera's own right, up and forward axes.
  void Translate(float X, float Y, float Z);
  // The projection from the four values, clamped: NearZ above 0, FarZ above NearZ,
  // FieldOfView (degrees) within 1 to 179; an AspectRatio that is not a positive
  // number (a window of zero width or height) leaves the previous one.
  void SetProjection(float NearZ, float FarZ, float FieldOfView, float AspectRatio);
  // Face the point at once.
  void LookAt(const DirectX::XMVECTOR& Target);
  // Steer one step toward the point; the step shrinks as the camera comes to face it.
  void TurnTo(const DirectX::XMVECTOR& Target, float Rate);
  // The world matrix of a thing at Position facing Target.
  DirectX::XMMATRIX BuildLookAtMatrix(const DirectX::XMVECTOR& Position, const DirectX::XMVECTOR& Target,
                                      const DirectX::XMVECTOR& Up);
  // An absolute orientation at the current position.
  void SetRotation(float Pitch, float Yaw, float Roll);
  void SetView(const DirectX::XMVECTOR& Up, const DirectX::XMVECTOR& Focus, const DirectX::XMVECTOR& Eye);

  float GetAspectRatio() const { return AspectRatio; }
  float GetFieldOfView() const { return FieldOfView; }
  float GetNearZ() const { return NearZ; }
  float GetFarZ() const { return FarZ; }
  DirectX::XMFLOAT3 GetPosition() const;
  DirectX::XMMATRIX GetWorld() const { return World; }
  DirectX::XMMATRIX GetView() const { return View; }
  DirectX::XMMATRIX GetProjection() const { return Projection; }

 private:
  // Takes the new frame unless its axes have collapsed or it is not finite; then the
  // camera keeps the frame it had and false comes back.
  bool Adopt(DirectX::FXMMATRIX NewWorld, DirectX::CXMMATRIX NewView);

  DirectX::XMMATRIX World;
  DirectX::XMMATRIX View;
  DirectX::XMMATRIX Projection;
  DirectX::XMVECTOR Eye;
  DirectX::XMVECTOR Focus;
  DirectX::XMVECTOR Up;
  float AspectRatio;
  float FieldOfView;
  float NearZ;
  float FarZ;
};

static_assert(alignof(Camera) == 16);
