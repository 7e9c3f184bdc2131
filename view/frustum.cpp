#include "view/frustum.h"

#include <cmath>

using namespace DirectX;

namespace {

Vertex EdgeVertex(FXMVECTOR corner) {
  Vertex v;
  XMStoreFloat3(&v.Position, corner);
  v.Color = XMFLOAT4(255, 0, 0, 255);
  v.TexCoord = XMFLOAT2(1, 1);
  v.Normal = XMFLOAT3(1, 1, 1);
  return v;
}

}  // namespace

Frustum::Frustum(pipeline_state_t* pipeline)
    : View{},
      Projection{},
      NearCenter{},
      FarCenter{},
      NearWidth(0),
      NearHeight(0),
      FarWidth(0),
      FarHeight(0),
      Pipeline(pipeline),
      LineRenderer(std::make_unique<DebugRenderer>(pipeline)) {}

Frustum::~Frustum() = default;

void Frustum::SetCenters(const XMMATRIX& instance, float nearZ, float farZ) {
  const XMVECTOR position = instance.r[3];
  const XMVECTOR forward = instance.r[2];
  NearCenter = XMVectorAdd(position, XMVectorScale(forward, nearZ));
  FarCenter = XMVectorAdd(position, XMVectorScale(forward, farZ));
}

void Frustum::SetPerspective(float fovDegrees, float aspectRatio, float nearZ, float farZ) {
  const float t = std::tan(XMConvertToRadians(fovDegrees) * 0.5f);
  NearHeight = 2.0f * t * nearZ;
  NearWidth = NearHeight * aspectRatio;
  FarHeight = 2.0f * t * farZ;
  FarWidth = FarHeight * aspectRatio;
}

void Frustum::SetMatrices(const XMMATRIX& view, const XMMATRIX& projection) {
  View = view;
  Projection = projection;
  LineRenderer->SetMatrices(View, Projection);
}

void Frustum::BuildLines(const XMMATRIX& instance) {
  const XMVECTOR right = instance.r[0];
  const XMVECTOR up = instance.r[1];
  auto corner = [&](FXMVECTOR center, float width, float height, float upSign, float rightSign) {
    return EdgeVertex(XMVectorAdd(center, XMVectorAdd(XMVectorScale(up, upSign * height * 0.5f),
                                                      XMVectorScale(right, rightSign * width * 0.5f))));
  };
  const Vertex FarTL = corner(FarCenter, FarWidth, FarHeight, 1, -1);
  const Vertex FarTR = corner(FarCenter, FarWidth, FarHeight, 1, 1);
  const Vertex FarBL = corner(FarCenter, FarWidth, FarHeight, -1, -1);
  const Vertex FarBR = corner(FarCenter, FarWidth, FarHeight, -1, 1);
  const Vertex NearTL = corner(NearCenter, NearWidth, NearHeight, 1, -1);
  const Vertex NearTR = corner(NearCenter, NearWidth, NearHeight, 1, 1);
  const Vertex NearBL = corner(NearCenter, NearWidth, NearHeight, -1, -1);
  const Vertex NearBR = corner(NearCenter, NearWidth, NearHeight, -1, 1);

  DebugRenderer& lines = *LineRenderer;
  lines.AddLine(NearTL, FarTL);
  lines.AddLine(NearTR, FarTR);
  lines.AddLine(NearBL, FarBL);
  lines.AddLine(NearBR, FarBR);
  lines.AddLine(NearTL, NearTR);
  lines.AddLine(NearTR, NearBR);
  lines.AddLine(NearBR, NearBL);
  lines.AddLine(NearBL, NearTL);
  lines.AddLine(FarTL, FarTR);
  lines.AddLine(FarTR, FarBR);
  lines.AddLine(FarBR, FarBL);
  lines.AddLine(FarBL, FarTL);
}

void Frustum::Draw() {
  LineRenderer->Draw();
  LineRenderer->Clear();
}
