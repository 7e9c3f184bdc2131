// DebugRenderer: coloured line segments collected on the CPU and drawn as one line list
// over the frame, after clearing the depth buffer so that the scene never hides them.
#pragma once

#include <DirectXMath.h>
#include <d3d11.h>

#include <cstdint>

#include "engine/pipeline.h"
#include "scene/vertex.h"

class DebugRenderer {
 public:
  static constexpr uint32_t MaxVertices = 1024;

  // Builds an empty store and its GPU vertex buffer on the pipeline's device.
  explicit DebugRenderer(pipeline_state_t* pipeline);
  ~DebugRenderer();
  DebugRenderer(const DebugRenderer&) = delete;
  DebugRenderer& operator=(const DebugRenderer&) = delete;

  // Appends a line. A full store is drawn and emptied first, so no line is lost.
  void AddLine(const Vertex& start, const Vertex& end);
  void SetMatrices(const DirectX::XMMATRIX& view, const DirectX::XMMATRIX& projection);
  // Clears the depth buffer, draws the stored lines and empties the store. Without a
  // vertex buffer nothing is drawn; the store is emptied all the same.
  void Draw();
  // Empties the store without drawing.
  void Clear();

  pipeline_state_t* Pipeline;
  // Vertices 2k and 2k + 1 are the two ends of line k; unused slots are blank (zero).
  Vertex Vertices[MaxVertices];
  // Element 0 is the vertex buffer; the others stay null.
  ID3D11Buffer* GpuBuffer[MaxVertices];
  uint32_t VertexCount;
  DirectX::XMMATRIX View;
  DirectX::XMMATRIX Projection;

 private:
  void CreateGpuBuffer();
};
