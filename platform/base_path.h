// File names formed from base names and composition names.
#ifndef SKEDCOMP_PLATFORM_BASE_PATH_H_
#define SKEDCOMP_PLATFORM_BASE_PATH_H_

#include <string>
#include <string_view>

// The name as a path of this system: composition files written on Windows
// name bases like ..\bases\one, so elsewhere "\" is read as the directory
// separator. On Windows the name stays as it is.
std::string NativePath(std::string_view name);

// Whether `path` holds a zero byte, where every system would cut the name
// short and so reach another file: such a path is refused before it is used.
inline bool PathHoldsZeroByte(std::string_view path) {
  return path.find('\0') != std::string_view::npos;
}

// Why the system would not take `path` as it is written, as the end of a
// sentence ("holds a zero byte, where the system would cut it short"); ""
// when it takes it as it is. A zero byte cuts a name on every system; on
// Windows a part of it ending in a dot or a space loses them, and a colon
// past the drive names a stream of another file. Every name from outside is
// checked so before any file is opened, made or removed by it.
std::string NameTheSystemAlters(std::string_view path);
// The part of that rule that is the system's own (base_path_SYSTEM.cc).
std::string SystemNameRule(std::string_view path);

// The name with an extension such as ".ndx" appended.
std::string BaseFilePath(std::string_view name, std::string_view extension);

// Why this system cannot make a file at `path`, whatever the folder allows,
// as the end of a sentence ("is a device name on Windows"); "" when it can.
// On Windows a name such as CON or NUL (with any extension) is a device, and
// a whole path past 259 characters is refused; elsewhere a name past 255
// bytes.
std::string FileNameProblem(const std::string& path);

// `path` as a path in the current directory, as the system writes it:
// ".\PATH" on Windows, "./PATH" elsewhere.
std::string InCurrentFolder(std::string_view path);

#endif  // SKEDCOMP_PLATFORM_BASE_PATH_H_
