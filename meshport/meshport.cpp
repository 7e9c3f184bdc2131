#include "meshport/meshport.h"

#include <fbxsdk.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "meshport/vertexcontainer.h"
#include "scene/meshformat.h"

static_assert(std::endian::native == std::endian::little, "mesh files are written straight from memory");

namespace FBX_INTERFACE {

namespace {

struct ImportedScene {
  FbxManager* manager = nullptr;  // owns the scene
  FbxScene* scene = nullptr;
};

ImportedScene import_fbx_scene(const char* fbxPath) {
  FbxManager* manager = FbxManager::Create();
  FbxImporter* importer = FbxImporter::Create(manager, "");
  if (!importer->Initialize(fbxPath, -1, manager->GetIOSettings())) {
    std::printf("\n\n\n Call to FBXImporter::Initialize() failed.\n");
    std::printf("File Path: ");
    std::fputs(fbxPath, stdout);
    std::printf("\nError returned: %s\n\n", importer->GetStatus().GetErrorString());
    std::fflush(stdout);
    importer->Destroy(false);
    manager->Destroy();
    return {};
  }
  FbxScene* scene = FbxScene::Create(manager, "Imported_Scene");
  importer->Import(scene, false);  // a file that imports nothing leaves the scene empty
  importer->Destroy(false);
  return {manager, scene};
}

void extract_mesh(FbxMesh* mesh, VertexContainer& container) {
  // This mesh's indices count from its own first control point; shift them past the
  // vertices of the meshes before it.
  const std::uint32_t base = static_cast<std::uint32_t>(container.vertices.size());
  const int pointCount = mesh->GetControlPointsCount();
  const FbxVector4* points = mesh->GetControlPoints();
  for (int j = 0; j < pointCount; ++j) {
    simple_vert& vertex = container.vertices.emplace_back();
    for (int c = 0; c < 3; ++c) vertex.position[c] = static_cast<float>(points[j][c]);
    for (float& c : vertex.color) c = 1;
  }
  simple_vert* vertices = container.vertices.data() + base;

  // Each control point takes the normal and UV of the first polygon vertex that uses it;
  // a point no polygon uses keeps a zero normal and UV.
  const int* polygonVertices = mesh->GetPolygonVertices();
  const int cornerCount = mesh->GetPolygonVertexCount();
  std::vector<int> firstCorner(static_cast<size_t>(pointCount), -1);
  for (int k = cornerCount - 1; k >= 0; --k) firstCorner[static_cast<size_t>(polygonVertices[k])] = k;
  {  // each per-polygon-vertex array lives only while it is used
    FbxArray<FbxVector4> normals;
    if (mesh->GetPolygonVertexNormals(normals)) {
      for (int j = 0; j < pointCount; ++j) {
        if (int k = firstCorner[static_cast<size_t>(j)]; k >= 0)
          for (int c = 0; c < 4; ++c) vertices[j].normal[c] = static_cast<float>(normals[k][c]);
      }
    }
  }
  {
    FbxStringList uvSetNames;
    mesh->GetUVSetNames(uvSetNames);
    FbxArray<FbxVector2> uvs;
    if (uvSetNames.GetCount() > 0 && mesh->GetPolygonVertexUVs(uvSetNames[0], uvs, nullptr)) {
      for (int j = 0; j < pointCount; ++j) {
        if (int k = firstCorner[static_cast<size_t>(j)]; k >= 0)
          for (int c = 0; c < 2; ++c) vertices[j].uv[c] = static_cast<float>(uvs[k][c]);
      }
    }
  }

  // Every polygon as a fan of triangles around its first vertex; fewer than three
  // vertices make no triangle.
  for (int p = 0; p < mesh->GetPolygonCount(); ++p) {
    const int* corner = polygonVertices + mesh->GetPolygonVertexIndex(p);
    for (int t = 1; t + 1 < mesh->GetPolygonSize(p); ++t) {
      for (int k : {0, t, t + 1}) container.indices.push_back(base + static_cast<std::uint32_t>(corner[k]));
    }
  }
}

VertexContainer extract_vertices(FbxScene* scene) {
  std::vector<FbxMesh*> meshes;
  size_t vertexCount = 0, indexCount = 0;
  for (int i = 0; i < scene->GetGeometryCount(); ++i) {
    FbxGeometry* geometry = scene->GetGeometry(i);
    if (geometry->GetAttributeType() != FbxNodeAttribute::eMesh) continue;
    FbxMesh* mesh = meshes.emplace_back(static_cast<FbxMesh*>(geometry));
    vertexCount += static_cast<size_t>(mesh->GetControlPointsCount());
    for (int p = 0; p < mesh->GetPolygonCount(); ++p)
      indexCount += 3 * static_cast<size_t>(std::max(mesh->GetPolygonSize(p) - 2, 0));
  }
  VertexContainer container;
  container.vertices.reserve(vertexCount);
  container.indices.reserve(indexCount);
  for (FbxMesh* mesh : meshes) extract_mesh(mesh, container);
  return container;
}

template <typename T>
void write_value(std::FILE* file, const T& value) {
  std::fwrite(&value, sizeof value, 1, file);
}

void write_mesh_file(const char* outputPrefix, const char* outputName, VertexContainer container) {
  char Path[1024];
  const size_t prefixLength = std::strlen(outputPrefix);
  const size_t nameLength = std::strlen(outputName);
  if (prefixLength + nameLength + 1 > sizeof Path) {
    std::printf("Output path longer than %zu bytes: no mesh file written.\n", sizeof Path - 1);
    std::fflush(stdout);
    return;
  }
  std::memcpy(Path, outputPrefix, prefixLength);
  std::memcpy(Path + prefixLength, outputName, nameLength + 1);

  std::FILE* file = std::fopen(Path, "wb");
  if (!file) return;
  const MeshFormat::Count nameSize = static_cast<MeshFormat::Count>(prefixLength + nameLength + 1);
  write_value(file, nameSize);
  std::fwrite(Path, 1, nameSize, file);
  write_value(file, MeshFormat::Count{0});  // no texture names

  write_value(file, static_cast<MeshFormat::Count>(container.vertices.size()));
  std::vector<MeshFormat::MeshFileVertex> records;
  constexpr size_t kChunk = 4096;
  for (size_t first = 0; first < container.vertices.size(); first += kChunk) {
    records.clear();
    for (size_t i = first; i < container.vertices.size() && i < first + kChunk; ++i) {
      const simple_vert& v = container.vertices[i];
      records.push_back(
          {v.position[0], v.position[1], v.position[2], v.normal[0], v.normal[1], v.normal[2], v.uv[0], v.uv[1]});
    }
    std::fwrite(records.data(), sizeof records[0], records.size(), file);
  }

  write_value(file, static_cast<MeshFormat::Count>(container.indices.size() / MeshFormat::IndicesPerTriangle));
  std::fwrite(container.indices.data(), sizeof(MeshFormat::Index), container.indices.size(), file);
  std::fclose(file);
}

}  // namespace

int export_simple_mesh(const char* fbxPath, const char* outputPrefix, const char* outputName) {
  ImportedScene imported = import_fbx_scene(fbxPath ? fbxPath : "");
  if (!imported.manager) return -1;
  bool hasMesh = false;
  for (int i = 0; i < imported.scene->GetGeometryCount(); ++i)
    hasMesh = hasMesh || imported.scene->GetGeometry(i)->GetAttributeType() == FbxNodeAttribute::eMesh;
  // One extraction covers every mesh of the scene, so the file is written once.
  if (hasMesh)
    write_mesh_file(outputPrefix ? outputPrefix : "", outputName ? outputName : "", extract_vertices(imported.scene));
  imported.manager->Destroy();
  return 0;
}

}  // namespace FBX_INTERFACE
