#include "composition/ini_profile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "platform/names.h"
#include "platform/read_file.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Plain loops here and below: the library's searches for any of a set of
// characters look the set up at each byte, which a file of millions of lines
// feels.

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Splits off the next line; LF, CR LF and a lone CR all end a line.
std::string_view NextLine(std::string_view* text) {
  std::size_t end = 0;
  while (end < text->size() && (*text)[end] != '\n' && (*text)[end] != '\r') ++end;
  if (end == text->size()) end = std::string_view::npos;
  std::string_view line = text->substr(0, end);
  if (end == std::string_view::npos) {
    *text = {};
  } else {
    const bool crlf = (*text)[end] == '\r' && end + 1 < text->size() && (*text)[end + 1] == '\n';
    text->remove_prefix(end + (crlf ? 2 : 1));
  }
  return line;
}

}  // namespace

std::string ProfileNameKey(std::string_view name) { return AsciiLowerCase(name); }

int CompareProfileNames(std::string_view a, std::string_view b) {
  return CompareIgnoringAsciiCase(a, b);
}

std::string_view ProfileSectionName(const IniProfile& profile, std::size_t position) {
  const IniProfile::Section& section = profile.sections[position];
  return std::string_view(profile.text).substr(section.name, section.name_size);
}

namespace {

bool NameBefore(std::string_view a, std::string_view b) { return CompareProfileNames(a, b) < 0; }

// The key lines of the section at `position`: from the end of its header
// line to the start of the next header line ("[]" ones included).
std::string_view SectionBody(const IniProfile& profile, std::size_t position) {
  const std::string_view text = profile.text;
  const IniProfile::Section& section = profile.sections[position];
  std::size_t begin = section.name + section.name_size;
  while (begin < text.size() && text[begin] != '\n' && text[begin] != '\r') ++begin;
  if (begin == text.size()) return {};
  std::size_t end = text.size();
  if (position + 1 < profile.sections.size()) {
    // Back from the next name over "  [  " to the start of its line.
    end = profile.sections[position + 1].name;
    while (text[end - 1] == ' ' || text[end - 1] == '\t') --end;
    --end;  // the '['
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  }
  const auto closed = std::upper_bound(profile.closed.begin(), profile.closed.end(),
                                       static_cast<std::uint32_t>(begin));
  if (closed != profile.closed.end() && *closed < end) end = *closed;
  return text.substr(begin, end - begin);
}

// Reads `visit(name, value)` for each key line of `body`; stops when it returns true.
template <typename Visit>
void VisitKeys(std::string_view body, Visit visit) {
  while (!body.empty()) {
    const std::string_view line = TrimBlanks(NextLine(&body));
    if (line.empty() || line.front() == ';') continue;
    const std::size_t equals = line.find('=');
    // A header line never stands in a body; a '[' line without ']' is no key either.
    if (equals == std::string_view::npos || line.front() == '[') continue;
    if (visit(TrimBlanks(line.substr(0, equals)), Unquote(TrimBlanks(line.substr(equals + 1)))))
      return;
  }
}

// The value of `key` in the first section named `section`; false when none.
bool FindKey(const IniProfile& profile, std::string_view section, std::string_view key,
             std::string_view* value) {
  const std::size_t found = FindProfileSection(profile, section);
  if (found == profile.sections.size()) return false;
  key = TrimBlanks(key);
  // Keys stay in file order, so the first of a repeated key wins.
  bool has = false;
  VisitKeys(SectionBody(profile, found), [&](std::string_view name, std::string_view text) {
    has = EqualIgnoringAsciiCase(name, key);
    if (has) *value = text;
    return has;
  });
  return has;
}

}  // namespace

std::size_t FindProfileSection(const IniProfile& profile, std::string_view section) {
  section = TrimBlanks(section);
  // The lookups of one section come one after another: the last answer is kept.
  IniProfile::LastLookup& last = profile.last_lookup;
  if (last.valid && last.name == section) return last.position;
  const auto found =
      std::lower_bound(profile.by_name.begin(), profile.by_name.end(), section,
                       [&](std::uint32_t position, std::string_view name) {
                         return NameBefore(ProfileSectionName(profile, position), name);
                       });
  const bool known = found != profile.by_name.end() &&
                     EqualIgnoringAsciiCase(ProfileSectionName(profile, *found), section);
  last.name.assign(section);
  last.position = known ? *found : profile.sections.size();
  last.valid = true;
  return last.position;
}

void ForEachIgnoredProfileLine(
    const IniProfile& profile, std::size_t position,
    const std::function<void(std::string_view line, const char* why)>& visit) {
  for (std::string_view body = SectionBody(profile, position); !body.empty();) {
    const std::string_view line = TrimBlanks(NextLine(&body));
    if (line.empty() || line.front() == ';') continue;
    if (line.starts_with(kUtf8ByteOrderMark)) {
      visit(line, "a byte-order mark stands before it, so it names no section");
    } else if (line.front() == '[') {
      visit(line, "a '[' without ']' names no section");
    } else if (line.find('=') == std::string_view::npos) {
      visit(line, "it has no '=', so it is no key");
    }
  }
}

void ForEachProfileKey(const IniProfile& profile, std::size_t position,
                       const std::function<void(std::string_view, std::string_view)>& visit) {
  VisitKeys(SectionBody(profile, position), [&](std::string_view name, std::string_view value) {
    visit(name, value);
    return false;
  });
}

namespace {

// A file saved as UTF-16 (a byte-order mark first, little- or big-endian) in
// narrow text, as Windows' profile functions read it; a lone surrogate is
// U+FFFD. Any other text is as it is.
std::string NarrowText(std::string text) {
  const bool little = text.starts_with("\xFF\xFE");
  if (!little && !text.starts_with("\xFE\xFF")) return text;
  std::u16string units;
  units.reserve(text.size() / 2);
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(text[i + 1]);
    units.push_back(static_cast<char16_t>(little ? a | b << 8 : b | a << 8));
  }
  std::string().swap(text);  // a large file is not held three times over
  if (std::optional<std::string> ansi = AnsiText(units)) return *std::move(ansi);
  std::string utf8;
  utf8.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(c, &utf8);
  }
  return utf8;
}

}  // namespace

IniProfile ParseIniProfile(std::string text) {
  IniProfile profile;
  profile.text = NarrowText(std::move(text));
  if (profile.text.size() > UINT32_MAX) return profile;
  std::string_view rest = profile.text;
  if (rest.starts_with(kUtf8ByteOrderMark)) rest.remove_prefix(kUtf8ByteOrderMark.size());
  // As many sections as lines that start with '[', at most: reserved at
  // once, so that growing never holds two copies.
  std::size_t headers = 0;
  for (std::string_view lines = rest; !lines.empty();) {
    const std::string_view line = TrimBlanks(NextLine(&lines));
    if (!line.empty() && line.front() == '[') ++headers;
  }
  profile.sections.reserve(headers);
  const char* const start = profile.text.data();
  while (!rest.empty()) {
    const std::string_view line = TrimBlanks(NextLine(&rest));
    if (line.empty() || line.front() != '[') continue;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) continue;  // not a section line
    const std::string_view name = TrimBlanks(line.substr(1, close - 1));
    if (name.empty()) {
      // Keys after "[]" have no section to go to.
      profile.closed.push_back(static_cast<std::uint32_t>(line.data() - start));
    } else {
      profile.sections.push_back({static_cast<std::uint32_t>(name.data() - start),
                                  static_cast<std::uint32_t>(name.size())});
    }
  }
  profile.by_name.resize(profile.sections.size());
  for (std::size_t i = 0; i < profile.by_name.size(); ++i) {
    profile.by_name[i] = static_cast<std::uint32_t>(i);
  }
  // Only the first section of a name is ever read, as on Windows.
  std::sort(profile.by_name.begin(), profile.by_name.end(), [&](std::uint32_t a, std::uint32_t b) {
    const std::string_view x = ProfileSectionName(profile, a);
    const std::string_view y = ProfileSectionName(profile, b);
    return NameBefore(x, y) || (!NameBefore(y, x) && a < b);
  });
  return profile;
}

IniProfile ReadIniProfile(const std::string& path) {
  std::string text;
  if (ReadWholeFile(path, kTextFileLimit, &text) != ReadFileResult::kOk) {
    return {};
  }
  return ParseIniProfile(std::move(text));
}

bool HasProfileKey(const IniProfile& profile, std::string_view section, std::string_view key) {
  std::string_view value;
  return FindKey(profile, section, key, &value);
}

std::vector<std::string> ProfileSectionNames(const IniProfile& profile) {
  std::vector<std::string> names;
  names.reserve(profile.sections.size());
  for (std::size_t i = 0; i < profile.sections.size(); ++i) {
    names.emplace_back(ProfileSectionName(profile, i));
  }
  return names;
}

std::string ProfileString(const IniProfile& profile, std::string_view section, std::string_view key,
                          std::string_view fallback) {
  std::string_view value;
  return std::string(FindKey(profile, section, key, &value) ? value : fallback);
}

void FindProfileKeys(const IniProfile& profile, std::string_view section,
                     std::span<const std::string_view> keys,
                     std::span<std::optional<std::string_view>> values) {
  for (auto& value : values) value.reset();
  const std::size_t found = FindProfileSection(profile, section);
  if (found == profile.sections.size()) return;
  std::size_t missing = keys.size();
  VisitKeys(SectionBody(profile, found), [&](std::string_view name, std::string_view text) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      // Keys stay in file order, so the first of a repeated key wins.
      if (!values[i] && EqualIgnoringAsciiCase(name, TrimBlanks(keys[i]))) {
        values[i] = text;
        --missing;
      }
    }
    return missing == 0;
  });
}

ProfileIntResult ParseProfileInt(std::optional<std::string_view> text, int fallback, int* value) {
  if (!text) {
    *value = fallback;
    return ProfileIntResult::kOk;
  }
  std::string_view digits = TrimBlanks(*text);  // a quoted value may hold blanks
  if (digits.empty()) {                         // as the Windows function reads it: as if missing
    *value = fallback;
    return ProfileIntResult::kOk;
  }
  // from_chars takes "-" but not "+"; a lone sign or "+-1" must still fail.
  if (digits.front() == '+') {
    digits.remove_prefix(1);
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
      return ProfileIntResult::kMalformed;
  }
  int parsed = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
  if (error != std::errc()) return ProfileIntResult::kMalformed;
  *value = parsed;
  return ProfileIntResult::kOk;
}

ProfileIntResult ProfileInt(const IniProfile& profile, std::string_view section,
                            std::string_view key, int fallback, int* value) {
  std::string_view text;
  return ParseProfileInt(FindKey(profile, section, key, &text) ? std::optional(text) : std::nullopt,
                         fallback, value);
}
