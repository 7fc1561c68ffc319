// What the composer prints before anything else, on every run.
#ifndef SKEDCOMP_COMPOSER_BANNER_H_
#define SKEDCOMP_COMPOSER_BANNER_H_

inline constexpr char kBanner[] =
    "QAX 3.0 TV Program Base Composer, version 2.0 - by the skedcomp authors\n";
inline constexpr char kUsage[] = "Usage: skedcomp.exe filename_without_ext\n";

#endif  // SKEDCOMP_COMPOSER_BANNER_H_
