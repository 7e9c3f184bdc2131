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

Property* ArrayOf(Node* node) {
  if (!node || node->properties.empty()) return nullptr;
  Property& p = node->properties[0];
  return p.kind == Property::Kind::RealArray || p.kind == Property::Kind::IntegerArray ? &p : nullptr;
}

// Takes the array's values out of the tree as reals; integer arrays (ASCII files write
// whole numbers without a point) are converted.
std::vector<double> TakeReals(Property* array) {
  if (!array) return {};
  if (array->kind == Property::Kind::RealArray) return std::move(array->reals);
  std::vector<double> reals(array->integers.begin(), array->integers.end());
  array->integers = {};
  return reals;
}

// Takes the array's values out of the tree as integers; false when one is not a whole number.
bool TakeIntegers(Property* array, std::vector<std::int64_t>& out) {
  out.clear();
  if (!array) return true;
  if (array->kind == Property::Kind::IntegerArray) {
    out = std::move(array->integers);
    return true;
  }
  for (double value : array->reals) {
    if (!(value >= -9.0e18 && value <= 9.0e18) || static_cast<double>(static_cast<std::int64_t>(value)) != value)
      return false;
    out.push_back(static_cast<std::int64_t>(value));
  }
  array->reals = {};
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
  static void Read(Node& root, FbxScene& scene) {
    Node* objects = root.Child("Objects");
    if (!objects) return;
    for (Node& object : objects->children) {
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
  static bool ReadMesh(Node& object, FbxMesh& mesh) {
    {
      const std::vector<double> vertices = TakeReals(ArrayOf(object.Child("Vertices")));
      if (vertices.size() % 3 != 0 || vertices.size() / 3 > static_cast<std::size_t>(INT32_MAX)) return false;
      mesh.mControlPoints.reserve(vertices.size() / 3);
      for (std::size_t i = 0; i < vertices.size(); i += 3)
        mesh.mControlPoints.emplace_back(vertices[i], vertices[i + 1], vertices[i + 2]);
    }
    {
      std::vector<std::int64_t> polygonIndex;
      if (!TakeIntegers(ArrayOf(object.Child("PolygonVertexIndex")), polygonIndex)) return false;
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
    }

    if (Node* normals = object.Child("LayerElementNormal")) {
      std::vector<double> values = TakeReals(ArrayOf(normals->Child("Normals")));
      Node* index = normals->Child("NormalsIndex") ? normals->Child("NormalsIndex") : normals->Child("NormalIndex");
      std::vector<int> corners;
      if (values.size() % 3 == 0 && ResolveCorners(*normals, index, values.size() / 3, mesh, corners)) {
        mesh.mNormals = std::move(values);
        mesh.mNormalCornerValue = std::move(corners);
        mesh.mHasNormals = true;
      }
    }
    for (Node& layer : object.children) {
      if (layer.name != "LayerElementUV") continue;
      FbxGeometryBase::UVSet set;
      set.name = TextOf(layer.Child("Name"));
      set.values = TakeReals(ArrayOf(layer.Child("UV")));
      if (set.values.size() % 2 == 0 &&
          ResolveCorners(layer, layer.Child("UVIndex"), set.values.size() / 2, mesh, set.cornerValue))
        mesh.mUVSets.push_back(std::move(set));
    }
    return true;
  }

  // Which value each polygon vertex takes, from the layer's mapping and reference mode:
  // left empty where corner k takes value k. False for an unknown mode or an index that
  // misses the values.
  static bool ResolveCorners(const Node& layer, Node* indexNode, std::size_t valueCount, const FbxMesh& mesh,
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
    const std::vector<int>& corners = mesh.mPolygonVertices;
    cornerValue.clear();
    if (mapping == Mapping::PolygonVertex && !indexed) return valueCount >= corners.size();
    std::vector<std::int64_t> indices;
    if (indexed && !TakeIntegers(ArrayOf(indexNode), indices)) return false;

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

void ReadScene(Node& root, FbxScene& scene) { SceneReader::Read(root, scene); }

}  // namespace fbxfile
