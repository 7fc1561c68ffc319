#include "platform/base_path.h"

#include <climits>

std::string NativePath(std::string_view name) {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string InCurrentFolder(std::string_view path) { return "./" + std::string(path); }

std::string FileNameProblem(const std::string& path) {
  const std::size_t name = path.size() - path.rfind('/') - 1;
  if (name > NAME_MAX) {
    return "has a file name of " + std::to_string(name) + " bytes; the system allows " +
           std::to_string(NAME_MAX);
  }
  return {};
}

std::string SystemNameRule(std::string_view) { return {}; }
