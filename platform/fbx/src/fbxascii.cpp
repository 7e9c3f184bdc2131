// ASCII FBX: "Name: value, value {" nodes, "}" closing children, ";" comments to the end
// of the line, and arrays written as "*count { a: v, v, ... }", which become array
// properties of their node just as binary arrays are.
#include <charconv>

#include "fbxtree.h"

namespace fbxfile {

namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '|';
}

bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

class AsciiReader {
 public:
  explicit AsciiReader(std::string_view text) : mText(text) {}

  bool ReadNodes(int depth, std::vector<Node>& nodes, bool closed);
  const std::string& Error() const { return mError; }

 private:
  bool Fail(const char* what) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < mAt && i < mText.size(); ++i) line += mText[i] == '\n';
    mError = std::string(what) + " on line " + std::to_string(line);
    return false;
  }
  bool AtEnd() const { return mAt >= mText.size(); }
  char Peek() const { return AtEnd() ? '\0' : mText[mAt]; }
  // Skips blanks and comments; across line ends only when asked.
  void SkipSpace(bool lineEnds);
  bool ReadNode(int depth, Node& node);
  bool ReadValue(Property& property);
  bool ReadArray(Property& property);
  // A number as an integer where it has no fraction or exponent.
  bool ReadNumber(std::int64_t& integer, double& real, bool& isInteger);

  std::string_view mText;
  std::size_t mAt = 0;
  std::string mError;
};

void AsciiReader::SkipSpace(bool lineEnds) {
  while (!AtEnd()) {
    char c = mText[mAt];
    if (c == ' ' || c == '\t' || c == '\r' || (c == '\n' && lineEnds)) {
      ++mAt;
    } else if (c == ';') {
      while (!AtEnd() && mText[mAt] != '\n') ++mAt;
    } else {
      return;
    }
  }
}

bool AsciiReader::ReadNodes(int depth, std::vector<Node>& nodes, bool closed) {
  for (;;) {
    SkipSpace(true);
    if (AtEnd()) return closed ? Fail("missing }") : true;
    if (Peek() == '}') {
      if (!closed) return Fail("unexpected }");
      ++mAt;
      return true;
    }
    if (!ReadNode(depth, nodes.emplace_back())) return false;
  }
}

bool AsciiReader::ReadNode(int depth, Node& node) {
  if (depth > kMaxDepth) return Fail("nodes nested too deeply");
  std::size_t start = mAt;
  while (!AtEnd() && IsNameChar(mText[mAt])) ++mAt;
  if (mAt == start || Peek() != ':') return Fail("expected a node name and ':'");
  node.name.assign(mText.substr(start, mAt - start));
  ++mAt;
  SkipSpace(false);
  for (;;) {
    char c = Peek();
    if (c == '\0' || c == '\n' || c == '}') return true;
    if (c == '{') {
      ++mAt;
      return ReadNodes(depth + 1, node.children, true);
    }
    if (!ReadValue(node.properties.emplace_back())) return false;
    SkipSpace(false);
    if (Peek() == ',') {
      ++mAt;
      SkipSpace(true);
    } else if (Peek() != '{' && Peek() != '\n' && Peek() != '}' && !AtEnd()) {
      return Fail("unexpected character after a value");
    }
  }
}

bool AsciiReader::ReadNumber(std::int64_t& integer, double& real, bool& isInteger) {
  std::size_t start = mAt;
  while (!AtEnd() && IsNumberChar(mText[mAt])) ++mAt;
  std::string_view token = mText.substr(start, mAt - start);
  if (token.starts_with('+')) token.remove_prefix(1);
  isInteger = token.find_first_of(".eE") == std::string_view::npos;
  const char* end = token.data() + token.size();
  auto result = isInteger ? std::from_chars(token.data(), end, integer) : std::from_chars(token.data(), end, real);
  if (token.empty() || result.ec != std::errc() || result.ptr != end) return Fail("malformed number");
  if (isInteger) real = static_cast<double>(integer);
  return true;
}

bool AsciiReader::ReadValue(Property& property) {
  char c = Peek();
  if (c == '"') {
    std::size_t close = mText.find('"', mAt + 1);
    if (close == std::string_view::npos) return Fail("unterminated string");
    property.kind = Property::Kind::Text;
    property.text.assign(mText.substr(mAt + 1, close - mAt - 1));
    mAt = close + 1;
    return true;
  }
  if (c == '*') return ReadArray(property);
  if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
    bool isInteger;
    if (!ReadNumber(property.integer, property.real, isInteger)) return false;
    property.kind = isInteger ? Property::Kind::Integer : Property::Kind::Real;
    return true;
  }
  if (IsNameChar(c)) {  // a bare word such as T or Y
    std::size_t start = mAt;
    while (!AtEnd() && IsNameChar(mText[mAt])) ++mAt;
    property.kind = Property::Kind::Text;
    property.text.assign(mText.substr(start, mAt - start));
    return true;
  }
  return Fail("unexpected character where a value belongs");
}

bool AsciiReader::ReadArray(Property& property) {
  ++mAt;  // '*'
  std::size_t start = mAt;
  while (!AtEnd() && mText[mAt] >= '0' && mText[mAt] <= '9') ++mAt;
  std::uint64_t count = 0;
  auto counted = std::from_chars(mText.data() + start, mText.data() + mAt, count);
  if (mAt == start || counted.ec != std::errc()) return Fail("malformed array count");
  SkipSpace(true);
  if (Peek() != '{') return Fail("expected { after an array count");
  ++mAt;
  SkipSpace(true);
  if (!mText.substr(mAt).starts_with("a:")) return Fail("expected a: in an array");
  mAt += 2;
  property.kind = Property::Kind::IntegerArray;
  SkipSpace(false);
  if (Peek() != '}' && Peek() != '\n') {
    for (;;) {
      std::int64_t integer;
      double real;
      bool isInteger;
      if (!ReadNumber(integer, real, isInteger)) return false;
      if (!isInteger && property.kind == Property::Kind::IntegerArray) {
        property.kind = Property::Kind::RealArray;
        property.reals.assign(property.integers.begin(), property.integers.end());
        property.integers = {};
      }
      if (property.kind == Property::Kind::IntegerArray)
        property.integers.push_back(integer);
      else
        property.reals.push_back(real);
      SkipSpace(false);
      if (Peek() != ',') break;
      ++mAt;
      SkipSpace(true);
    }
  }
  SkipSpace(true);
  if (Peek() != '}') return Fail("expected } closing an array");
  ++mAt;
  std::size_t held = property.kind == Property::Kind::IntegerArray ? property.integers.size() : property.reals.size();
  if (held != count) return Fail("array count does not match its values");
  return true;
}

}  // namespace

bool ReadAscii(std::span<const std::uint8_t> data, Node& root, std::string& error) {
  root = Node{};
  Header header;
  if (ReadHeader(data, header) != HeaderCheck::Ok || header.format != Format::Ascii) {
    error = "not an ASCII FBX file of a supported version";
    return false;
  }
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  AsciiReader reader(text);
  if (!reader.ReadNodes(0, root.children, false)) {
    root.children.clear();
    error = reader.Error();
    return false;
  }
  return true;
}

}  // namespace fbxfile
