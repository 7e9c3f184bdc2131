// From the node tree to the scene: every Geometry object of the Objects node (and, in
// FBX 6 files, every Model that carries its own vertices) becomes one geometry, in file
// order. Mesh layers are resolved to one value index per polygon vertex, whatever their
// mapping and reference mode.
#include <fbxsdk.h>

#include <memory>

#include "fbxtree.h"

namespace fbxfile {

namespace {

std::string_view TextOf(const Node* node) {
  if (!node || node->properties.empty() || node->properties[0].kind != Property::Kind::Text) return {};
  return node->properties[0].text;
}

const Property* ArrayOf(const Node* node) {
  if (!node || node->properties.empty()) return nullptr;
  const Property& p = node->properties[0];
  return p.kind == Property::Kind::RealArray || p.kind == Property::Kind::IntegerArray ? &p : nullptr;
}

// The array's values as reals; integer arrays (as ASCII files write whole numbers) are converted.
std::span<const double> RealsOf(const Property* array, std::vector<double>& scratch) {
  if (!array) return {};
  if (array->kind == Property::Kind::RealArray) return array->reals;
  scratch.assign(array->integers.begin(), array->integers.end());
  return scratch;
}

// The array's values as integers; false when a value is not a whole number.
bool IntegersOf(const Property* array, std::vector<std::int64_t>& scratch, std::span<const std::int64_t>& out) {
  out = {};
  if (!array) return true;
  if (array->kind == Property::Kind::IntegerArray) {
    out = array->integers;
    return true;
  }
  scratch.clear();
  for (double value : array->reals) {
    if (!(value >= -9.0e18 && value <= 9.0e18) || static_cast<double>(static_cast<std::int64_t>(value)) != value)
      return false;
    scratch.push_back(static_cast<std::int64_t>(value));
  }
  out = scratch;
  return true;
}

FbxNodeAttribute::EType TypeOfClass(std::string_view className) {
  struct Entry {
    std::string_view name;
    FbxNodeAttribute::EType type;
  };
  static constexpr Entry kClasses[] = {
      {"Mesh", FbxNodeAttribute::eMesh},
      {"Nurb", FbxNodeAttribute::eNurbs},
      {"Nurbs", FbxNodeAttribute::eNurbs},
      {"Patch", FbxNodeAttribute::ePatch},
      {"NurbsCurve", FbxNodeAttribute::eNurbsCurve},
      {"TrimNurbsSurface", FbxNodeAttribute::eTrimNurbsSurface},
      {"Boundary", FbxNodeAttribute::eBoundary},
      {"NurbsSurface", FbxNodeAttribute::eNurbsSurface},
      {"Shape", FbxNodeAttribute::eShape},
      {"SubDiv", FbxNodeAttribute::eSubDiv},
      {"Line", FbxNodeAttribute::eLine},
  };
  for (const Entry& entry : kClasses) {
    if (entry.name == className) return entry.type;
  }
  return FbxNodeAttribute::eUnknown;
}

// "Cube\0\1Geometry" (binary) or "Geometry::Cube" (ASCII) to "Cube".
std::string ObjectName(const Node& object) {
  std::string_view name;
  for (const Property& p : object.properties) {
    if (p.kind == Property::Kind::Text) {
      name = p.text;
      break;
    }
  }
  if (std::size_t cut = name.find(std::string_view("\0\1", 2)); cut != std::string_view::npos)
    return std::string(name.substr(0, cut));
  if (std::size_t cut = name.find("::"); cut != std::string_view::npos) return std::string(name.substr(cut + 2));
  return std::string(name);
}

// The class is the object's last string value ("Mesh", "NurbsCurve", ...).
std::string_view ClassOf(const Node& object) {
  for (auto p = object.properties.rbegin(); p != object.properties.rend(); ++p) {
    if (p->kind == Property::Kind::Text) return p->text;
  }
  return {};
}

}  // namespace

class SceneReader {
 public:
  static void Read(const Node& root, FbxScene& scene) {
    const Node* objects = root.Child("Objects");
    if (!objects) return;
    for (const Node& object : objects->children) {
      bool geometry = object.name == "Geometry" || (object.name == "Model" && object.Child("Vertices"));
      if (!geometry) continue;
      FbxNodeAttribute::EType type = TypeOfClass(ClassOf(object));
      std::string name = ObjectName(object);
      if (type != FbxNodeAttribute::eMesh) {
        scene.mGeometries.emplace_back(new FbxGeometry(scene.GetFbxManager(), name.c_str(), type));
        continue;
      }
      std::unique_ptr<FbxMesh> mesh(new FbxMesh(scene.GetFbxManager(), name.c_str()));
      if (ReadMesh(object, *mesh)) scene.mGeometries.push_back(std::move(mesh));
    }
  }

 private:
  // False when the polygons name control points the mesh does not have.
  static bool ReadMesh(const Node& object, FbxMesh& mesh) {
    std::vector<double> realScratch;
    std::span<const double> vertices = RealsOf(ArrayOf(object.Child("Vertices")), realScratch);
    if (vertices.size() % 3 != 0 || vertices.size() / 3 > static_cast<std::size_t>(INT32_MAX)) return false;
    mesh.mControlPoints.reserve(vertices.size() / 3);
    for (std::size_t i = 0; i < vertices.size(); i += 3)
      mesh.mControlPoints.emplace_back(vertices[i], vertices[i + 1], vertices[i + 2]);
    realScratch = {};

    std::vector<std::int64_t> intScratch;
    std::span<const std::int64_t> polygonIndex;
    if (!IntegersOf(ArrayOf(object.Child("PolygonVertexIndex")), intScratch, polygonIndex)) return false;
    if (polygonIndex.size() > static_cast<std::size_t>(INT32_MAX)) return false;
    const std::int64_t controlPoints = static_cast<std::int64_t>(mesh.mControlPoints.size());
    mesh.mPolygonVertices.reserve(polygonIndex.size());
    for (std::int64_t value : polygonIndex) {
      std::int64_t point = value < 0 ? ~value : value;  // a negative value ends its polygon
      if (point >= controlPoints) return false;
      mesh.mPolygonVertices.push_back(static_cast<int>(point));
      if (value < 0) mesh.mPolygonStarts.push_back(static_cast<int>(mesh.mPolygonVertices.size()));
    }
    if (mesh.mPolygonStarts.back() != static_cast<int>(mesh.mPolygonVertices.size()))  // last polygon left open
      mesh.mPolygonStarts.push_back(static_cast<int>(mesh.mPolygonVertices.size()));

    if (const Node* normals = object.Child("LayerElementNormal")) {
      std::vector<double> values;
      std::span<const double> raw = RealsOf(ArrayOf(normals->Child("Normals")), values);
      if (raw.size() % 3 == 0) {
        std::vector<FbxVector4> direct;
        direct.reserve(raw.size() / 3);
        for (std::size_t i = 0; i < raw.size(); i += 3) direct.emplace_back(raw[i], raw[i + 1], raw[i + 2]);
        const Node* index =
            normals->Child("NormalsIndex") ? normals->Child("NormalsIndex") : normals->Child("NormalIndex");
        std::vector<int> corners;
        if (ResolveCorners(*normals, index, direct.size(), mesh, corners)) {
          mesh.mNormalCornerValue = std::move(corners);
          mesh.mNormals = std::move(direct);
          mesh.mHasNormals = true;
        }
      }
    }
    for (const Node& layer : object.children) {
      if (layer.name != "LayerElementUV") continue;
      std::vector<double> values;
      std::span<const double> raw = RealsOf(ArrayOf(layer.Child("UV")), values);
      if (raw.size() % 2 != 0) continue;
      FbxGeometryBase::UVSet set;
      set.name = TextOf(layer.Child("Name"));
      set.values.reserve(raw.size() / 2);
      for (std::size_t i = 0; i < raw.size(); i += 2) set.values.emplace_back(raw[i], raw[i + 1]);
      if (ResolveCorners(layer, layer.Child("UVIndex"), set.values.size(), mesh, set.cornerValue))
        mesh.mUVSets.push_back(std::move(set));
    }
    return true;
  }

  // One value index per polygon vertex from the layer's mapping and reference mode; false
  // for an unknown mode or an index that misses the values.
  static bool ResolveCorners(const Node& layer, const Node* indexNode, std::size_t valueCount, const FbxMesh& mesh,
                             std::vector<int>& cornerValue) {
    enum class Mapping { PolygonVertex, ControlPoint, Polygon, AllSame };
    std::string_view mappingName = TextOf(layer.Child("MappingInformationType"));
    Mapping mapping;
    if (mappingName == "ByPolygonVertex")
      mapping = Mapping::PolygonVertex;
    else if (mappingName == "ByControlPoint" || mappingName == "ByVertice" || mappingName == "ByVertex")
      mapping = Mapping::ControlPoint;
    else if (mappingName == "ByPolygon")
      mapping = Mapping::Polygon;
    else if (mappingName == "AllSame")
      mapping = Mapping::AllSame;
    else
      return false;

    std::string_view reference = TextOf(layer.Child("ReferenceInformationType"));
    bool indexed = reference == "IndexToDirect" || reference == "Index";
    if (!indexed && reference != "Direct" && !reference.empty()) return false;
    std::vector<std::int64_t> scratch;
    std::span<const std::int64_t> indices;
    if (indexed && !IntegersOf(ArrayOf(indexNode), scratch, indices)) return false;

    const std::vector<int>& corners = mesh.mPolygonVertices;
    cornerValue.resize(corners.size());
    std::size_t polygon = 0;
    for (std::size_t k = 0; k < corners.size(); ++k) {
      while (static_cast<std::size_t>(mesh.mPolygonStarts[polygon + 1]) <= k) ++polygon;
      std::size_t key = mapping == Mapping::PolygonVertex  ? k
                        : mapping == Mapping::ControlPoint ? static_cast<std::size_t>(corners[k])
                        : mapping == Mapping::Polygon      ? polygon
                                                           : 0;
      std::int64_t value = static_cast<std::int64_t>(key);
      if (indexed) {
        if (key >= indices.size()) return false;
        value = indices[key];
      }
      if (value < 0 || static_cast<std::uint64_t>(value) >= valueCount) return false;
      cornerValue[k] = static_cast<int>(value);
    }
    return true;
  }
};

void ReadScene(const Node& root, FbxScene& scene) { SceneReader::Read(root, scene); }

}  // namespace fbxfile
