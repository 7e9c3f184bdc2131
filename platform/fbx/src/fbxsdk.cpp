// The SDK objects: ownership by the manager, the importer's file handling and the mesh's
// per-polygon-vertex views.
#include <fbxsdk.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fbxtree.h"

void FbxStatus::Clear() {
  mCode = eSuccess;
  mMessage.clear();
}

void FbxStatus::SetCode(EStatusCode pCode) {
  mCode = pCode;
  mMessage.clear();
}

void FbxStatus::SetCode(EStatusCode pCode, const char* pErrorMsg, ...) {
  mCode = pCode;
  va_list args;
  va_start(args, pErrorMsg);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, pErrorMsg, args);
  va_end(args);
  mMessage.assign(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(mMessage.data(), mMessage.size() + 1, pErrorMsg, again);
  va_end(again);
}

void FbxObject::Destroy(bool) {
  if (mManager) mManager->Release(this);  // deletes this when the manager holds it
}

FbxManager* FbxManager::Create() { return new FbxManager; }

void FbxManager::Destroy() {
  while (!mObjects.empty()) mObjects.pop_back();  // newest first
  delete this;
}

bool FbxManager::Release(FbxObject* pObject) {
  for (auto it = mObjects.begin(); it != mObjects.end(); ++it) {
    if (it->get() == pObject) {
      if (pObject == mIOSettings) mIOSettings = nullptr;
      mObjects.erase(it);
      return true;
    }
  }
  return false;
}

FbxIOSettings* FbxIOSettings::Create(FbxManager* pManager, const char* pName) {
  return pManager ? pManager->Adopt(new FbxIOSettings(pManager, pName)) : nullptr;
}

FbxScene* FbxScene::Create(FbxManager* pManager, const char* pName) {
  return pManager ? pManager->Adopt(new FbxScene(pManager, pName)) : nullptr;
}

FbxGeometry* FbxScene::GetGeometry(int pIndex) {
  return pIndex >= 0 && pIndex < GetGeometryCount() ? mGeometries[static_cast<size_t>(pIndex)].get() : nullptr;
}

FbxVector4* FbxGeometryBase::GetControlPoints(FbxStatus* pStatus) const {
  if (pStatus) pStatus->Clear();
  return const_cast<FbxVector4*>(mControlPoints.data());
}

void FbxGeometryBase::GetUVSetNames(FbxStringList& pUVSetNameList) const {
  pUVSetNameList.Clear();
  for (const UVSet& set : mUVSets) pUVSetNameList.Add(set.name.c_str());
}

int FbxMesh::GetPolygonSize(int pPolygonIndex) const {
  if (pPolygonIndex < 0 || pPolygonIndex >= GetPolygonCount()) return -1;
  return mPolygonStarts[static_cast<size_t>(pPolygonIndex) + 1] - mPolygonStarts[static_cast<size_t>(pPolygonIndex)];
}

int FbxMesh::GetPolygonVertexIndex(int pPolygonIndex) const {
  if (pPolygonIndex < 0 || pPolygonIndex >= GetPolygonCount()) return -1;
  return mPolygonStarts[static_cast<size_t>(pPolygonIndex)];
}

int FbxMesh::GetPolygonVertex(int pPolygonIndex, int pPositionInPolygon) const {
  int size = GetPolygonSize(pPolygonIndex);
  if (pPositionInPolygon < 0 || pPositionInPolygon >= size) return -1;
  return mPolygonVertices[static_cast<size_t>(GetPolygonVertexIndex(pPolygonIndex) + pPositionInPolygon)];
}

bool FbxMesh::GetPolygonVertexNormals(FbxArray<FbxVector4>& pNormals) const {
  pNormals.Clear();
  if (!mHasNormals) return false;
  pNormals.Resize(GetPolygonVertexCount());
  const bool identity = mNormalCornerValue.empty();
  for (int k = 0; k < GetPolygonVertexCount(); ++k) {
    const double* n = &mNormals[3 * static_cast<size_t>(identity ? k : mNormalCornerValue[static_cast<size_t>(k)])];
    pNormals[k] = FbxVector4(n[0], n[1], n[2]);
  }
  return true;
}

bool FbxMesh::GetPolygonVertexUVs(const char* pUVSetName, FbxArray<FbxVector2>& pUVs,
                                  FbxArray<int>* pUnmappedUVId) const {
  pUVs.Clear();
  if (pUnmappedUVId) pUnmappedUVId->Clear();
  for (const UVSet& set : mUVSets) {
    if (pUVSetName && set.name != pUVSetName) continue;
    pUVs.Resize(GetPolygonVertexCount());
    const bool identity = set.cornerValue.empty();
    for (int k = 0; k < GetPolygonVertexCount(); ++k) {
      const double* uv = &set.values[2 * static_cast<size_t>(identity ? k : set.cornerValue[static_cast<size_t>(k)])];
      pUVs[k] = FbxVector2(uv[0], uv[1]);
    }
    return true;
  }
  return false;
}

FbxImporter* FbxImporter::Create(FbxManager* pManager, const char* pName) {
  return pManager ? pManager->Adopt(new FbxImporter(pManager, pName)) : nullptr;
}

bool FbxImporter::Initialize(const char* pFileName, int, FbxIOSettings*) {
  mReady = false;
  mVersion = 0;
  mData = {};
  mStatus.Clear();
  std::error_code error;
  if (!pFileName || !std::filesystem::is_regular_file(pFileName, error)) {
    mStatus.SetCode(FbxStatus::eFailure, "File not found");
    return false;
  }
  std::ifstream file(pFileName, std::ios::binary | std::ios::ate);
  std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
  if (size >= 0) {
    mData.resize(static_cast<size_t>(size));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(mData.data()), size);
  }
  if (size < 0 || !file) {
    mData = {};
    mStatus.SetCode(FbxStatus::eFailure, "File could not be read");
    return false;
  }
  fbxfile::Header header;
  switch (fbxfile::ReadHeader(mData, header)) {
    case fbxfile::HeaderCheck::NotFbx:
      mData = {};
      mStatus.SetCode(FbxStatus::eInvalidFile, "Unexpected file type");
      return false;
    case fbxfile::HeaderCheck::UnsupportedVersion:
      mData = {};
      mStatus.SetCode(FbxStatus::eInvalidFileVersion, "File version %u is not supported", header.version);
      return false;
    case fbxfile::HeaderCheck::Ok:
      break;
  }
  mVersion = header.version;
  mReady = true;
  return true;
}

bool FbxImporter::Import(FbxDocument* pDocument, bool) {
  FbxScene* scene = dynamic_cast<FbxScene*>(pDocument);
  if (!mReady || !scene) {
    mStatus.SetCode(FbxStatus::eFailure, mReady ? "No scene to import into" : "Importer not initialized");
    return false;
  }
  mReady = false;
  fbxfile::Header header;
  fbxfile::ReadHeader(mData, header);
  fbxfile::Node root;
  std::string error;
  bool parsed = header.format == fbxfile::Format::Binary ? fbxfile::ReadBinary(mData, root, error)
                                                         : fbxfile::ReadAscii(mData, root, error);
  mData = {};
  if (!parsed) {
    mStatus.SetCode(FbxStatus::eInvalidFile, "File is corrupted: %s", error.c_str());
    return false;
  }
  fbxfile::ReadScene(root, *scene);
  mStatus.Clear();
  return true;
}

bool FbxImporter::GetFileVersion(int& pMajor, int& pMinor, int& pRevision) const {
  if (mVersion == 0) return false;
  pMajor = static_cast<int>(mVersion / 1000);
  pMinor = static_cast<int>(mVersion / 100 % 10);
  pRevision = static_cast<int>(mVersion / 10 % 10);
  return true;
}
