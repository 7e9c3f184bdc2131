#include "fbxtree.h"

#include <cstring>

namespace fbxfile {

namespace {

constexpr char kBinaryMagic[] = "Kaydara FBX Binary  ";  // with its zero, 21 bytes
constexpr std::size_t kBinaryHeaderBytes = 27;           // magic, 0x1A 0x00, version

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

const Node* Node::Child(std::string_view childName) const {
  for (const Node& child : children) {
    if (child.name == childName) return &child;
  }
  return nullptr;
}

HeaderCheck ReadHeader(std::span<const std::uint8_t> data, Header& header) {
  if (data.size() >= kBinaryHeaderBytes && std::memcmp(data.data(), kBinaryMagic, sizeof kBinaryMagic) == 0) {
    std::uint32_t version;
    std::memcpy(&version, data.data() + 23, sizeof version);
    header = {Format::Binary, version};
    return version >= kMinVersion && version <= kMaxVersion ? HeaderCheck::Ok : HeaderCheck::UnsupportedVersion;
  }
  // ASCII: "; FBX 7.4.0 project file" on the first line, after an optional byte-order mark.
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
    text.remove_prefix(1);
  constexpr std::string_view kLead = "; FBX ";
  if (!text.starts_with(kLead)) return HeaderCheck::NotFbx;
  text.remove_prefix(kLead.size());
  // major.minor.revision, one digit each
  if (text.size() < 5 || !IsDigit(text[0]) || text[1] != '.' || !IsDigit(text[2]) || text[3] != '.' ||
      !IsDigit(text[4]))
    return HeaderCheck::NotFbx;
  unsigned version = (text[0] - '0') * 1000u + (text[2] - '0') * 100u + (text[4] - '0') * 10u;
  if (!text.substr(5).starts_with(" project file")) return HeaderCheck::NotFbx;
  header = {Format::Ascii, version};
  return version >= kMinAsciiVersion && version <= kMaxVersion ? HeaderCheck::Ok : HeaderCheck::UnsupportedVersion;
}

}  // namespace fbxfile
