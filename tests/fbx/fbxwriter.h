// A small FBX writer for building test files: a node tree written as binary FBX (any
// version, arrays raw or compressed) or as ASCII FBX 7.x, and a scene document of meshes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fbxtest {

struct Value {
  char type = 'I';  // the binary type code: I L D S, or the arrays d f i l b
  std::int64_t integer = 0;
  double real = 0;
  std::string text;
  std::vector<double> reals;
  std::vector<std::int64_t> integers;
  // Damage for binary arrays: a different declared length, different stored bytes.
  std::optional<std::uint32_t> declaredLength;
  std::optional<std::vector<std::uint8_t>> storedBytes;
};

Value Int(std::int64_t v);   // 'I'
Value Long(std::int64_t v);  // 'L'
Value Real(double v);        // 'D'
Value Text(std::string v);   // 'S'
Value Reals(std::vector<double> v, char type = 'd');
Value Ints(std::vector<std::int64_t> v, char type = 'i');

struct Node {
  std::string name;
  std::vector<Value> values;
  std::vector<Node> children;
};

struct Encoding {
  const char* label;
  bool ascii;
  unsigned version;  // 7400 for 7.4
  bool compress;     // binary arrays deflate-compressed
};

// The encodings the reader supports, each once.
extern const std::vector<Encoding> kEncodings;

std::vector<std::uint8_t> Write(const std::vector<Node>& top, const Encoding& encoding);

struct Layer {
  std::string mapping;    // "ByPolygonVertex", "ByControlPoint", ...
  std::string reference;  // "Direct" or "IndexToDirect"
  std::vector<double> values;
  std::vector<std::int64_t> index;
  std::string name;  // UV set name
};

struct Geometry {
  std::string className = "Mesh";
  std::vector<double> vertices;                  // x, y, z per control point
  std::vector<std::int64_t> polygonVertexIndex;  // the last index of a polygon stored as ~index
  std::optional<Layer> normals;
  std::vector<Layer> uvs;
};

// A document with a header and one object per geometry (FBX 6 style Model objects
// before 7000, Geometry objects from it).
std::vector<Node> SceneDocument(const std::vector<Geometry>& geometries, unsigned version);

// The unit cube: six quads, each face with its own normal (by polygon vertex), and
// UVs by index in the set "map1".
Geometry Cube();

// Writes bytes to a file; true on success.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace fbxtest
