#include "platform/names.h"

// Names are bytes here, whatever the encoding: nothing to convert.
void UseNameEncoding(NameEncoding) {}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string NameFromComposition(std::string_view name) { return std::string(name); }

std::optional<std::string> AnsiText(std::u16string_view) { return std::nullopt; }
