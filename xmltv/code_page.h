// Converting titles between UTF-8 and the single-byte code page of the
// program bases. Pages have the same names on every system: cp1252 or
// windows-1252, ISO-8859-15, KOI8-R, or the code page number (1252). The
// conversion is the system's own: iconv on Linux, Windows' converters there.
#ifndef SKEDCOMP_XMLTV_CODE_PAGE_H_
#define SKEDCOMP_XMLTV_CODE_PAGE_H_

#include <cstddef>
#include <string>
#include <string_view>

// Whether the system converts between UTF-8 and `page` both ways.
bool CodePageKnown(const std::string& page);

// Whether a known `page` gives each character one byte, as titles need:
// UTF-8, UTF-16 and the multi-byte pages of East Asia do not.
bool CodePageIsSingleByte(const std::string& page);

// Why titles cannot be converted with `page` (unknown, or not one byte per
// character), or "" when they can.
std::string CodePageProblem(const std::string& page);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsUtf8(std::string_view text);

// The length of the UTF-8 character `text` starts with, or of the bytes that
// stand for one when it is cut short or no UTF-8 (then 1 for a stray byte);
// `text` is not empty.
std::size_t Utf8Length(std::string_view text);

// `utf8` in the code page; each character the page lacks, and each byte that
// is no UTF-8, becomes '?', and `*replaced` counts them.
std::string FromUtf8(const std::string& page, std::string_view utf8, int* replaced);

// Bytes of the code page as UTF-8; a byte the page leaves undefined becomes
// U+FFFD.
std::string ToUtf8(const std::string& page, std::string_view bytes);

#endif  // SKEDCOMP_XMLTV_CODE_PAGE_H_
