#include "platform/base_path.h"

std::string BaseFilePath(std::string_view name, std::string_view extension) {
  std::string path = NativePath(name);
  path += extension;
  return path;
}

std::string NameTheSystemAlters(std::string_view path) {
  if (PathHoldsZeroByte(path)) return "holds a zero byte, where the system would cut it short";
  return SystemNameRule(path);
}
