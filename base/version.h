// The version of both programs, stated once: the banner, --version of each,
// and the build's own (the packages') all say this one.
#ifndef SKEDCOMP_BASE_VERSION_H_
#define SKEDCOMP_BASE_VERSION_H_

#include <string_view>

inline constexpr std::string_view kVersionNumber = "2.0";
static_assert(kVersionNumber == SKEDCOMP_PROJECT_VERSION, "CMakeLists.txt names another version");

#endif  // SKEDCOMP_BASE_VERSION_H_
