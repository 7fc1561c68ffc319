// Converting titles between UTF-8 and the single-byte code page of the
// program bases. Every page is a table of 256 characters built in (see
// code_page_tables.inc), so one input gives the same bytes on every system;
// pages are named as kCodePageNames lists them, in any letter case.
#ifndef SKEDCOMP_TEXT_CODE_PAGE_H_
#define SKEDCOMP_TEXT_CODE_PAGE_H_

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/utf8.h"

// A character the page lacks but holds the canonical decomposition of, and
// the bytes that write it (up to four; 0 ends fewer).
struct Decomposed {
  char32_t character;
  std::array<unsigned char, 4> bytes;
};

struct CodePageTable {
  const char* name;                        // as shown: windows-1252
  std::array<const char*, 3> aliases;      // cp1252, 1252; null past the last
  const char16_t* characters;              // of each byte; U+FFFD for none
  std::span<const Decomposed> decomposed;  // by character
};

// The page that bases are taken to hold where no other is named: the old
// tool's Western European one, under the name its users give it.
inline constexpr std::string_view kDefaultCodePage = "cp1252";

// Every page, for help texts and messages: its name and then its aliases in
// brackets, one page after another.
extern const char kCodePageNames[];

// The page `name` names, or null.
const CodePageTable* FindCodePage(std::string_view name);

// Every page, in the order kCodePageNames lists them.
std::span<const CodePageTable> AllCodePages();

// Why titles cannot be converted with `page` (unknown, or not one byte per
// character), or "" when they can.
std::string CodePageProblem(const std::string& page);

// `utf8` in the code page. A character the page lacks is written as its
// canonical decomposition where the page holds that (Vietnamese letters in
// windows-1258: letter and tone mark); otherwise it, and each byte that is no
// UTF-8, becomes '?', and `*replaced` counts them. "" for an unknown page.
// With `lost`, each character that became '?' is added to it once, up to
// kLostCharactersKept of them.
inline constexpr std::size_t kLostCharactersKept = 64;
std::string FromUtf8(const std::string& page, std::string_view utf8, int* replaced,
                     std::vector<char32_t>* lost = nullptr);

// The pages that hold every one of `characters`, as their users name them
// ("cp1253", "ISO-8859-7"): at most `most`, in the order of the tables.
std::vector<std::string> PagesHolding(const std::vector<char32_t>& characters, std::size_t most);

// "; cp1253 and ISO-8859-7 hold them": for a warning of characters lost, or
// "" when no page holds them all.
std::string PagesHoldingText(const std::vector<char32_t>& characters);

// Bytes of the code page as UTF-8, byte by byte; a byte the page leaves
// undefined becomes U+FFFD, or with `escape_undefined` the escape "\xHH" of
// a listing, which gives the byte back. "" for an unknown page.
std::string ToUtf8(const std::string& page, std::string_view bytes, bool escape_undefined = false);

// Text from the files (titles, names) as it is shown to a person: in UTF-8
// from `code_page`, or as the bytes it is when no page is set.
// What `--codepage` takes, beside a page's names, for no conversion at all:
// titles and names as the bytes the files hold (any letter case).
inline constexpr std::string_view kRawBytes = "raw";

struct DisplayCodePage {
  std::string code_page{kDefaultCodePage};  // empty: raw bytes
  bool escape_undefined = false;            // a byte the page leaves undefined as "\xHH"
  std::string operator()(std::string_view text) const {
    return code_page.empty() ? std::string(text) : ToUtf8(code_page, text, escape_undefined);
  }
  // A name typed by the user, of a file or a composition: as it is when it is
  // UTF-8 (as names typed on Linux are, and all that skedtool is given on
  // Windows), otherwise text of the code page.
  std::string Name(std::string_view name) const {
    return IsUtf8(name) ? std::string(name) : (*this)(name);
  }
};

#endif  // SKEDCOMP_TEXT_CODE_PAGE_H_
