// One conversion for every system: each page a table of its 256 characters.
#include "text/code_page.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "text/ascii.h"
#include "text/utf8.h"

namespace {

#include "text/code_page_tables.inc"

constexpr std::size_t kPageCount = std::size(kCodePageTables);

// Names that mean pages of more than one byte a character, which cannot hold
// titles; told apart from names of no page at all.
constexpr std::string_view kMultiBytePages[] = {"utf-8", "utf8",      "utf-16", "utf-32",
                                                "utf-7", "gbk",       "gb2312", "gb18030",
                                                "big5",  "shift_jis", "euc-jp", "euc-kr"};

constexpr bool IsNameCharacter(char c) {
  return c != ' ' && c != '(' && c != ')' && c != ',' && c != '\n';
}

// Whether `name` stands in `text` as a whole word.
constexpr bool StandsIn(std::string_view text, std::string_view name) {
  for (std::size_t at = text.find(name); at != std::string_view::npos;
       at = text.find(name, at + 1)) {
    const bool starts = at == 0 || !IsNameCharacter(text[at - 1]);
    const bool ends = at + name.size() == text.size() || !IsNameCharacter(text[at + name.size()]);
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace

constexpr char kCodePageNames[] =
    "  windows-874 (cp874, 874)               windows-1250 (cp1250, 1250)\n"
    "  windows-1251 (cp1251, 1251)            windows-1252 (cp1252, 1252)\n"
    "  windows-1253 (cp1253, 1253)            windows-1254 (cp1254, 1254)\n"
    "  windows-1255 (cp1255, 1255)            windows-1256 (cp1256, 1256)\n"
    "  windows-1257 (cp1257, 1257)            windows-1258 (cp1258, 1258)\n"
    "  ISO-8859-1 (iso8859-1, latin1, 28591)  ISO-8859-2 (iso8859-2, latin2, 28592)\n"
    "  ISO-8859-3 (iso8859-3, 28593)          ISO-8859-4 (iso8859-4, 28594)\n"
    "  ISO-8859-5 (iso8859-5, 28595)          ISO-8859-6 (iso8859-6, 28596)\n"
    "  ISO-8859-7 (iso8859-7, 28597)          ISO-8859-8 (iso8859-8, 28598)\n"
    "  ISO-8859-9 (iso8859-9, latin5, 28599)  ISO-8859-10 (iso8859-10)\n"
    "  ISO-8859-11 (iso8859-11)               ISO-8859-13 (iso8859-13, 28603)\n"
    "  ISO-8859-14 (iso8859-14)               ISO-8859-15 (iso8859-15, latin9, 28605)\n"
    "  ISO-8859-16 (iso8859-16)               KOI8-R (20866)\n"
    "  KOI8-U (21866)                         IBM437 (cp437, 437)\n"
    "  IBM850 (cp850, 850)                    IBM852 (cp852, 852)\n"
    "  IBM866 (cp866, 866)                    macintosh (mac, 10000)\n";

namespace {

// The list names every page and every alias, and no page more.
constexpr bool ListNamesEveryPage() {
  const std::string_view list = kCodePageNames;
  std::size_t pages = 0;
  for (const CodePageTable& page : kCodePageTables) {
    if (!StandsIn(list, page.name)) return false;
    for (const char* alias : page.aliases) {
      if (alias != nullptr && !StandsIn(list, alias)) return false;
    }
    ++pages;
  }
  return static_cast<std::size_t>(std::count(list.begin(), list.end(), '(')) == pages;
}
static_assert(ListNamesEveryPage(), "kCodePageNames must list the tables");

// Characters to bytes, sorted, for each page: made when first wanted.
const std::vector<std::pair<char16_t, unsigned char>>& BytesOf(std::size_t page) {
  static std::vector<std::pair<char16_t, unsigned char>> bytes[kPageCount];
  std::vector<std::pair<char16_t, unsigned char>>& found = bytes[page];
  if (found.empty()) {
    for (unsigned byte = 0; byte < 256; ++byte) {
      const char16_t c = kCodePageTables[page].characters[byte];
      if (c != u'\xFFFD') found.emplace_back(c, static_cast<unsigned char>(byte));
    }
    std::sort(found.begin(), found.end());
  }
  return found;
}

std::size_t PageIndex(const CodePageTable* page) {
  return static_cast<std::size_t>(page - std::begin(kCodePageTables));
}

}  // namespace

namespace {

// The default names a page of the tables.
constexpr bool NamesAPage(std::string_view name) {
  for (const CodePageTable& page : kCodePageTables) {
    if (page.name == name || page.aliases[0] == name) return true;
  }
  return false;
}
static_assert(NamesAPage(kDefaultCodePage));

}  // namespace

const CodePageTable* FindCodePage(std::string_view name) {
  for (const CodePageTable& page : kCodePageTables) {
    if (EqualIgnoringAsciiCase(name, page.name)) return &page;
    for (const char* alias : page.aliases) {
      if (alias != nullptr && EqualIgnoringAsciiCase(name, alias)) return &page;
    }
  }
  return nullptr;
}

std::span<const CodePageTable> AllCodePages() { return kCodePageTables; }

std::string CodePageProblem(const std::string& page) {
  if (FindCodePage(page) != nullptr) return {};
  for (const std::string_view multi_byte : kMultiBytePages) {
    if (EqualIgnoringAsciiCase(page, multi_byte)) {
      return "code page '" + page +
             "' has characters of more than one byte; a base's titles are in a single-byte "
             "code page, such as cp1252";
    }
  }
  return "unknown code page '" + page +
         "' (a page such as cp1252, ISO-8859-15, KOI8-R or 1252; 'skedtool --help' "
         "lists them all)";
}

std::string FromUtf8(const std::string& page_name, std::string_view utf8, int* replaced,
                     std::vector<char32_t>* lost) {
  const CodePageTable* page = FindCodePage(page_name);
  if (page == nullptr) return {};
  const auto& bytes = BytesOf(PageIndex(page));
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    // Most titles are mostly ASCII, which most pages hold as it is.
    const auto first = static_cast<unsigned char>(utf8.front());
    if (first < 0x80 && page->characters[first] == first) {
      out += static_cast<char>(first);
      utf8.remove_prefix(1);
      continue;
    }
    const std::size_t length = Utf8Length(utf8);
    const char32_t c = DecodeUtf8(utf8.substr(0, length));
    utf8.remove_prefix(length);
    if (c <= 0xFFFF && c != 0xFFFD) {
      const auto found =
          std::lower_bound(bytes.begin(), bytes.end(), std::pair<char16_t, unsigned char>(c, 0));
      if (found != bytes.end() && found->first == c) {
        out += static_cast<char>(found->second);
        continue;
      }
    }
    const auto decomposed = std::lower_bound(
        page->decomposed.begin(), page->decomposed.end(), c,
        [](const Decomposed& entry, char32_t key) { return entry.character < key; });
    if (decomposed != page->decomposed.end() && decomposed->character == c && c != 0) {
      for (const unsigned char byte : decomposed->bytes) {
        if (byte == 0) break;
        out += static_cast<char>(byte);
      }
      continue;
    }
    out += '?';
    if (replaced != nullptr) ++*replaced;
    if (lost != nullptr && lost->size() < kLostCharactersKept &&
        std::find(lost->begin(), lost->end(), c) == lost->end()) {
      lost->push_back(c);
    }
  }
  return out;
}

std::string ToUtf8(const std::string& page_name, std::string_view bytes, bool escape_undefined) {
  const CodePageTable* page = FindCodePage(page_name);
  if (page == nullptr) return {};
  std::string out;
  out.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    const char16_t character = page->characters[value];
    if (character == 0xFFFD && escape_undefined) {
      const char* const digits = "0123456789ABCDEF";
      out += "\\x";
      out += digits[value >> 4];
      out += digits[value & 0xF];
      continue;
    }
    AppendUtf8(character, &out);
  }
  return out;
}

std::vector<std::string> PagesHolding(const std::vector<char32_t>& characters, std::size_t most) {
  std::vector<std::string> pages;
  for (const CodePageTable& page : kCodePageTables) {
    if (pages.size() == most) break;
    const bool holds = std::all_of(characters.begin(), characters.end(), [&](char32_t c) {
      const char16_t* const end = page.characters + 256;
      return c < 0xFFFD && std::find(page.characters, end, static_cast<char16_t>(c)) != end;
    });
    const bool cp_name =
        page.aliases[0] != nullptr && std::string_view(page.aliases[0]).starts_with("cp");
    if (holds) pages.emplace_back(cp_name ? page.aliases[0] : page.name);
  }
  return pages;
}

std::string PagesHoldingText(const std::vector<char32_t>& characters) {
  const std::vector<std::string> pages = PagesHolding(characters, 3);
  if (pages.empty()) return {};
  std::string text = "; ";
  for (std::size_t i = 0; i < pages.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == pages.size() ? " and " : ", ") + pages[i];
  }
  return text + (pages.size() == 1 ? " holds them" : " hold them");
}
