#include "composition/composition_file.h"

#include "base/program_base_format.h"
#include "composition/ini_profile.h"
#include "platform/base_path.h"

std::string CompositionFilePath(std::string_view name) {
  return InCurrentFolder(BaseFilePath(name, kCompositionExtension));
}

std::string ExtensionHint(std::string_view run, std::string_view name) {
  for (const std::string_view extension :
       {kCompositionExtension, kIndexExtension, kTitleExtension, kLogExtension}) {
    // A bare ".ndx" is a name of its own, not one with an extension.
    if (name.size() <= extension.size() ||
        CompareProfileNames(name.substr(name.size() - extension.size()), extension) != 0) {
      continue;
    }
    const std::string_view stem = name.substr(0, name.size() - extension.size());
    return " (did you mean '" + std::string(run) + " " + std::string(stem) +
           "'? names go without " + std::string(name.substr(stem.size())) + ")";
  }
  return {};
}
