// Frustum: a truncated view pyramid attached to an instance, drawn as twelve red
// edges. A visual aid only: it has no planes and tests nothing against itself.
#pragma once

#include <DirectXMath.h>

#include <memory>

#include "debug/debugrenderer.h"
#include "engine/pipeline.h"

class Frustum {
 public:
  explicit Frustum(pipeline_state_t* pipeline);
  ~Frustum();
  Frustum(const Frustum&) = delete;
  Frustum& operator=(const Frustum&) = delete;

  // The rectangles' centres along the instance's forward axis (row 2), from its
  // position (row 3), at the two distances.
  void SetCenters(const DirectX::XMMATRIX& instance, float nearZ, float farZ);
  // The rectangles' sizes for a vertical field of view in degrees.
  void SetPerspective(float fovDegrees, float aspectRatio, float nearZ, float farZ);
  void SetMatrices(const DirectX::XMMATRIX& view, const DirectX::XMMATRIX& projection);
  // Adds the twelve edges, spanned by the instance's right (row 0) and up (row 1) axes.
  void BuildLines(const DirectX::XMMATRIX& instance);
  void Draw();

  DirectX::XMMATRIX View;
  DirectX::XMMATRIX Projection;
  DirectX::XMVECTOR NearCenter;
  DirectX::XMVECTOR FarCenter;
  float NearWidth;
  float NearHeight;
  float FarWidth;
  float FarHeight;
  pipeline_state_t* Pipeline;
  std::unique_ptr<DebugRenderer> LineRenderer;
};
