// Windows' own code-page converters, which Windows programs convert titles
// with (on Linux iconv does it, in xmltv/). Windows only.
#ifndef SKEDCOMP_PLATFORM_WINDOWS_CODE_PAGE_H_
#define SKEDCOMP_PLATFORM_WINDOWS_CODE_PAGE_H_

#include <array>

struct WindowsCodePage {
  bool known = false;        // Windows converts it
  bool single_byte = false;  // ... one byte a character
  // For a single-byte page, the character each byte reads as, as
  // MultiByteToWideChar gives it; 0xFFFD where it gives none.
  std::array<char32_t, 256> characters{};
};

WindowsCodePage ReadWindowsCodePage(unsigned number);

#endif  // SKEDCOMP_PLATFORM_WINDOWS_CODE_PAGE_H_
