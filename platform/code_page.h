// Converting titles between UTF-8 and the single-byte code page of the
// program bases, named as iconv names it (cp1252, ISO-8859-15, KOI8-R).
#ifndef SKEDCOMP_PLATFORM_CODE_PAGE_H_
#define SKEDCOMP_PLATFORM_CODE_PAGE_H_

#include <string>
#include <string_view>

// Whether the system converts between UTF-8 and `page` both ways.
bool CodePageKnown(const std::string& page);

// Whether a known `page` gives each character one byte, as titles need:
// UTF-8, UTF-16 and the multi-byte pages of East Asia do not.
bool CodePageIsSingleByte(const std::string& page);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsUtf8(std::string_view text);

// `utf8` in the code page; each character the page lacks, and each byte that
// is no UTF-8, becomes '?', and `*replaced` counts them.
std::string FromUtf8(const std::string& page, std::string_view utf8, int* replaced);

// Bytes of the code page as UTF-8; a byte the page leaves undefined becomes
// U+FFFD.
std::string ToUtf8(const std::string& page, std::string_view bytes);

#endif  // SKEDCOMP_PLATFORM_CODE_PAGE_H_
