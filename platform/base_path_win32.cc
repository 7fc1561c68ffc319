#include "platform/base_path.h"

// Names go to the ANSI file functions as the bytes they are: Windows itself
// takes both "\" and "/" between folders.
std::string NativePath(std::string_view name) { return std::string(name); }

std::string InCurrentFolder(std::string_view path) { return ".\\" + std::string(path); }
