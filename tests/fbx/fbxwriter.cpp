#include "fbxwriter.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace fbxtest {

Value Int(std::int64_t v) {
  Value value;
  value.integer = v;
  return value;
}
Value Long(std::int64_t v) {
  Value value = Int(v);
  value.type = 'L';
  return value;
}
Value Real(double v) {
  Value value;
  value.type = 'D';
  value.real = v;
  return value;
}
Value Text(std::string v) {
  Value value;
  value.type = 'S';
  value.text = std::move(v);
  return value;
}
Value Reals(std::vector<double> v, char type) {
  Value value;
  value.type = type;
  value.reals = std::move(v);
  return value;
}
Value Ints(std::vector<std::int64_t> v, char type) {
  Value value;
  value.type = type;
  value.integers = std::move(v);
  return value;
}

const std::vector<Encoding> kEncodings = {
    {"binary 6100", false, 6100, false},
    {"binary 7100 compressed", false, 7100, true},
    {"binary 7400", false, 7400, false},
    {"binary 7400 compressed", false, 7400, true},
    {"binary 7500", false, 7500, false},
    {"binary 7500 compressed", false, 7500, true},
    {"binary 7700 compressed", false, 7700, true},
    {"ascii 7400", true, 7400, false},
    {"ascii 7700", true, 7700, false},
};

namespace {

class BinaryWriter {
 public:
  BinaryWriter(unsigned version, bool compress) : mWide(version >= 7500), mCompress(compress) {
    const char magic[] = "Kaydara FBX Binary  ";
    mOut.assign(magic, magic + sizeof magic);
    mOut.push_back(0x1A);
    mOut.push_back(0x00);
    Put<std::uint32_t>(version);
  }
  void Nodes(const std::vector<Node>& nodes) {
    for (const Node& node : nodes) Record(node);
    Null();
  }
  std::vector<std::uint8_t> Finish() {
    mOut.insert(mOut.end(), 16, 0);  // footer
    return std::move(mOut);
  }

 private:
  template <typename T>
  void Put(T v) {
    std::uint8_t bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    mOut.insert(mOut.end(), bytes, bytes + sizeof v);
  }
  void PutSize(std::uint64_t v) {
    if (mWide)
      Put<std::uint64_t>(v);
    else
      Put<std::uint32_t>(static_cast<std::uint32_t>(v));
  }
  void SetSize(std::size_t at, std::uint64_t v) {
    if (mWide)
      std::memcpy(&mOut[at], &v, 8);
    else {
      std::uint32_t narrow = static_cast<std::uint32_t>(v);
      std::memcpy(&mOut[at], &narrow, 4);
    }
  }
  void Null() { mOut.insert(mOut.end(), mWide ? 25 : 13, 0); }
  void Record(const Node& node) {
    std::size_t start = mOut.size();
    PutSize(0);
    PutSize(node.values.size());
    PutSize(0);
    mOut.push_back(static_cast<std::uint8_t>(node.name.size()));
    mOut.insert(mOut.end(), node.name.begin(), node.name.end());
    std::size_t valuesStart = mOut.size();
    for (const Value& v : node.values) Property(v);
    SetSize(start + (mWide ? 16 : 8), mOut.size() - valuesStart);
    if (!node.children.empty()) Nodes(node.children);
    SetSize(start, mOut.size());
  }
  void Property(const Value& v) {
    mOut.push_back(static_cast<std::uint8_t>(v.type));
    switch (v.type) {
      case 'I':
        return Put<std::int32_t>(static_cast<std::int32_t>(v.integer));
      case 'L':
        return Put<std::int64_t>(v.integer);
      case 'D':
        return Put<double>(v.real);
      case 'S':
        Put<std::uint32_t>(static_cast<std::uint32_t>(v.text.size()));
        mOut.insert(mOut.end(), v.text.begin(), v.text.end());
        return;
    }
    std::vector<std::uint8_t> raw;
    auto add = [&raw](auto x) {
      std::uint8_t bytes[sizeof x];
      std::memcpy(bytes, &x, sizeof x);
      raw.insert(raw.end(), bytes, bytes + sizeof x);
    };
    std::size_t length = v.type == 'd' || v.type == 'f' ? v.reals.size() : v.integers.size();
    for (double x : v.reals) v.type == 'f' ? add(static_cast<float>(x)) : add(x);
    for (std::int64_t x : v.integers) {
      if (v.type == 'i')
        add(static_cast<std::int32_t>(x));
      else if (v.type == 'l')
        add(x);
      else
        add(static_cast<std::uint8_t>(x));
    }
    std::vector<std::uint8_t> stored = raw;
    if (mCompress) {
      uLongf size = compressBound(raw.size());
      stored.resize(size);
      compress2(stored.data(), &size, raw.data(), raw.size(), Z_DEFAULT_COMPRESSION);
      stored.resize(size);
    }
    if (v.storedBytes) stored = *v.storedBytes;
    Put<std::uint32_t>(v.declaredLength ? *v.declaredLength : static_cast<std::uint32_t>(length));
    Put<std::uint32_t>(mCompress ? 1 : 0);
    Put<std::uint32_t>(static_cast<std::uint32_t>(stored.size()));
    mOut.insert(mOut.end(), stored.begin(), stored.end());
  }

  bool mWide;
  bool mCompress;
  std::vector<std::uint8_t> mOut;
};

std::string AsciiNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// Binary object names are "Name\0\1Class"; ASCII files write them "Class::Name".
std::string AsciiText(const std::string& text) {
  std::size_t cut = text.find(std::string("\0\1", 2));
  if (cut == std::string::npos) return text;
  return text.substr(cut + 2) + "::" + text.substr(0, cut);
}

void AsciiNodes(const std::vector<Node>& nodes, int depth, std::string& out) {
  const std::string indent(static_cast<std::size_t>(depth), '\t');
  for (const Node& node : nodes) {
    out += indent + node.name + ": ";
    for (std::size_t i = 0; i < node.values.size(); ++i) {
      const Value& v = node.values[i];
      if (i) out += ", ";
      if (v.type == 'I' || v.type == 'L') {
        out += std::to_string(v.integer);
      } else if (v.type == 'D') {
        out += AsciiNumber(v.real);
      } else if (v.type == 'S') {
        out += "\"" + AsciiText(v.text) + "\"";
      } else {
        std::vector<std::string> items;
        for (double x : v.reals) items.push_back(AsciiNumber(x));
        for (std::int64_t x : v.integers) items.push_back(std::to_string(x));
        out += "*" + std::to_string(items.size()) + " {\n" + indent + "\ta: ";
        for (std::size_t k = 0; k < items.size(); ++k) {
          if (k) out += (k % 8 == 0) ? ",\n" + indent + "\t" : ",";  // long arrays run over lines
          out += items[k];
        }
        out += "\n" + indent + "} ";
      }
    }
    if (!node.children.empty()) {
      out += " {\n";
      AsciiNodes(node.children, depth + 1, out);
      out += indent + "}";
    }
    out += "\n";
  }
}

Node LayerNode(const char* name, const char* valuesName, const char* indexName, const Layer& layer) {
  Node node{name, {Int(0)}, {}};
  node.children.push_back({"Version", {Int(101)}, {}});
  node.children.push_back({"Name", {Text(layer.name)}, {}});
  node.children.push_back({"MappingInformationType", {Text(layer.mapping)}, {}});
  node.children.push_back({"ReferenceInformationType", {Text(layer.reference)}, {}});
  node.children.push_back({valuesName, {Reals(layer.values)}, {}});
  if (!layer.index.empty()) node.children.push_back({indexName, {Ints(layer.index)}, {}});
  return node;
}

}  // namespace

std::vector<std::uint8_t> Write(const std::vector<Node>& top, const Encoding& encoding) {
  if (encoding.ascii) {
    char first[64];
    std::snprintf(first, sizeof first, "; FBX %u.%u.%u project file\n", encoding.version / 1000,
                  encoding.version / 100 % 10, encoding.version / 10 % 10);
    std::string out = std::string(first) + "; written for a test\n\n";
    AsciiNodes(top, 0, out);
    return {out.begin(), out.end()};
  }
  BinaryWriter writer(encoding.version, encoding.compress);
  writer.Nodes(top);
  return writer.Finish();
}

std::vector<Node> SceneDocument(const std::vector<Geometry>& geometries, unsigned version) {
  Node header{"FBXHeaderExtension", {}, {{"FBXHeaderVersion", {Int(1003)}, {}}, {"FBXVersion", {Int(version)}, {}}}};
  Node objects{"Objects", {}, {}};
  std::int64_t id = 1000;
  for (const Geometry& g : geometries) {
    Node object;
    std::string name = "Shape" + std::to_string(id);
    if (version < 7000) {
      object = {"Model", {Text(name + std::string("\0\1", 2) + "Model"), Text(g.className)}, {}};
    } else {
      object = {"Geometry", {Long(id), Text(name + std::string("\0\1", 2) + "Geometry"), Text(g.className)}, {}};
    }
    ++id;
    object.children.push_back({"Vertices", {Reals(g.vertices)}, {}});
    object.children.push_back({"PolygonVertexIndex", {Ints(g.polygonVertexIndex)}, {}});
    if (g.normals) object.children.push_back(LayerNode("LayerElementNormal", "Normals", "NormalsIndex", *g.normals));
    for (const Layer& uv : g.uvs) object.children.push_back(LayerNode("LayerElementUV", "UV", "UVIndex", uv));
    objects.children.push_back(std::move(object));
  }
  // An object that is not geometry, as every real file has.
  objects.children.push_back({"Model", {Long(1), Text(std::string("Root\0\1Model", 11)), Text("Null")}, {}});
  return {header, objects};
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  // A fresh file rather than a truncated one: truncating a file just written makes some
  // file systems flush it to disk first, which is slow when done thousands of times.
  std::remove(path.c_str());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Geometry Cube() {
  Geometry cube;
  cube.vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
  cube.polygonVertexIndex = {0, 3, 2, ~1, 4, 5, 6, ~7, 0, 1, 5, ~4, 1, 2, 6, ~5, 2, 3, 7, ~6, 3, 0, 4, ~7};
  const double faceNormals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
  Layer normals{"ByPolygonVertex", "Direct", {}, {}, ""};
  for (const auto& n : faceNormals)
    for (int corner = 0; corner < 4; ++corner) normals.values.insert(normals.values.end(), n, n + 3);
  cube.normals = normals;
  Layer uv{"ByPolygonVertex", "IndexToDirect", {0, 0, 1, 0, 1, 1, 0, 1}, {}, "map1"};
  for (int face = 0; face < 6; ++face) uv.index.insert(uv.index.end(), {0, 1, 2, 3});
  cube.uvs = {uv};
  return cube;
}

}  // namespace fbxtest
