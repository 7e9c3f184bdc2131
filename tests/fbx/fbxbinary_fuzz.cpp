#include "fbxfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fbxfile::Node root;
  std::string error;
  if (fbxfile::ReadBinary({data, size}, root, error)) FuzzScene(root);
  return 0;
}
