#include "composition/composition_file.h"

#include "platform/base_path.h"

std::string CompositionFilePath(std::string_view name) {
  return InCurrentFolder(BaseFilePath(name, ".cfg"));
}
