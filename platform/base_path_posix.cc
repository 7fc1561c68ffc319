#include "platform/base_path.h"

std::string NativePath(std::string_view name) {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string InCurrentFolder(std::string_view path) { return "./" + std::string(path); }
