// Text from files written so that it shows as it is: control bytes on one
// line, where a zero byte cannot cut it short nor a line end break it; and
// any text on an HTML page, where it cannot become markup.
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

// `text` (UTF-8) for HTML text and attribute values alike: &, <, >, " and '
// as character references, control bytes but tab and line feed as U+FFFD,
// and each character that reorders or hides text around it unseen (marks of
// direction, zero-width ones) as "[U+XXXX]", so that no name passes for
// another.
std::string EscapeHtml(const std::string& text);

// What a message quotes of a text from a file: enough to find it, and never
// so much that a hostile file makes a huge message. Cut between characters,
// with the text's size.
std::string BriefText(std::string_view text, std::size_t shown = 60);

#endif  // SKEDCOMP_TEXT_ESCAPE_H_
