// The FBX node tree and its two readers. Binary and ASCII files are parsed into the same
// tree (name, values, arrays, children); everything after the parse sees only the tree.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class FbxScene;

namespace fbxfile {

// Deepest node nesting accepted; real files nest a handful of levels.
constexpr int kMaxDepth = 64;
// Deflate cannot expand data by more than this factor, so a compressed array may not
// claim more bytes than this times its stored size.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// Oldest and newest file versions read.
constexpr unsigned kMinVersion = 6100;
constexpr unsigned kMaxVersion = 7700;
constexpr unsigned kMinAsciiVersion = 7000;

struct Property {
  enum class Kind : std::uint8_t { Integer, Real, Text, IntegerArray, RealArray };
  Kind kind = Kind::Integer;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;  // strings and raw bytes
  std::vector<std::int64_t> integers;
  std::vector<double> reals;
};

struct Node {
  std::string name;
  std::vector<Property> properties;
  std::vector<Node> children;

  // The first child of that name, or null.
  const Node* Child(std::string_view childName) const;
  Node* Child(std::string_view childName) {
    return const_cast<Node*>(static_cast<const Node*>(this)->Child(childName));
  }
};

enum class Format { Binary, Ascii };

enum class HeaderCheck { Ok, NotFbx, UnsupportedVersion };

struct Header {
  Format format = Format::Binary;
  unsigned version = 0;  // 7400 for 7.4
};

// Recognises a file by its opening bytes: the binary magic and version, or the ASCII
// "; FBX 7.4.0 project file" first line.
HeaderCheck ReadHeader(std::span<const std::uint8_t> data, Header& header);

// Parse a whole file into root's children. On failure the tree is left empty and error
// says what was wrong and where.
bool ReadBinary(std::span<const std::uint8_t> data, Node& root, std::string& error);
bool ReadAscii(std::span<const std::uint8_t> data, Node& root, std::string& error);

// Builds the scene's geometries from the tree's Objects, moving their arrays out of the
// tree rather than copying them.
void ReadScene(Node& root, FbxScene& scene);

}  // namespace fbxfile
