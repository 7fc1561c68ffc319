// Names as the wide ("W") functions of Windows take them, from the encoding
// in use (platform/names.h), and what stands at a name opened without a read. Windows only, for
// platform/ alone.
#ifndef SKEDCOMP_PLATFORM_WIDE_NAME_WIN32_H_
#define SKEDCOMP_PLATFORM_WIDE_NAME_WIN32_H_

#include <windows.h>

#include <string>

std::wstring WideName(const std::string& name);

// What stands at `path` itself (a link not followed, a folder too), opened
// to read its attributes only and shared with every other program;
// INVALID_HANDLE_VALUE when nothing can be opened there.
HANDLE OpenAtName(const std::string& path);

#endif  // SKEDCOMP_PLATFORM_WIDE_NAME_WIN32_H_
