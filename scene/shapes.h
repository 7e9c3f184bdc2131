// The built-in shapes are Primitive's builders (BuildPoint, BuildCube, BuildAxes). This
// header adds SkyCubeHolder, a smaller holder of a textured sky cube whose texture
// coordinates address a cross-shaped atlas of 3 columns by 4 rows.
#pragma once

#include <d3d11.h>

#include <cstdint>

#include "engine/pipeline.h"
#include "scene/vertex.h"

class SkyCubeHolder {
 public:
  // Builds the sky cube on the calling thread when kind is 2, then, whatever the kind,
  // loads the texture as Primitive::SetTexture does.
  SkyCubeHolder(pipeline_state_t* pipeline, std::int32_t kind, const wchar_t* file);
  // Releases the texture view and the resource it holds, and deletes the mesh.
  ~SkyCubeHolder();

  SkyCubeHolder(const SkyCubeHolder&) = delete;
  SkyCubeHolder& operator=(const SkyCubeHolder&) = delete;

  ID3D11ShaderResourceView** GetTextureView();
  Mesh** GetGeometry();

  pipeline_state_t* Pipeline = nullptr;
  ID3D11ShaderResourceView* TextureView = nullptr;
  ID3D11Resource* TextureResource = nullptr;
  // Null unless the sky cube was built.
  Mesh* Geometry = nullptr;

 private:
  void BuildSkyCube();
};
