#include "platform/base_path.h"

std::string BaseFilePath(std::string_view name, std::string_view extension) {
  std::string path = NativePath(name);
  path += extension;
  return path;
}
