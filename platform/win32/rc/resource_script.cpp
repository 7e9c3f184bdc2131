#include "resource_script.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace zr::rc {
namespace {

constexpr int kMaxIncludeDepth = 8;
constexpr int kMaxIconSide = 256;
constexpr size_t kMaxStringLength = 4097;  // what a string table entry holds, with its zero

struct Token {
  enum Kind { kEnd, kWord, kString, kPunct, kDirective } kind = kEnd;
  std::string text;  // words, punctuation, directive lines; strings: the raw UTF-8 content
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  // Returns false (with an error) on a malformed token.
  bool Next(Token& token, std::string& error) {
    SkipSpace();
    token = Token{};
    token.line = line_;
    if (pos_ >= text_.size()) return true;
    char c = text_[pos_];
    if (c == '#' && atLineStart_) {
      size_t end = text_.find('\n', pos_);
      if (end == std::string_view::npos) end = text_.size();
      token.kind = Token::kDirective;
      token.text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end;
      return true;
    }
    atLineStart_ = false;
    if (c == '"' || ((c == 'L' || c == 'l') && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"')) {
      if (c != '"') ++pos_;
      return ReadString(token, error);
    }
    if (IsWordChar(c)) {
      size_t start = pos_;
      while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
      token.kind = Token::kWord;
      token.text = std::string(text_.substr(start, pos_ - start));
      return true;
    }
    ++pos_;
    token.kind = Token::kPunct;
    token.text = std::string(1, c);
    return true;
  }

 private:
  static bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
  }

  void SkipSpace() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
        atLineStart_ = true;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//") {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (text_.substr(pos_, 2) == "/*") {
        size_t end = text_.find("*/", pos_ + 2);
        end = end == std::string_view::npos ? text_.size() : end + 2;
        line_ += static_cast<int>(std::count(text_.begin() + pos_, text_.begin() + end, '\n'));
        pos_ = end;
      } else {
        return;
      }
    }
  }

  // A quoted string: "" is a quote; \n \t \r \\ \" \0 are escapes.
  bool ReadString(Token& token, std::string& error) {
    ++pos_;  // the opening quote
    token.kind = Token::kString;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '\n') break;
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {
          token.text += '"';
          ++pos_;
          continue;
        }
        return true;
      }
      if (c == '\\' && pos_ < text_.size()) {
        char e = text_[pos_++];
        switch (e) {
          case 'n':
            token.text += '\n';
            break;
          case 't':
            token.text += '\t';
            break;
          case 'r':
            token.text += '\r';
            break;
          case '0':
            token.text += '\0';
            break;
          case '\\':
            token.text += '\\';
            break;
          case '"':
            token.text += '"';
            break;
          default:
            token.text += '\\';
            token.text += e;
            break;
        }
        continue;
      }
      token.text += c;
    }
    error = "line " + std::to_string(token.line) + ": unterminated string";
    return false;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  bool atLineStart_ = true;
};

std::wstring Widen(std::string_view text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<uint8_t>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    uint32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + extra < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      auto next = static_cast<uint8_t>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (valid && (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    out += static_cast<wchar_t>(valid ? c : 0xFFFD);
    i += valid ? extra + 1 : 1;
  }
  return out;
}

std::string Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r");
  size_t e = s.find_last_not_of(" \t\r");
  return b == std::string_view::npos ? std::string() : std::string(s.substr(b, e - b + 1));
}

class Parser {
 public:
  Parser(const FileReader& readFile, Resources& out, std::string& error)
      : readFile_(readFile), out_(out), error_(error) {}

  bool Parse(std::string_view text, int depth) {
    Lexer lexer(text);
    Token token;
    for (;;) {
      if (!lexer.Next(token, error_)) return false;
      if (token.kind == Token::kEnd) return true;
      if (token.kind == Token::kDirective) {
        if (!Directive(token, depth)) return false;
      } else if (token.kind == Token::kWord && token.text == "STRINGTABLE") {
        if (!StringTable(lexer)) return false;
      } else if (token.kind == Token::kWord && token.text == "LANGUAGE") {
        // LANGUAGE primary, secondary: the stand-in has one language.
        Token skip;
        for (int i = 0; i < 3; ++i) {
          if (!lexer.Next(skip, error_)) return false;
        }
      } else if (token.kind == Token::kWord) {
        if (!Resource(lexer, token)) return false;
      } else {
        return Fail(token.line, "unexpected '" + token.text + "'");
      }
    }
  }

 private:
  bool Fail(int line, const std::string& message) {
    error_ = "line " + std::to_string(line) + ": " + message;
    return false;
  }

  // A number (decimal or 0x hexadecimal, optional L or U) or a #defined name.
  bool Id(const Token& token, unsigned& value) {
    if (token.kind != Token::kWord) return Fail(token.line, "expected an id");
    auto it = defines_.find(token.text);
    std::string text = it != defines_.end() ? it->second : token.text;
    while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u')) {
      text.pop_back();
    }
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    size_t start = hex ? 2 : 0;
    if (start == text.size()) return Fail(token.line, "'" + token.text + "' is not a number");
    unsigned long v = 0;
    for (size_t i = start; i < text.size(); ++i) {
      char c = text[i];
      int digit = c >= '0' && c <= '9'          ? c - '0'
                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                : -1;
      if (digit < 0) return Fail(token.line, "'" + token.text + "' is not a number");
      v = v * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
      if (v > 0xFFFF) return Fail(token.line, "id " + token.text + " is larger than 65535");
    }
    value = static_cast<unsigned>(v);
    return true;
  }

  bool Directive(const Token& token, int depth) {
    std::string line = Trim(token.text);
    if (line.rfind("include", 0) == 0) {
      std::string name = Trim(line.substr(7));
      if (name.size() < 2 ||
          !((name.front() == '"' && name.back() == '"') || (name.front() == '<' && name.back() == '>'))) {
        return Fail(token.line, "malformed #include");
      }
      name = name.substr(1, name.size() - 2);
      if (depth + 1 >= kMaxIncludeDepth) return Fail(token.line, "#include nested too deeply");
      std::string contents;
      if (!readFile_(name, contents)) return Fail(token.line, "cannot read '" + name + "'");
      if (!Parse(contents, depth + 1)) {
        error_ = name + ": " + error_;
        return false;
      }
      return true;
    }
    if (line.rfind("define", 0) == 0) {
      std::string rest = Trim(line.substr(6));
      size_t space = rest.find_first_of(" \t");
      if (space == std::string::npos) return true;  // a flag without a value names no id
      std::string value = Trim(rest.substr(space));
      if (size_t comment = value.find("//"); comment != std::string::npos) value = Trim(value.substr(0, comment));
      defines_[rest.substr(0, space)] = value;
      return true;
    }
    return true;  // #pragma, include guards and the like change nothing here
  }

  bool StringTable(Lexer& lexer) {
    Token token;
    // Optional statements up to BEGIN.
    do {
      if (!lexer.Next(token, error_)) return false;
      if (token.kind == Token::kEnd) return Fail(token.line, "STRINGTABLE without BEGIN");
    } while (!(token.text == "BEGIN" || token.text == "{"));
    for (;;) {
      if (!lexer.Next(token, error_)) return false;
      if (token.kind == Token::kEnd) return Fail(token.line, "STRINGTABLE without END");
      if (token.text == "END" || token.text == "}") return true;
      unsigned id;
      if (!Id(token, id)) return false;
      if (!lexer.Next(token, error_)) return false;
      if (token.kind == Token::kPunct && token.text == ",") {
        if (!lexer.Next(token, error_)) return false;
      }
      if (token.kind != Token::kString) return Fail(token.line, "expected the text of string " + std::to_string(id));
      std::wstring text = Widen(token.text);
      if (text.size() >= kMaxStringLength) return Fail(token.line, "string " + std::to_string(id) + " is too long");
      for (const auto& existing : out_.strings) {
        if (existing.first == id) return Fail(token.line, "string " + std::to_string(id) + " is defined twice");
      }
      out_.strings.emplace_back(id, std::move(text));
    }
  }

  bool Resource(Lexer& lexer, const Token& name) {
    unsigned id;
    if (!Id(name, id)) return false;
    Token type, file;
    if (!lexer.Next(type, error_) || !lexer.Next(file, error_)) return false;
    if (type.kind != Token::kWord || type.text != "ICON") {
      return Fail(type.line, "unsupported resource type '" + type.text + "'");
    }
    if (file.kind != Token::kString) return Fail(file.line, "expected the icon's file name");
    std::string contents;
    if (!readFile_(file.text, contents)) return Fail(file.line, "cannot read '" + file.text + "'");
    Icon icon;
    std::string problem;
    if (!DecodeIcon(contents, icon, problem)) return Fail(file.line, file.text + ": " + problem);
    for (const auto& existing : out_.icons) {
      if (existing.id == id) return Fail(name.line, "icon " + std::to_string(id) + " is defined twice");
    }
    icon.id = id;
    out_.icons.push_back(std::move(icon));
    return true;
  }

  const FileReader& readFile_;
  Resources& out_;
  std::string& error_;
  std::map<std::string, std::string> defines_;
};

uint32_t Read16(std::string_view b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
uint32_t Read32(std::string_view b, size_t at) { return Read16(b, at) | Read16(b, at + 2) << 16; }

}  // namespace

bool ParseResourceScript(std::string_view script, const FileReader& readFile, Resources& out, std::string& error) {
  out = Resources{};
  Parser parser(readFile, out, error);
  return parser.Parse(script, 0);
}

bool DecodeIcon(std::string_view file, Icon& out, std::string& error) {
  constexpr size_t kHeader = 6, kEntry = 16, kInfoHeader = 40;
  if (file.size() < kHeader || Read16(file, 0) != 0 || Read16(file, 2) != 1) {
    error = "not an icon file";
    return false;
  }
  size_t count = Read16(file, 4);
  if (count == 0 || file.size() < kHeader + count * kEntry) {
    error = "icon directory is truncated";
    return false;
  }
  // The largest image, the first of equals.
  size_t best = 0;
  int bestSide = -1;
  for (size_t i = 0; i < count; ++i) {
    size_t e = kHeader + i * kEntry;
    int side = static_cast<uint8_t>(file[e]) == 0 ? 256 : static_cast<uint8_t>(file[e]);
    if (side > bestSide) {
      bestSide = side;
      best = e;
    }
  }
  size_t size = Read32(file, best + 8);
  size_t offset = Read32(file, best + 12);
  if (offset > file.size() || size > file.size() - offset || size < kInfoHeader) {
    error = "icon image lies outside the file";
    return false;
  }
  std::string_view image = file.substr(offset, size);
  if (image.substr(0, 4) == "\x89PNG") {
    error = "compressed icon images are not supported";
    return false;
  }
  if (Read32(image, 0) < kInfoHeader) {
    error = "icon image header is not a bitmap header";
    return false;
  }
  auto width = static_cast<int32_t>(Read32(image, 4));
  auto doubledHeight = static_cast<int32_t>(Read32(image, 8));
  uint32_t bits = Read16(image, 14);
  uint32_t compression = Read32(image, 16);
  if (width <= 0 || width > kMaxIconSide || doubledHeight <= 0 || doubledHeight % 2 != 0 ||
      doubledHeight / 2 > kMaxIconSide) {
    error = "icon size is not supported";
    return false;
  }
  if ((bits != 24 && bits != 32) || compression != 0) {
    error = "only uncompressed 24- and 32-bit icons are supported";
    return false;
  }
  int height = doubledHeight / 2;
  size_t pixelStart = Read32(image, 0);
  size_t colourStride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
  size_t colourBytes = colourStride * height;
  size_t maskBytes = bits == 24 ? maskStride * height : 0;  // 32-bit images carry their own alpha
  if (pixelStart > image.size() || image.size() - pixelStart < colourBytes + maskBytes) {
    error = "icon pixels are truncated";
    return false;
  }
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < height; ++y) {
    // Rows are stored bottom row first.
    size_t row = pixelStart + colourStride * (height - 1 - y);
    size_t maskRow = pixelStart + colourBytes + maskStride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      size_t p = row + static_cast<size_t>(x) * (bits / 8);
      uint32_t b = static_cast<uint8_t>(image[p]), g = static_cast<uint8_t>(image[p + 1]),
               r = static_cast<uint8_t>(image[p + 2]);
      uint32_t a;
      if (bits == 32) {
        a = static_cast<uint8_t>(image[p + 3]);
      } else {
        bool transparent = (static_cast<uint8_t>(image[maskRow + x / 8]) >> (7 - x % 8)) & 1;
        a = transparent ? 0 : 0xFF;
      }
      out.pixels[static_cast<size_t>(y) * width + x] = a << 24 | r << 16 | g << 8 | b;
    }
  }
  return true;
}

std::string GenerateSource(const Resources& resources, std::string_view scriptName) {
  std::string s = "// Generated by zr_rc from " + std::string(scriptName) + "; edit the resource script instead.\n";
  s += "#include <zr_win32.h>\n\nnamespace {\n\n";
  char buf[32];
  if (!resources.strings.empty()) {
    s += "const zr::win32::StringResource kStrings[] = {\n";
    for (const auto& [id, text] : resources.strings) {
      s += "    {" + std::to_string(id) + ", L\"";
      for (wchar_t wc : text) {
        auto c = static_cast<uint32_t>(wc);
        if (c == '"' || c == '\\') {
          s += '\\';
          s += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
          s += static_cast<char>(c);
        } else if (c < 0x80) {
          std::snprintf(buf, sizeof buf, "\\%03o", c);
          s += buf;
        } else {
          std::snprintf(buf, sizeof buf, "\\U%08X", c);
          s += buf;
        }
      }
      s += "\"},\n";
    }
    s += "};\n\n";
  }
  for (size_t i = 0; i < resources.icons.size(); ++i) {
    s += "const uint32_t kIconPixels" + std::to_string(i) + "[] = {";
    const auto& pixels = resources.icons[i].pixels;
    for (size_t p = 0; p < pixels.size(); ++p) {
      std::snprintf(buf, sizeof buf, "%s0x%08X,", p % 8 == 0 ? "\n    " : " ", pixels[p]);
      s += buf;
    }
    s += "\n};\n\n";
  }
  if (!resources.icons.empty()) {
    s += "const zr::win32::IconResource kIcons[] = {\n";
    for (size_t i = 0; i < resources.icons.size(); ++i) {
      const Icon& icon = resources.icons[i];
      s += "    {" + std::to_string(icon.id) + ", " + std::to_string(icon.width) + ", " + std::to_string(icon.height) +
           ", kIconPixels" + std::to_string(i) + "},\n";
    }
    s += "};\n\n";
  }
  s += "const zr::win32::ModuleResources kResources{";
  s += resources.strings.empty() ? "nullptr, 0, " : "kStrings, " + std::to_string(resources.strings.size()) + ", ";
  s += resources.icons.empty() ? "nullptr, 0" : "kIcons, " + std::to_string(resources.icons.size());
  s += "};\n\n";
  s += "struct Registration {\n  Registration() { zr::win32::SetModuleResources(&kResources); }\n} registration;\n\n";
  s += "}  // namespace\n";
  return s;
}

}  // namespace zr::rc
