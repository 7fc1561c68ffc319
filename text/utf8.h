// UTF-8: telling it from other bytes, cutting it into characters, and
// writing characters as it.
#ifndef SKEDCOMP_TEXT_UTF8_H_
#define SKEDCOMP_TEXT_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsUtf8(std::string_view text);

// The length of the UTF-8 character `text` starts with, or of the bytes that
// stand for one when it is cut short or no UTF-8 (then 1 for a stray byte);
// `text` is not empty.
std::size_t Utf8Length(std::string_view text);

// The character that `character` (one character as Utf8Length cuts it) is,
// or U+FFFD when it is no UTF-8.
char32_t DecodeUtf8(std::string_view character);

// Appends `c` (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(char32_t c, std::string* out);

// Whether `c` continues a UTF-8 character rather than starting one.
constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The longest start of `text` of at most `limit` bytes that does not cut a
// UTF-8 character in two.
std::string_view CutUtf8(std::string_view text, std::size_t limit);

#endif  // SKEDCOMP_TEXT_UTF8_H_
