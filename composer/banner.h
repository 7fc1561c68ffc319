// What the composer prints before anything else, on every run.
#ifndef SKEDCOMP_COMPOSER_BANNER_H_
#define SKEDCOMP_COMPOSER_BANNER_H_

#include "base/version.h"
#include "text/ascii.h"

inline constexpr char kBanner[] =
    "QAX 3.0 TV Program Base Composer, version 2.0 - by the skedcomp authors\n";
inline constexpr char kUsage[] = "Usage: skedcomp.exe filename_without_ext\n";
// What --version prints after the banner.
inline constexpr char kVersion[] = "skedcomp 2.0\n";
static_assert(Mentions(kBanner, kVersionNumber) && Mentions(kVersion, kVersionNumber),
              "the texts above state the version");

#endif  // SKEDCOMP_COMPOSER_BANNER_H_
