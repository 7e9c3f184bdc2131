// FileLoader: the stateless reader of the engine's data files, mesh files and DDS textures.
#pragma once

#include <d3d11.h>

#include <cstddef>

#include "scene/vertex.h"

class FileLoader {
 public:
  // Reads a mesh file (scene/meshformat.h). A file that cannot be opened gives an empty
  // mesh, silently. Nothing is read past the end of the file: a file that ends early
  // yields the vertices and indices it really holds.
  Mesh LoadMesh(const char* path);

  // The same from the bytes of a mesh file already in memory.
  Mesh LoadMesh(const unsigned char* data, size_t size);

  // Creates the texture of a DDS file and its view; a failure is reported through the
  // failure trace and leaves both destinations as they were.
  void LoadTexture(ID3D11Device* pDevice, ID3D11Resource** TextureResource, ID3D11ShaderResourceView** TextureView,
                   const wchar_t* FilePath);
};
