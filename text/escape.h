// Control bytes written so that text shows whole on one line: a zero byte
// cannot cut it short, a line end cannot break it.
#ifndef SKEDCOMP_TEXT_ESCAPE_H_
#define SKEDCOMP_TEXT_ESCAPE_H_

#include <string>
#include <string_view>

enum class Backslash {
  kAsItIs,   // for names, where it separates Windows folders
  kDoubled,  // for listings, which read the escapes back
};

// `text` with tab, CR and LF written \t \r \n, other bytes below 0x20 \xHH,
// and a backslash as `backslash` says; every other byte as it is.
std::string EscapeControlBytes(std::string_view text, Backslash backslash);

#endif  // SKEDCOMP_TEXT_ESCAPE_H_
