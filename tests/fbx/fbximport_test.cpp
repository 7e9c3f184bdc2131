// Imports written FBX files through the SDK calls and checks the scene they give.
#include <fbxsdk.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "fbxwriter.h"

namespace {

using fbxtest::Cube;
using fbxtest::Encoding;
using fbxtest::Geometry;
using fbxtest::Layer;

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(testing::TempDir()) / ("fbximport_" + std::to_string(getpid()) + "_" + name)).string();
}

// One import: Initialize and Import results, the status text and the scene.
struct Imported {
  FbxManager* manager = FbxManager::Create();
  FbxScene* scene = nullptr;
  bool initialized = false;
  bool imported = false;
  std::string error;

  explicit Imported(const std::string& path) {
    FbxImporter* importer = FbxImporter::Create(manager, "");
    initialized = importer->Initialize(path.c_str(), -1, manager->GetIOSettings());
    if (initialized) {
      scene = FbxScene::Create(manager, "scene");
      imported = importer->Import(scene);
    }
    error = importer->GetStatus().GetErrorString();
    importer->Destroy();
  }
  Imported(const Imported&) = delete;
  ~Imported() { manager->Destroy(); }
  int Geometries() const { return scene ? scene->GetGeometryCount() : 0; }
  FbxMesh* Mesh(int i) const {
    FbxGeometry* g = scene->GetGeometry(i);
    return g && g->GetAttributeType() == FbxNodeAttribute::eMesh ? static_cast<FbxMesh*>(g) : nullptr;
  }
};

Imported* ImportBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::string path = TempPath(name);
  EXPECT_TRUE(fbxtest::WriteFile(path, bytes));
  return new Imported(path);
}

TEST(FbxImport, CubeReadsTheSameInEveryEncoding) {
  Geometry cube = Cube();
  cube.uvs.push_back(Layer{"AllSame", "Direct", {0.5, 0.5}, {}, "second"});
  for (const Encoding& encoding : fbxtest::kEncodings) {
    SCOPED_TRACE(encoding.label);
    std::unique_ptr<Imported> file(
        ImportBytes("cube.fbx", fbxtest::Write(fbxtest::SceneDocument({cube}, encoding.version), encoding)));
    ASSERT_TRUE(file->initialized) << file->error;
    ASSERT_TRUE(file->imported) << file->error;
    ASSERT_EQ(file->Geometries(), 1);
    FbxMesh* mesh = file->Mesh(0);
    ASSERT_NE(mesh, nullptr);

    ASSERT_EQ(mesh->GetControlPointsCount(), 8);
    for (int j = 0; j < 8; ++j)
      for (int c = 0; c < 3; ++c) EXPECT_EQ(mesh->GetControlPoints()[j][c], cube.vertices[j * 3 + c]);
    ASSERT_EQ(mesh->GetPolygonCount(), 6);
    ASSERT_EQ(mesh->GetPolygonVertexCount(), 24);
    for (int k = 0; k < 24; ++k) {
      std::int64_t stored = cube.polygonVertexIndex[k];
      EXPECT_EQ(mesh->GetPolygonVertices()[k], stored < 0 ? ~stored : stored);
    }
    for (int p = 0; p < 6; ++p) {
      EXPECT_EQ(mesh->GetPolygonSize(p), 4);
      EXPECT_EQ(mesh->GetPolygonVertexIndex(p), p * 4);
      EXPECT_EQ(mesh->GetPolygonVertex(p, 1), mesh->GetPolygonVertices()[p * 4 + 1]);
    }

    FbxArray<FbxVector4> normals;
    ASSERT_TRUE(mesh->GetPolygonVertexNormals(normals));
    ASSERT_EQ(normals.GetCount(), 24);
    for (int k = 0; k < 24; ++k)
      EXPECT_EQ(normals[k], FbxVector4(cube.normals->values[k * 3], cube.normals->values[k * 3 + 1],
                                       cube.normals->values[k * 3 + 2]));

    FbxStringList names;
    mesh->GetUVSetNames(names);
    ASSERT_EQ(names.GetCount(), 2);
    EXPECT_STREQ(names[0], "map1");
    EXPECT_STREQ(names[1], "second");
    FbxArray<FbxVector2> uvs;
    ASSERT_TRUE(mesh->GetPolygonVertexUVs("map1", uvs));
    ASSERT_EQ(uvs.GetCount(), 24);
    const FbxVector2 corners[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 24; ++k) EXPECT_EQ(uvs[k], corners[k % 4]);
    ASSERT_TRUE(mesh->GetPolygonVertexUVs("second", uvs));
    EXPECT_EQ(uvs[23], FbxVector2(0.5, 0.5));
    EXPECT_FALSE(mesh->GetPolygonVertexUVs("missing", uvs));
    EXPECT_EQ(uvs.GetCount(), 0);
  }
}

// Two polygons over four control points: corners 0 1 2 | 0 2 3.
TEST(FbxImport, LayersResolveToOneValuePerPolygonVertexInEveryMapping) {
  struct Case {
    const char* mapping;
    const char* reference;
    int valueCount;
    std::vector<std::int64_t> index;
    std::vector<int> expected;  // value per corner; empty: the layer is unusable
  };
  const Case cases[] = {
      {"ByPolygonVertex", "Direct", 6, {}, {0, 1, 2, 3, 4, 5}},
      {"ByPolygonVertex", "IndexToDirect", 2, {1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 0, 1}},
      {"ByControlPoint", "Direct", 4, {}, {0, 1, 2, 0, 2, 3}},
      {"ByVertice", "IndexToDirect", 2, {1, 1, 0, 0}, {1, 1, 0, 1, 0, 0}},
      {"ByPolygon", "Direct", 2, {}, {0, 0, 0, 1, 1, 1}},
      {"ByPolygon", "IndexToDirect", 3, {2, 0}, {2, 2, 2, 0, 0, 0}},
      {"AllSame", "Direct", 1, {}, {0, 0, 0, 0, 0, 0}},
      {"AllSame", "IndexToDirect", 3, {2}, {2, 2, 2, 2, 2, 2}},
      // unusable layers
      {"ByPolygonVertex", "Direct", 5, {}, {}},
      {"ByPolygonVertex", "IndexToDirect", 2, {0, 1, 2, 0, 0, 0}, {}},
      {"ByPolygonVertex", "IndexToDirect", 2, {0, 1, 0, 0, 0}, {}},
      {"ByControlPoint", "IndexToDirect", 2, {0, -1, 0, 0}, {}},
      {"ByControlPoint", "Direct", 3, {}, {}},
      {"ByEdge", "Direct", 6, {}, {}},
      {"ByPolygon", "Sideways", 2, {}, {}},
  };
  const Encoding binary{"binary 7400 compressed", false, 7400, true};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mapping) + " " + c.reference + " " + std::to_string(c.valueCount));
    Geometry g;
    g.vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    g.polygonVertexIndex = {0, 1, ~2, 0, 2, ~3};
    Layer normals{c.mapping, c.reference, {}, c.index, ""};
    Layer uv{c.mapping, c.reference, {}, c.index, "uv"};
    for (int i = 0; i < c.valueCount; ++i) {
      normals.values.insert(normals.values.end(), {double(i), 10.0 + i, 20.0 + i});
      uv.values.insert(uv.values.end(), {double(i), 0.5});
    }
    g.normals = normals;
    g.uvs = {uv};
    std::unique_ptr<Imported> file(
        ImportBytes("layers.fbx", fbxtest::Write(fbxtest::SceneDocument({g}, binary.version), binary)));
    ASSERT_TRUE(file->imported) << file->error;
    FbxMesh* mesh = file->Mesh(0);
    ASSERT_NE(mesh, nullptr);
    FbxArray<FbxVector4> gotNormals;
    FbxArray<FbxVector2> gotUVs;
    FbxStringList names;
    mesh->GetUVSetNames(names);
    ASSERT_EQ(mesh->GetPolygonVertexNormals(gotNormals), !c.expected.empty());
    ASSERT_EQ(names.GetCount(), c.expected.empty() ? 0 : 1);
    if (c.expected.empty()) continue;
    ASSERT_TRUE(mesh->GetPolygonVertexUVs(names[0], gotUVs));
    ASSERT_EQ(gotNormals.GetCount(), 6);
    ASSERT_EQ(gotUVs.GetCount(), 6);
    for (int k = 0; k < 6; ++k) {
      const double v = c.expected[k];
      EXPECT_EQ(gotNormals[k], FbxVector4(v, 10 + v, 20 + v)) << "corner " << k;
      EXPECT_EQ(gotUVs[k], FbxVector2(v, 0.5)) << "corner " << k;
    }
  }
}

// A file in the style real exporters write: comments, property templates, bare words,
// exponents, values running over lines.
TEST(FbxImport, ReadsAnAsciiFileAsExportersWriteIt) {
  Imported file(FBX_CORPUS_DIR "/ascii/handwritten_7400.fbx");
  ASSERT_TRUE(file.imported) << file.error;
  ASSERT_EQ(file.Geometries(), 1);
  FbxMesh* mesh = file.Mesh(0);
  ASSERT_NE(mesh, nullptr);
  EXPECT_STREQ(mesh->GetName(), "Tri");
  ASSERT_EQ(mesh->GetControlPointsCount(), 3);
  EXPECT_EQ(mesh->GetControlPoints()[1], FbxVector4(1.5, 0, 0));
  EXPECT_EQ(mesh->GetControlPoints()[2], FbxVector4(0, 10, -0.25));
  ASSERT_EQ(mesh->GetPolygonCount(), 1);
  EXPECT_EQ(mesh->GetPolygonVertex(0, 2), 2);
  FbxArray<FbxVector4> normals;
  ASSERT_TRUE(mesh->GetPolygonVertexNormals(normals));
  EXPECT_EQ(normals[2], FbxVector4(0, 0, 1));
  FbxStringList names;
  mesh->GetUVSetNames(names);
  ASSERT_EQ(names.GetCount(), 1);
  EXPECT_STREQ(names[0], "UVMap");
  int major, minor, revision;
  FbxManager* manager = FbxManager::Create();
  FbxImporter* importer = FbxImporter::Create(manager, "");
  ASSERT_TRUE(importer->Initialize(FBX_CORPUS_DIR "/ascii/handwritten_7400.fbx"));
  ASSERT_TRUE(importer->GetFileVersion(major, minor, revision));
  EXPECT_EQ(major * 100 + minor * 10 + revision, 740);
  manager->Destroy();
}

TEST(FbxImport, GeometryClassesGiveTheirAttributeTypes) {
  Geometry mesh = Cube();
  Geometry curve;
  curve.className = "NurbsCurve";
  Geometry line;
  line.className = "Line";
  for (const Encoding& encoding : {fbxtest::kEncodings[3], fbxtest::kEncodings[7]}) {
    SCOPED_TRACE(encoding.label);
    std::unique_ptr<Imported> file(ImportBytes(
        "classes.fbx", fbxtest::Write(fbxtest::SceneDocument({curve, mesh, line}, encoding.version), encoding)));
    ASSERT_TRUE(file->imported) << file->error;
    ASSERT_EQ(file->Geometries(), 3);
    EXPECT_EQ(file->scene->GetGeometry(0)->GetAttributeType(), FbxNodeAttribute::eNurbsCurve);
    EXPECT_EQ(file->scene->GetGeometry(1)->GetAttributeType(), FbxNodeAttribute::eMesh);
    EXPECT_EQ(int(FbxNodeAttribute::eMesh), 4);
    EXPECT_EQ(file->scene->GetGeometry(2)->GetAttributeType(), FbxNodeAttribute::eLine);
    EXPECT_EQ(file->scene->GetGeometry(3), nullptr);
  }
}

TEST(FbxImport, MeshesWhosePolygonsMissTheirPointsAreLeftOut) {
  struct Case {
    const char* label;
    std::vector<double> vertices;
    std::vector<std::int64_t> polygons;
    int polygonCount;  // -1: the mesh is left out
  };
  const Case cases[] = {
      {"index past the points", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, ~3}, -1},
      {"negative end past the points", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, ~7}, -1},
      {"coordinates not in threes", {0, 0, 0, 1, 0, 0, 0, 1}, {0, 1, ~2}, -1},
      {"last polygon left open", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, ~2, 2, 1, 0}, 2},
      {"no polygons", {0, 0, 0}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Geometry g;
    g.vertices = c.vertices;
    g.polygonVertexIndex = c.polygons;
    const Encoding& encoding = fbxtest::kEncodings[4];
    std::unique_ptr<Imported> file(
        ImportBytes("bad.fbx", fbxtest::Write(fbxtest::SceneDocument({g, Cube()}, encoding.version), encoding)));
    ASSERT_TRUE(file->imported) << file->error;
    ASSERT_EQ(file->Geometries(), c.polygonCount < 0 ? 1 : 2);
    EXPECT_EQ(file->Mesh(file->Geometries() - 1)->GetPolygonCount(), 6);  // the sound cube stays
    if (c.polygonCount >= 0) {
      EXPECT_EQ(file->Mesh(0)->GetPolygonCount(), c.polygonCount);
    }
  }
}

TEST(FbxImport, InitializeRefusesWhatItCannotRead) {
  std::vector<std::uint8_t> binary = fbxtest::Write(fbxtest::SceneDocument({Cube()}, 7400), fbxtest::kEncodings[2]);
  auto withVersion = [&](std::uint32_t version) {
    std::vector<std::uint8_t> bytes = binary;
    std::memcpy(&bytes[23], &version, 4);
    return bytes;
  };
  auto text = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
  struct Case {
    const char* label;
    std::optional<std::vector<std::uint8_t>> bytes;  // none: no such file
    FbxStatus::EStatusCode code;
    const char* message;
  };
  const Case cases[] = {
      {"missing file", std::nullopt, FbxStatus::eFailure, "File not found"},
      {"empty file", text(""), FbxStatus::eInvalidFile, "Unexpected file type"},
      {"plain text", text("hello, world\n"), FbxStatus::eInvalidFile, "Unexpected file type"},
      {"magic cut short", std::vector<std::uint8_t>(binary.begin(), binary.begin() + 25), FbxStatus::eInvalidFile,
       "Unexpected file type"},
      {"binary 6000", withVersion(6000), FbxStatus::eInvalidFileVersion, "File version 6000 is not supported"},
      {"binary 7800", withVersion(7800), FbxStatus::eInvalidFileVersion, "File version 7800 is not supported"},
      {"ascii 6.1", text("; FBX 6.1.0 project file\n"), FbxStatus::eInvalidFileVersion,
       "File version 6100 is not supported"},
      {"ascii 8.0", text("; FBX 8.0.0 project file\n"), FbxStatus::eInvalidFileVersion,
       "File version 8000 is not supported"},
      {"ascii without its first line", text("FBXHeaderExtension: {\n}\n"), FbxStatus::eInvalidFile,
       "Unexpected file type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string path = TempPath("refused.fbx");
    std::filesystem::remove(path);
    if (c.bytes) {
      ASSERT_TRUE(fbxtest::WriteFile(path, *c.bytes));
    }
    FbxManager* manager = FbxManager::Create();
    FbxImporter* importer = FbxImporter::Create(manager, "");
    EXPECT_FALSE(importer->Initialize(path.c_str(), -1, manager->GetIOSettings()));
    EXPECT_EQ(importer->GetStatus().GetCode(), c.code);
    EXPECT_STREQ(importer->GetStatus().GetErrorString(), c.message);
    FbxScene* scene = FbxScene::Create(manager, "scene");
    EXPECT_FALSE(importer->Import(scene));
    EXPECT_EQ(scene->GetGeometryCount(), 0);
    manager->Destroy();
  }
  FbxManager* manager = FbxManager::Create();
  FbxImporter* importer = FbxImporter::Create(manager, "");
  EXPECT_FALSE(importer->Initialize(testing::TempDir().c_str()));
  EXPECT_STREQ(importer->GetStatus().GetErrorString(), "File not found");
  manager->Destroy();
}

std::vector<std::uint8_t> Nested(int depth, const Encoding& encoding) {
  fbxtest::Node node{"Leaf", {fbxtest::Int(1)}, {}};
  for (int i = 0; i < depth; ++i) node = fbxtest::Node{"Level", {}, {node}};
  return fbxtest::Write({node}, encoding);
}

TEST(FbxImport, DamagedFilesImportNothingAndSayWhy) {
  auto array = [](std::vector<double> values, std::optional<std::uint32_t> length,
                  std::optional<std::vector<std::uint8_t>> stored) {
    fbxtest::Value v = fbxtest::Reals(std::move(values));
    v.declaredLength = length;
    v.storedBytes = stored;
    return v;
  };
  auto document = [](fbxtest::Value vertices) {
    fbxtest::Node geometry{"Geometry", {fbxtest::Long(1), fbxtest::Text("Mesh")}, {{"Vertices", {vertices}, {}}}};
    return std::vector<fbxtest::Node>{{"Objects", {}, {geometry}}};
  };
  const Encoding raw = fbxtest::kEncodings[2], packed = fbxtest::kEncodings[3];
  struct Case {
    const char* label;
    std::vector<std::uint8_t> bytes;
    const char* reason;
  };
  std::vector<std::uint8_t> sound = fbxtest::Write(document(fbxtest::Reals({0, 0, 0})), raw);
  std::vector<std::uint8_t> pastEnd = sound;
  pastEnd[27] = 0xFF;  // the first record's end offset, far past the file
  pastEnd[28] = 0xFF;
  std::vector<std::uint8_t> insideHeader = sound;
  insideHeader[27] = 30;  // the first record's end offset, inside its own header
  insideHeader[28] = 0;
  const Case cases[] = {
      {"raw array longer than its bytes", fbxtest::Write(document(array({0, 0, 0}, 4, std::nullopt)), raw),
       "array length does not match its bytes"},
      {"compressed array that is not deflate",
       fbxtest::Write(document(array({0, 0, 0}, std::nullopt, std::vector<std::uint8_t>(24, 7))), packed),
       "array does not decompress to its length"},
      {"compressed array shorter than declared", fbxtest::Write(document(array({0, 0, 0}, 4, std::nullopt)), packed),
       "array does not decompress to its length"},
      {"compressed array claiming two billion values",
       fbxtest::Write(document(array({0, 0, 0}, 0x7FFFFFFF, std::nullopt)), packed),
       "compressed array claims more than it can hold"},
      {"record ending past the file", pastEnd, "node record out of range"},
      {"record ending inside its own header", insideHeader, "node record out of range"},
      {"binary nested too deeply", Nested(100, raw), "nodes nested too deeply"},
      {"ascii nested too deeply", Nested(100, fbxtest::kEncodings[7]), "nodes nested too deeply"},
      {"ascii array count beyond its values",
       [] {
         std::string s = "; FBX 7.4.0 project file\nObjects: {\n Geometry: 1, \"Mesh\" {\n  Vertices: *4 {\n   a: 1,2,3\n  "
                         "}\n }\n}\n";
         return std::vector<std::uint8_t>(s.begin(), s.end());
       }(),
       "array count does not match its values"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::unique_ptr<Imported> file(ImportBytes("damaged.fbx", c.bytes));
    ASSERT_TRUE(file->initialized) << file->error;
    EXPECT_FALSE(file->imported);
    EXPECT_EQ(file->Geometries(), 0);
    EXPECT_TRUE(file->error.starts_with("File is corrupted: ")) << file->error;
    EXPECT_NE(file->error.find(c.reason), std::string::npos) << file->error;
  }
  // The same nesting within the limit reads.
  std::unique_ptr<Imported> shallow(ImportBytes("shallow.fbx", Nested(60, raw)));
  EXPECT_TRUE(shallow->imported) << shallow->error;
}

// What loads from a damaged file must still be a sound structure.
void ExpectSound(const Imported& file) {
  if (!file.imported) {
    EXPECT_EQ(file.Geometries(), 0);
    if (file.initialized) {
      EXPECT_TRUE(file.error.starts_with("File is corrupted: ")) << file.error;
    }
    return;
  }
  for (int i = 0; i < file.Geometries(); ++i) {
    FbxMesh* mesh = file.Mesh(i);
    if (!mesh) continue;
    int corners = 0;
    for (int p = 0; p < mesh->GetPolygonCount(); ++p) corners += mesh->GetPolygonSize(p);
    ASSERT_EQ(corners, mesh->GetPolygonVertexCount());
    for (int k = 0; k < corners; ++k) {
      ASSERT_GE(mesh->GetPolygonVertices()[k], 0);
      ASSERT_LT(mesh->GetPolygonVertices()[k], mesh->GetControlPointsCount());
    }
    FbxArray<FbxVector4> normals;
    if (mesh->GetPolygonVertexNormals(normals)) {
      ASSERT_EQ(normals.GetCount(), corners);
    }
  }
}

TEST(FbxImport, EveryTruncationAndByteFlipLoadsSoundlyOrNothing) {
  const std::vector<Geometry> scene = {Cube()};
  for (const Encoding& encoding : {fbxtest::kEncodings[3], fbxtest::kEncodings[4], fbxtest::kEncodings[7]}) {
    SCOPED_TRACE(encoding.label);
    const std::vector<std::uint8_t> whole = fbxtest::Write(fbxtest::SceneDocument(scene, encoding.version), encoding);
    for (std::size_t length = 0; length < whole.size(); ++length) {
      std::unique_ptr<Imported> file(
          ImportBytes("cut.fbx", std::vector<std::uint8_t>(whole.begin(), whole.begin() + length)));
      ExpectSound(*file);
      if (::testing::Test::HasFatalFailure()) FAIL() << "cut at " << length;
    }
    for (std::size_t at = 0; at < whole.size(); ++at) {
      std::vector<std::uint8_t> flipped = whole;
      flipped[at] ^= 0xA5;
      std::unique_ptr<Imported> file(ImportBytes("flip.fbx", flipped));
      ExpectSound(*file);
      if (::testing::Test::HasFatalFailure()) FAIL() << "flipped at " << at;
    }
  }
}

}  // namespace
