// Names as the wide ("W") functions of Windows take them, from the encoding
// in use (platform/names.h). Windows only, for platform/ alone.
#ifndef SKEDCOMP_PLATFORM_WIDE_NAME_WIN32_H_
#define SKEDCOMP_PLATFORM_WIDE_NAME_WIN32_H_

#include <string>

std::wstring WideName(const std::string& name);

#endif  // SKEDCOMP_PLATFORM_WIDE_NAME_WIN32_H_
