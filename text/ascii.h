// The small rules of ASCII text that every layer shares: digits, letters,
// letter case, blanks. Bytes of 0x80 and above are no letters or digits here:
// titles and names are in code pages, and none of these rules touch them.
#ifndef SKEDCOMP_TEXT_ASCII_H_
#define SKEDCOMP_TEXT_ASCII_H_

#include <string>
#include <string_view>

constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

constexpr bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with its ASCII letters in lower case: the key of a name that
// letter case does not tell apart.
inline std::string AsciiLowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// Whether `text` is one or more digits and nothing else.
constexpr bool AllAsciiDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!IsAsciiDigit(c)) return false;
  }
  return true;
}

// `text` as a whole number when it is one to nine digits and nothing else,
// as options give counts and minutes.
constexpr bool ParseWholeNumber(std::string_view text, int* value) {
  if (!AllAsciiDigits(text) || text.size() > 9) return false;
  int number = 0;
  for (const char c : text) number = number * 10 + (c - '0');
  *value = number;
  return true;
}

// Below 0, 0 or above 0 as `a` orders before, with or after `b`, ASCII
// letters compared without case (byte values otherwise).
constexpr int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
    const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareIgnoringAsciiCase(a, b) == 0;
}

// A space or a tab, the blanks of INI lines and XMLTV times.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Whether `part` stands in `text`, for tying a text to the constant it
// states (string_view's own find is not a constant expression on every
// compiler and optimisation level).
constexpr bool Mentions(std::string_view text, std::string_view part) {
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (text.substr(at, part.size()) == part) return true;
  }
  return false;
}

#endif  // SKEDCOMP_TEXT_ASCII_H_
