// What the composer prints before anything else, on every run.
#ifndef SKEDCOMP_COMPOSER_BANNER_H_
#define SKEDCOMP_COMPOSER_BANNER_H_

#include <cstddef>
#include <string_view>

// The version of both programs; the build's own (the packages') must agree.
inline constexpr std::string_view kVersionNumber = "2.0";
static_assert(kVersionNumber == SKEDCOMP_PROJECT_VERSION, "CMakeLists.txt names another version");

inline constexpr char kBanner[] =
    "QAX 3.0 TV Program Base Composer, version 2.0 - by the skedcomp authors\n";
inline constexpr char kUsage[] = "Usage: skedcomp.exe filename_without_ext\n";
// What --version prints after the banner.
inline constexpr char kVersion[] = "skedcomp 2.0\n";
// Whether `part` stands in `text` (string_view's own find is not a constant
// expression on every compiler and optimisation level).
constexpr bool Mentions(std::string_view text, std::string_view part) {
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (text.substr(at, part.size()) == part) return true;
  }
  return false;
}
static_assert(Mentions(kBanner, kVersionNumber) && Mentions(kVersion, kVersionNumber),
              "the texts above state the version");

#endif  // SKEDCOMP_COMPOSER_BANNER_H_
