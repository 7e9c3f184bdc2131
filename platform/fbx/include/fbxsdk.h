// The FBX SDK calls the exporter uses, over our own FBX reader.
//
// Use: create an FbxManager, an FbxImporter on it, Initialize the importer with a file
// (this reads the file and checks that it is FBX of a supported version), create an
// FbxScene and Import into it (this parses the file and builds the scene's geometry),
// then walk the scene's geometries. Destroying the manager destroys every object created
// on it. Failures are reported through the importer's FbxStatus.
//
// Readable files: binary FBX 6100 to 7700 (arrays raw or deflate-compressed) and ASCII
// FBX 7.x. A damaged file imports nothing, with a status saying what was wrong; a mesh
// whose polygons name missing control points is left out of the scene, and a normal or
// UV layer that does not cover every polygon vertex is ignored.
#pragma once

#include <memory>
#include <string>
#include <vector>

#define IOSROOT "IOSRoot"

namespace fbxfile {
class SceneReader;
}

class FbxManager;

// A text value.
class FbxString {
 public:
  FbxString() = default;
  FbxString(const char* pText) : mText(pText ? pText : "") {}
  const char* Buffer() const { return mText.c_str(); }
  operator const char*() const { return mText.c_str(); }
  size_t GetLen() const { return mText.size(); }
  bool IsEmpty() const { return mText.empty(); }

 private:
  std::string mText;
};

// A growable array indexed by int.
template <typename T>
class FbxArray {
 public:
  int GetCount() const { return static_cast<int>(mItems.size()); }
  int Size() const { return GetCount(); }
  T& operator[](int pIndex) { return mItems[static_cast<size_t>(pIndex)]; }
  const T& operator[](int pIndex) const { return mItems[static_cast<size_t>(pIndex)]; }
  T GetAt(int pIndex) const { return mItems[static_cast<size_t>(pIndex)]; }
  int Add(const T& pItem) {
    mItems.push_back(pItem);
    return GetCount() - 1;
  }
  bool Resize(int pSize) {
    if (pSize < 0) return false;
    mItems.resize(static_cast<size_t>(pSize));
    return true;
  }
  void Clear() { mItems.clear(); }
  T* GetArray() { return mItems.data(); }
  const T* GetArray() const { return mItems.data(); }

 private:
  std::vector<T> mItems;
};

class FbxVector2 {
 public:
  FbxVector2() = default;
  FbxVector2(double pX, double pY) : mData{pX, pY} {}
  double& operator[](int pIndex) { return mData[pIndex]; }
  const double& operator[](int pIndex) const { return mData[pIndex]; }
  bool operator==(const FbxVector2&) const = default;

  double mData[2] = {0, 0};
};

class FbxVector4 {
 public:
  FbxVector4() = default;
  FbxVector4(double pX, double pY, double pZ, double pW = 1.0) : mData{pX, pY, pZ, pW} {}
  double& operator[](int pIndex) { return mData[pIndex]; }
  const double& operator[](int pIndex) const { return mData[pIndex]; }
  bool operator==(const FbxVector4&) const = default;

  double mData[4] = {0, 0, 0, 0};
};

// A list of names, such as a mesh's UV set names.
class FbxStringList {
 public:
  int GetCount() const { return static_cast<int>(mItems.size()); }
  char* operator[](int pIndex) { return mItems[static_cast<size_t>(pIndex)].data(); }
  char* GetStringAt(int pIndex) const { return const_cast<char*>(mItems[static_cast<size_t>(pIndex)].c_str()); }
  int Add(const char* pString) {
    mItems.emplace_back(pString ? pString : "");
    return GetCount() - 1;
  }
  void Clear() { mItems.clear(); }

 private:
  std::vector<std::string> mItems;
};

// The outcome of an operation: a code and a message.
class FbxStatus {
 public:
  enum EStatusCode {
    eSuccess = 0,
    eFailure,
    eInsufficientMemory,
    eInvalidParameter,
    eIndexOutOfRange,
    ePasswordError,
    eInvalidFileVersion,
    eInvalidFile
  };

  FbxStatus() = default;
  FbxStatus(EStatusCode pCode) : mCode(pCode) {}
  bool operator==(EStatusCode pCode) const { return mCode == pCode; }
  operator bool() const { return mCode == eSuccess; }
  bool Error() const { return mCode != eSuccess; }
  void Clear();
  EStatusCode GetCode() const { return mCode; }
  void SetCode(EStatusCode pCode);
  void SetCode(EStatusCode pCode, const char* pErrorMsg, ...) __attribute__((format(printf, 3, 4)));
  // The message of the last failure; empty on success.
  const char* GetErrorString() const { return mMessage.c_str(); }

 private:
  EStatusCode mCode = eSuccess;
  std::string mMessage;
};

// Every object belongs to the manager it was created on.
class FbxObject {
 public:
  FbxObject(const FbxObject&) = delete;
  FbxObject& operator=(const FbxObject&) = delete;
  virtual ~FbxObject() = default;

  FbxManager* GetFbxManager() const { return mManager; }
  const char* GetName() const { return mName.c_str(); }
  // Destroys an object created on a manager. Objects a scene owns (its geometries) go
  // with the scene; for them this does nothing.
  void Destroy(bool pRecursive = false);

 protected:
  FbxObject(FbxManager* pManager, const char* pName) : mManager(pManager), mName(pName ? pName : "") {}

 private:
  FbxManager* mManager;
  std::string mName;
};

class FbxIOSettings : public FbxObject {
 public:
  static FbxIOSettings* Create(FbxManager* pManager, const char* pName);

 private:
  using FbxObject::FbxObject;
};

class FbxManager {
 public:
  static FbxManager* Create();
  // Destroys every object created on the manager, then the manager.
  void Destroy();
  FbxIOSettings* GetIOSettings() const { return mIOSettings; }
  void SetIOSettings(FbxIOSettings* pIOSettings) { mIOSettings = pIOSettings; }

 private:
  friend class FbxObject;
  FbxManager() = default;
  ~FbxManager() = default;
  template <typename T>
  T* Adopt(T* pObject) {
    mObjects.emplace_back(pObject);
    return pObject;
  }
  bool Release(FbxObject* pObject);

  std::vector<std::unique_ptr<FbxObject>> mObjects;
  FbxIOSettings* mIOSettings = nullptr;

  friend class FbxIOSettings;
  friend class FbxImporter;
  friend class FbxScene;
};

class FbxNodeAttribute : public FbxObject {
 public:
  enum EType {
    eUnknown,
    eNull,
    eMarker,
    eSkeleton,
    eMesh,
    eNurbs,
    ePatch,
    eCamera,
    eCameraStereo,
    eCameraSwitcher,
    eLight,
    eOpticalReference,
    eOpticalMarker,
    eNurbsCurve,
    eTrimNurbsSurface,
    eBoundary,
    eNurbsSurface,
    eShape,
    eLODGroup,
    eSubDiv,
    eCachedEffect,
    eLine
  };
  virtual EType GetAttributeType() const = 0;

 protected:
  using FbxObject::FbxObject;
};

class FbxGeometryBase : public FbxNodeAttribute {
 public:
  int GetControlPointsCount() const { return static_cast<int>(mControlPoints.size()); }
  FbxVector4* GetControlPoints(FbxStatus* pStatus = nullptr) const;
  // The names of the UV sets, in the order the file holds them.
  void GetUVSetNames(FbxStringList& pUVSetNameList) const;

 protected:
  using FbxNodeAttribute::FbxNodeAttribute;

  // A layer's values and which one each polygon vertex takes: corner k takes value
  // cornerValue[k], or value k where cornerValue is empty.
  struct UVSet {
    std::string name;
    std::vector<double> values;  // u, v per value
    std::vector<int> cornerValue;
  };
  std::vector<FbxVector4> mControlPoints;
  std::vector<UVSet> mUVSets;

  friend class fbxfile::SceneReader;
};

// A geometry of any class; meshes are FbxMesh.
class FbxGeometry : public FbxGeometryBase {
 public:
  EType GetAttributeType() const override { return mType; }

 protected:
  FbxGeometry(FbxManager* pManager, const char* pName, EType pType) : FbxGeometryBase(pManager, pName), mType(pType) {}

 private:
  EType mType;
  friend class fbxfile::SceneReader;
};

class FbxMesh : public FbxGeometry {
 public:
  int GetPolygonCount() const { return static_cast<int>(mPolygonStarts.size()) - 1; }
  // Vertices of a polygon, or -1 for a polygon index out of range.
  int GetPolygonSize(int pPolygonIndex) const;
  // Where the polygon's vertices begin in GetPolygonVertices, or -1.
  int GetPolygonVertexIndex(int pPolygonIndex) const;
  // The control point of a polygon's vertex, or -1.
  int GetPolygonVertex(int pPolygonIndex, int pPositionInPolygon) const;
  int GetPolygonVertexCount() const { return static_cast<int>(mPolygonVertices.size()); }
  // Every polygon's control-point indices, polygon after polygon.
  int* GetPolygonVertices() const { return const_cast<int*>(mPolygonVertices.data()); }
  // One normal per polygon vertex; false, with the array emptied, when the mesh has none.
  bool GetPolygonVertexNormals(FbxArray<FbxVector4>& pNormals) const;
  // One UV of the named set per polygon vertex; false, with the array emptied, when the
  // mesh has no such set. Unmapped indices are never produced: pUnmappedUVId is emptied.
  bool GetPolygonVertexUVs(const char* pUVSetName, FbxArray<FbxVector2>& pUVs,
                           FbxArray<int>* pUnmappedUVId = nullptr) const;

 private:
  FbxMesh(FbxManager* pManager, const char* pName) : FbxGeometry(pManager, pName, eMesh) {}

  std::vector<int> mPolygonVertices;
  std::vector<int> mPolygonStarts{0};  // polygon p covers [starts[p], starts[p + 1])
  bool mHasNormals = false;
  std::vector<double> mNormals;         // x, y, z per value
  std::vector<int> mNormalCornerValue;  // as UVSet::cornerValue

  friend class fbxfile::SceneReader;
};

class FbxDocument : public FbxObject {
 protected:
  using FbxObject::FbxObject;
};

class FbxScene : public FbxDocument {
 public:
  static FbxScene* Create(FbxManager* pManager, const char* pName);
  int GetGeometryCount() const { return static_cast<int>(mGeometries.size()); }
  // The geometry at an index, or null out of range.
  FbxGeometry* GetGeometry(int pIndex);

 private:
  using FbxDocument::FbxDocument;
  std::vector<std::unique_ptr<FbxGeometry>> mGeometries;
  friend class fbxfile::SceneReader;
};

class FbxIOBase : public FbxObject {
 public:
  FbxStatus& GetStatus() { return mStatus; }

 protected:
  using FbxObject::FbxObject;
  FbxStatus mStatus;
};

class FbxImporter : public FbxIOBase {
 public:
  static FbxImporter* Create(FbxManager* pManager, const char* pName);
  // Reads the file and checks that it is FBX of a supported version. Any file format
  // value is accepted: the format is found from the file itself.
  bool Initialize(const char* pFileName, int pFileFormat = -1, FbxIOSettings* pIOSettings = nullptr);
  // Parses the initialized file into the scene; once per Initialize.
  bool Import(FbxDocument* pDocument, bool pNonBlocking = false);
  // The file's version as major, minor and revision (7, 4, 0 for 7400); false before a
  // successful Initialize.
  bool GetFileVersion(int& pMajor, int& pMinor, int& pRevision) const;

 private:
  using FbxIOBase::FbxIOBase;
  std::vector<unsigned char> mData;
  unsigned mVersion = 0;
  bool mReady = false;
};
