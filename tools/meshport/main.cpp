// meshport: converts an FBX file into an engine mesh file through the meshport library,
// loaded at run time. The exit code is the library's result (255 for its -1), or 2 for a
// bad command line and 3 when the library cannot be loaded.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// FBX_INTERFACE::export_simple_mesh(const char*, const char*, const char*)
constexpr const char kExportSymbol[] = "_ZN13FBX_INTERFACE18export_simple_meshEPKcS1_S1_";
constexpr const char kDefaultLibrary[] = "libmeshport.so";

using ExportFunction = int (*)(const char*, const char*, const char*);

// The library beside this program if there is one there, else the bare name for the
// dynamic loader's search.
std::string DefaultLibrary() {
  char self[4096];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    std::string path(self, static_cast<size_t>(length));
    path = path.substr(0, path.rfind('/') + 1) + kDefaultLibrary;
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  return kDefaultLibrary;
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: meshport [--library PATH] INPUT.fbx OUTPUT-PREFIX OUTPUT-NAME\n"
               "\n"
               "Converts the meshes of INPUT.fbx into one mesh file at OUTPUT-PREFIX followed\n"
               "directly by OUTPUT-NAME (give the prefix its trailing '/' for a directory).\n"
               "\n"
               "  --library PATH  the meshport library to load (default: %s beside\n"
               "                  this program, else wherever the dynamic loader finds it)\n"
               "  --help          show this text\n"
               "\n"
               "Exit code: 0 when the FBX file was read, 255 when it could not be opened,\n"
               "2 for a bad command line, 3 when the library could not be loaded.\n",
               kDefaultLibrary);
}

}  // namespace

int main(int argc, char** argv) {
  std::string library = DefaultLibrary();
  const char* arguments[3];
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc) {
      library = argv[++i];
    } else if (count < 3) {
      arguments[count++] = argv[i];
    } else {
      count = 4;
    }
  }
  if (count != 3) {
    PrintUsage(stderr);
    return 2;
  }
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "meshport: cannot load %s: %s\n", library.c_str(), dlerror());
    return 3;
  }
  auto exportMesh = reinterpret_cast<ExportFunction>(dlsym(handle, kExportSymbol));
  if (!exportMesh) {
    std::fprintf(stderr, "meshport: %s does not export %s\n", library.c_str(), kExportSymbol);
    dlclose(handle);
    return 3;
  }
  int result = exportMesh(arguments[0], arguments[1], arguments[2]);
  std::fflush(stdout);
  dlclose(handle);
  return result;
}
