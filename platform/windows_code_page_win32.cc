#include <windows.h>

#include "platform/windows_code_page.h"

WindowsCodePage ReadWindowsCodePage(unsigned number) {
  WindowsCodePage page;
  CPINFO info;
  if (number > 65535 || ::IsValidCodePage(number) == 0 || ::GetCPInfo(number, &info) == 0) {
    return page;
  }
  page.known = true;
  page.single_byte = info.MaxCharSize == 1;
  if (!page.single_byte) return page;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t out[2];
    const int length = ::MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, &in, 1, out, 2);
    page.characters[byte] = length == 1 ? static_cast<char32_t>(out[0]) : U'\xFFFD';
  }
  return page;
}
