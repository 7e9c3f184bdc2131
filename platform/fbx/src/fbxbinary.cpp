// Binary FBX: a header, then node records, each with its end offset in the file, its
// property count and byte length, its name, the properties and then its children, closed
// by an all-zero record. Offsets and counts are 32-bit before version 7500, 64-bit from it.
#include <zlib.h>

#include <cstring>
#include <type_traits>

#include "fbxtree.h"

namespace fbxfile {

namespace {

constexpr std::uint64_t kFirstRecord = 27;

class BinaryReader {
 public:
  BinaryReader(std::span<const std::uint8_t> data, unsigned version)
      : mData(data), mWide(version >= 7500), mRecordHeader(mWide ? 25 : 13) {}

  bool ReadList(std::uint64_t begin, std::uint64_t end, int depth, std::vector<Node>& nodes);
  const std::string& Error() const { return mError; }

 private:
  bool Fail(std::uint64_t at, const char* what) {
    mError = std::string(what) + " at offset " + std::to_string(at);
    return false;
  }
  template <typename T>
  T Load(std::uint64_t at) const {
    T value;
    std::memcpy(&value, mData.data() + at, sizeof value);
    return value;
  }
  std::uint64_t LoadSize(std::uint64_t at) const { return mWide ? Load<std::uint64_t>(at) : Load<std::uint32_t>(at); }
  bool ReadProperty(std::uint64_t& at, std::uint64_t end, Property& property);
  bool ReadArray(std::uint64_t& at, std::uint64_t end, char type, Property& property);
  bool Inflate(const std::uint8_t* source, std::uint64_t sourceBytes, void* target, std::uint64_t targetBytes);

  std::span<const std::uint8_t> mData;
  bool mWide;
  std::uint64_t mRecordHeader;
  std::string mError;
};

bool BinaryReader::ReadList(std::uint64_t begin, std::uint64_t end, int depth, std::vector<Node>& nodes) {
  if (depth > kMaxDepth) return Fail(begin, "nodes nested too deeply");
  std::uint64_t at = begin;
  while (at < end) {
    if (end - at < mRecordHeader) return Fail(at, "truncated node record");
    std::uint64_t recordEnd = LoadSize(at);
    std::uint64_t propertyCount = LoadSize(at + (mWide ? 8 : 4));
    std::uint64_t propertyBytes = LoadSize(at + (mWide ? 16 : 8));
    std::uint8_t nameBytes = mData[at + mRecordHeader - 1];
    if (recordEnd == 0 && propertyCount == 0 && propertyBytes == 0 && nameBytes == 0) return true;  // end of list
    std::uint64_t nameAt = at + mRecordHeader;
    if (recordEnd < nameAt || recordEnd > end || recordEnd - nameAt < nameBytes ||
        recordEnd - nameAt - nameBytes < propertyBytes)
      return Fail(at, "node record out of range");
    Node& node = nodes.emplace_back();
    node.name.assign(reinterpret_cast<const char*>(mData.data() + nameAt), nameBytes);
    std::uint64_t propertyAt = nameAt + nameBytes;
    std::uint64_t propertyEnd = propertyAt + propertyBytes;
    for (std::uint64_t i = 0; i < propertyCount; ++i) {
      if (propertyAt >= propertyEnd) return Fail(propertyAt, "more properties than their bytes hold");
      if (!ReadProperty(propertyAt, propertyEnd, node.properties.emplace_back())) return false;
    }
    if (propertyAt != propertyEnd) return Fail(propertyAt, "property bytes do not match the properties");
    if (propertyEnd < recordEnd && !ReadList(propertyEnd, recordEnd, depth + 1, node.children)) return false;
    at = recordEnd;
  }
  return true;
}

bool BinaryReader::ReadProperty(std::uint64_t& at, std::uint64_t end, Property& property) {
  char type = static_cast<char>(mData[at]);
  ++at;
  auto scalar = [&](auto tag, Property::Kind kind) {
    using T = decltype(tag);
    if (end - at < sizeof(T)) return Fail(at, "truncated property");
    T value = Load<T>(at);
    at += sizeof(T);
    property.kind = kind;
    if constexpr (std::is_floating_point_v<T>)
      property.real = value;
    else
      property.integer = value;
    return true;
  };
  switch (type) {
    case 'C':
      return scalar(std::uint8_t{}, Property::Kind::Integer);
    case 'Y':
      return scalar(std::int16_t{}, Property::Kind::Integer);
    case 'I':
      return scalar(std::int32_t{}, Property::Kind::Integer);
    case 'L':
      return scalar(std::int64_t{}, Property::Kind::Integer);
    case 'F':
      return scalar(float{}, Property::Kind::Real);
    case 'D':
      return scalar(double{}, Property::Kind::Real);
    case 'S':
    case 'R': {
      if (end - at < 4) return Fail(at, "truncated string");
      std::uint32_t bytes = Load<std::uint32_t>(at);
      at += 4;
      if (end - at < bytes) return Fail(at, "string runs past its node");
      property.kind = Property::Kind::Text;
      property.text.assign(reinterpret_cast<const char*>(mData.data() + at), bytes);
      at += bytes;
      return true;
    }
    case 'b':
    case 'i':
    case 'l':
    case 'f':
    case 'd':
      return ReadArray(at, end, type, property);
    default:
      return Fail(at - 1, "unknown property type");
  }
}

bool BinaryReader::Inflate(const std::uint8_t* source, std::uint64_t sourceBytes, void* target,
                           std::uint64_t targetBytes) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(source);
  stream.avail_in = static_cast<uInt>(sourceBytes);
  Bytef spare;  // an empty array still needs room for inflate to find the stream's end
  stream.next_out = targetBytes ? static_cast<Bytef*>(target) : &spare;
  stream.avail_out = targetBytes ? static_cast<uInt>(targetBytes) : 1;
  int result = inflate(&stream, Z_FINISH);
  bool whole = result == Z_STREAM_END && stream.total_out == targetBytes;
  inflateEnd(&stream);
  return whole;
}

bool BinaryReader::ReadArray(std::uint64_t& at, std::uint64_t end, char type, Property& property) {
  if (end - at < 12) return Fail(at, "truncated array header");
  std::uint64_t length = Load<std::uint32_t>(at);
  std::uint32_t encoding = Load<std::uint32_t>(at + 4);
  std::uint64_t storedBytes = Load<std::uint32_t>(at + 8);
  at += 12;
  if (end - at < storedBytes) return Fail(at, "array runs past its node");
  std::uint64_t elementBytes = (type == 'b') ? 1 : (type == 'i' || type == 'f') ? 4 : 8;
  std::uint64_t bytes = length * elementBytes;  // at most 2^35: no overflow
  if (encoding == 0) {
    if (bytes != storedBytes) return Fail(at, "array length does not match its bytes");
  } else if (encoding == 1) {
    if (bytes > storedBytes * kMaxInflateRatio || bytes > UINT32_MAX)
      return Fail(at, "compressed array claims more than it can hold");
  } else {
    return Fail(at, "unknown array encoding");
  }
  const std::uint8_t* stored = mData.data() + at;
  // Every element ends up 8 bytes wide. Narrower elements are decoded into the front of
  // the final storage and widened in place from the back, so no second buffer is needed.
  auto decode = [&](void* target) {
    if (encoding == 0) {
      if (bytes) std::memcpy(target, stored, bytes);
      return true;
    }
    return Inflate(stored, storedBytes, target, bytes);
  };
  auto widen = [length](auto* storage, auto narrow) {
    using Narrow = decltype(narrow);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(storage);
    for (std::uint64_t i = length; i-- > 0;) {
      Narrow value;
      std::memcpy(&value, bytes + i * sizeof(Narrow), sizeof(Narrow));
      storage[i] = value;
    }
  };
  bool ok;
  if (type == 'd' || type == 'f') {
    property.kind = Property::Kind::RealArray;
    property.reals.resize(length);
    ok = decode(property.reals.data());
    if (ok && type == 'f') widen(property.reals.data(), float{});
  } else {
    property.kind = Property::Kind::IntegerArray;
    property.integers.resize(length);
    ok = decode(property.integers.data());
    if (ok && type == 'i') widen(property.integers.data(), std::int32_t{});
    if (ok && type == 'b') widen(property.integers.data(), std::uint8_t{});
  }
  if (!ok) return Fail(at, "array does not decompress to its length");
  at += storedBytes;
  return true;
}

}  // namespace

bool ReadBinary(std::span<const std::uint8_t> data, Node& root, std::string& error) {
  root = Node{};
  Header header;
  if (ReadHeader(data, header) != HeaderCheck::Ok || header.format != Format::Binary) {
    error = "not a binary FBX file of a supported version";
    return false;
  }
  BinaryReader reader(data, header.version);
  if (!reader.ReadList(kFirstRecord, data.size(), 0, root.children)) {
    root.children.clear();
    error = reader.Error();
    return false;
  }
  return true;
}

}  // namespace fbxfile
