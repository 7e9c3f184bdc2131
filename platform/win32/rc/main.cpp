// zr_rc SCRIPT OUTPUT: compiles a resource script's string table and icons into a
// C++ source for the Windows stand-in.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "resource_script.h"

namespace {

bool ReadWhole(const std::filesystem::path& path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zr_rc SCRIPT OUTPUT\n");
    return 2;
  }
  std::filesystem::path script = argv[1];
  std::string text;
  if (!ReadWhole(script, text)) {
    std::fprintf(stderr, "zr_rc: cannot read %s\n", argv[1]);
    return 1;
  }
  std::filesystem::path directory = script.parent_path();
  zr::rc::Resources resources;
  std::string error;
  auto reader = [&](const std::string& name, std::string& contents) { return ReadWhole(directory / name, contents); };
  if (!zr::rc::ParseResourceScript(text, reader, resources, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::string source = zr::rc::GenerateSource(resources, script.filename().string());
  std::ofstream out(argv[2], std::ios::binary);
  out << source;
  out.close();
  if (!out) {
    std::fprintf(stderr, "zr_rc: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
