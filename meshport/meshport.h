// meshport: converts the meshes of an FBX file into one engine mesh file
// (scene/meshformat.h). The library exports this one function and nothing else.
#pragma once

#define MESHPORT_API __attribute__((visibility("default")))

namespace FBX_INTERFACE {

// Reads the FBX file at fbxPath and writes the vertices and triangles of all its meshes to
// outputPrefix followed directly by outputName (no separator is inserted). Returns -1 when
// the FBX file cannot be opened, after printing why to standard output, and 0 otherwise,
// also when the scene has no mesh (no file is written) or the output cannot be created.
MESHPORT_API int export_simple_mesh(const char* fbxPath, const char* outputPrefix, const char* outputName);

}  // namespace FBX_INTERFACE
