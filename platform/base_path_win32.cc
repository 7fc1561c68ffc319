#include <windows.h>

#include <cctype>

#include "platform/base_path.h"
#include "platform/wide_name_win32.h"

// Names go to the ANSI file functions as the bytes they are: Windows itself
// takes both "\" and "/" between folders.
std::string NativePath(std::string_view name) { return std::string(name); }

std::string InCurrentFolder(std::string_view path) { return ".\\" + std::string(path); }

std::string FileNameProblem(const std::string& path) {
  // Windows reads a name whose part before the first dot is a device's as
  // that device, in any folder and letter case.
  const std::size_t start = path.find_last_of("\\/:") + 1;  // npos + 1 == 0
  std::string device = path.substr(start, path.find('.', start) - start);
  for (char& c : device) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const bool numbered = device.size() == 4 &&
                        (device.rfind("COM", 0) == 0 || device.rfind("LPT", 0) == 0) &&
                        device[3] >= '0' && device[3] <= '9';
  if (device == "CON" || device == "PRN" || device == "AUX" || device == "NUL" || numbered ||
      device == "CONIN$" || device == "CONOUT$") {
    return "is named after the device " + device + ", which Windows opens in its place";
  }
  const std::wstring wide = WideName(path);
  const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  // Counted with the zero at its end.
  if (length > MAX_PATH) {
    return "is " + std::to_string(length - 1) +
           " characters long as a whole path; Windows allows " + std::to_string(MAX_PATH - 1);
  }
  return {};
}

std::string SystemNameRule(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '\\' && path[i] != '/') {
      // "C:" is a drive; any other colon names a stream of a file.
      if (path[i] == ':' && i != 1) return "holds a colon, which Windows reads as a file's stream";
      continue;
    }
    const std::string_view part = path.substr(start, i - start);
    if (part != "." && part != ".." && !part.empty() &&
        (part.back() == '.' || part.back() == ' ')) {
      return "has a part ending in a dot or a space, which Windows drops";
    }
    start = i + 1;
  }
  return {};
}
