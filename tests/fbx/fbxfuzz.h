// The shared body of the reader fuzz targets: parse, build the scene, and walk every mesh
// through the SDK calls the exporter makes.
#pragma once

#include <fbxsdk.h>

#include <cstdint>
#include <cstdlib>

#include "fbxtree.h"

inline void FuzzScene(fbxfile::Node& root) {
  FbxManager* manager = FbxManager::Create();
  FbxScene* scene = FbxScene::Create(manager, "fuzz");
  fbxfile::ReadScene(root, *scene);
  for (int i = 0; i < scene->GetGeometryCount(); ++i) {
    FbxGeometry* geometry = scene->GetGeometry(i);
    if (geometry->GetAttributeType() != FbxNodeAttribute::eMesh) continue;
    FbxMesh* mesh = static_cast<FbxMesh*>(geometry);
    FbxArray<FbxVector4> normals;
    FbxArray<FbxVector2> uvs;
    FbxStringList names;
    mesh->GetUVSetNames(names);
    bool hasNormals = mesh->GetPolygonVertexNormals(normals);
    bool hasUVs = names.GetCount() > 0 && mesh->GetPolygonVertexUVs(names[0], uvs);
    int corners = 0;
    for (int p = 0; p < mesh->GetPolygonCount(); ++p) corners += mesh->GetPolygonSize(p);
    // What the scene holds must agree with itself.
    if (corners != mesh->GetPolygonVertexCount()) std::abort();
    if ((hasNormals && normals.GetCount() != corners) || (hasUVs && uvs.GetCount() != corners)) std::abort();
    for (int k = 0; k < corners; ++k) {
      int point = mesh->GetPolygonVertices()[k];
      if (point < 0 || point >= mesh->GetControlPointsCount()) std::abort();
    }
  }
  manager->Destroy();
}
