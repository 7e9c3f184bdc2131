// The resource compiler: scripts, icons and the generated tables.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "resource_script.h"

namespace {

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// An .ico file with one uncompressed image; pixel (x, y) has colour 0xRRGGBB of
// x * 16 + y, fully opaque except pixel (0, 0), which is transparent.
std::string MakeIcon(int size, int bits) {
  std::string image;
  Put32(image, 40);
  Put32(image, size);
  Put32(image, size * 2);
  Put16(image, 1);
  Put16(image, bits);
  for (int i = 0; i < 6; ++i) Put32(image, 0);
  size_t colourStride = ((size * bits + 31) / 32) * 4;
  size_t maskStride = ((size + 31) / 32) * 4;
  for (int row = size - 1; row >= 0; --row) {  // bottom row first
    std::string line;
    for (int x = 0; x < size; ++x) {
      uint32_t colour = static_cast<uint32_t>(x * 16 + row);
      line += static_cast<char>(colour & 0xFF);
      line += static_cast<char>((colour >> 8) & 0xFF);
      line += static_cast<char>((colour >> 16) & 0xFF);
      if (bits == 32) line += static_cast<char>(x == 0 && row == 0 ? 0 : 0xFF);
    }
    line.resize(colourStride, '\0');
    image += line;
  }
  for (int row = size - 1; row >= 0; --row) {
    std::string mask(maskStride, '\0');
    if (row == 0) mask[0] = static_cast<char>(0x80);
    image += mask;
  }
  std::string file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, 1);
  file += static_cast<char>(size);
  file += static_cast<char>(size);
  file += std::string(2, '\0');
  Put16(file, 1);
  Put16(file, bits);
  Put32(file, static_cast<uint32_t>(image.size()));
  Put32(file, 22);
  return file + image;
}

TEST(Icon, DecodesTopRowFirstWithTransparency) {
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    zr::rc::Icon icon;
    std::string error;
    ASSERT_TRUE(zr::rc::DecodeIcon(MakeIcon(5, bits), icon, error)) << error;
    EXPECT_EQ(icon.width, 5);
    EXPECT_EQ(icon.height, 5);
    ASSERT_EQ(icon.pixels.size(), 25u);
    EXPECT_EQ(icon.pixels[0], 0x00000000u);
    EXPECT_EQ(icon.pixels[1 * 5 + 3], 0xFF000000u | (3 * 16 + 1));
    EXPECT_EQ(icon.pixels[4 * 5 + 4], 0xFF000000u | (4 * 16 + 4));
  }
}

TEST(Icon, EveryTruncationAndBadHeaderFailsCleanly) {
  std::string good = MakeIcon(4, 24);
  for (size_t length = 0; length < good.size(); ++length) {
    zr::rc::Icon icon;
    std::string error;
    EXPECT_FALSE(zr::rc::DecodeIcon(good.substr(0, length), icon, error)) << length;
    EXPECT_FALSE(error.empty());
  }
  struct Case {
    size_t offset;
    uint32_t value;
    int width;  // 2 or 4 bytes
  } damage[] = {
      {2, 2, 2},             // a cursor file, not an icon
      {4, 0, 2},             // no images
      {18, 0xFFFFFFF0u, 4},  // image offset past the end
      {14, 0xFFFFFFF0u, 4},  // image size past the end
      {22 + 4, 1000, 4},     // too wide
      {22 + 8, 7, 4},        // odd doubled height
      {22 + 14, 8, 2},       // 8 bits per pixel
      {22 + 16, 1, 4},       // compressed
  };
  for (const Case& d : damage) {
    std::string bad = good;
    for (int i = 0; i < d.width; ++i) bad[d.offset + i] = static_cast<char>((d.value >> (8 * i)) & 0xFF);
    zr::rc::Icon icon;
    std::string error;
    EXPECT_FALSE(zr::rc::DecodeIcon(bad, icon, error)) << "offset " << d.offset;
  }
}

struct Files {
  std::map<std::string, std::string> contents;
  zr::rc::FileReader Reader() const {
    return [this](const std::string& name, std::string& out) {
      auto it = contents.find(name);
      if (it == contents.end()) return false;
      out = it->second;
      return true;
    };
  }
};

TEST(Script, StringTablesIconsAndDefinedIds) {
  Files files;
  files.contents["resource.h"] = "#pragma once\n#define IDS_TITLE 103 // the title\n#define IDI_BIG 0x6B\n";
  files.contents["big.ico"] = MakeIcon(2, 32);
  const char* script =
      "// comment\n#include \"resource.h\"\n/* a\nblock */\nLANGUAGE 9, 1\n"
      "IDI_BIG ICON \"big.ico\"\n"
      "STRINGTABLE\nBEGIN\n  IDS_TITLE \"Ovrin\"\n  109, L\"OV\"\"RIN\\\\\"\n  110 \"caf\xc3\xa9\\n\"\nEND\n";
  zr::rc::Resources resources;
  std::string error;
  ASSERT_TRUE(zr::rc::ParseResourceScript(script, files.Reader(), resources, error)) << error;
  ASSERT_EQ(resources.strings.size(), 3u);
  EXPECT_EQ(resources.strings[0], (std::pair<unsigned, std::wstring>{103, L"Ovrin"}));
  EXPECT_EQ(resources.strings[1], (std::pair<unsigned, std::wstring>{109, L"OV\"RIN\\"}));
  EXPECT_EQ(resources.strings[2], (std::pair<unsigned, std::wstring>{110, L"caf\u00e9\n"}));
  ASSERT_EQ(resources.icons.size(), 1u);
  EXPECT_EQ(resources.icons[0].id, 107u);
  EXPECT_EQ(resources.icons[0].width, 2);

  std::string source = zr::rc::GenerateSource(resources, "test.rc");
  EXPECT_NE(source.find("{109, L\"OV\\\"RIN\\\\\"}"), std::string::npos) << source;
  EXPECT_NE(source.find("caf\\U000000E9\\012"), std::string::npos) << source;
  EXPECT_NE(source.find("SetModuleResources(&kResources)"), std::string::npos);
}

TEST(Script, MistakesAreReportedWithTheirLine) {
  Files files;
  files.contents["self.rc"] = "#include \"self.rc\"\n";
  files.contents["bad.ico"] = "not an icon";
  struct Case {
    const char* script;
    const char* message;
  } cases[] = {
      {"STRINGTABLE\nBEGIN\n 1 \"open\nEND\n", "line 3: unterminated string"},
      {"STRINGTABLE\nBEGIN\n 1 \"a\"\n", "without END"},
      {"STRINGTABLE\n", "without BEGIN"},
      {"STRINGTABLE BEGIN 1 \"a\" 1 \"b\" END", "defined twice"},
      {"STRINGTABLE BEGIN NAME \"a\" END", "'NAME' is not a number"},
      {"STRINGTABLE BEGIN 70000 \"a\" END", "larger than 65535"},
      {"STRINGTABLE BEGIN 1 2 END", "expected the text"},
      {"1 BITMAP \"a.bmp\"", "unsupported resource type 'BITMAP'"},
      {"1 ICON \"missing.ico\"", "cannot read 'missing.ico'"},
      {"\n1 ICON \"bad.ico\"", "line 2: bad.ico: not an icon file"},
      {"#include \"self.rc\"", "nested too deeply"},
      {"#include self.rc", "malformed #include"},
      {"{", "unexpected '{'"},
  };
  for (const Case& c : cases) {
    zr::rc::Resources resources;
    std::string error;
    EXPECT_FALSE(zr::rc::ParseResourceScript(c.script, files.Reader(), resources, error)) << c.script;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.script << " -> " << error;
  }
}

}  // namespace
