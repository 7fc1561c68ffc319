#include "platform/ini_profile.h"

#include <charconv>
#include <cstddef>
#include <limits>

#include "platform/read_file.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Splits off the next line; LF, CR LF and a lone CR all end a line.
std::string_view NextLine(std::string_view* text) {
  const std::size_t end = text->find_first_of("\r\n");
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

std::string ProfileNameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = AsciiLower(c);
  return key;
}

std::size_t FindProfileSection(const IniProfile& profile, std::string_view section) {
  const auto found = profile.first_section.find(ProfileNameKey(Trim(section)));
  return found == profile.first_section.end() ? profile.sections.size() : found->second;
}

namespace {

const IniKey* FindKey(const IniProfile& profile, std::string_view section, std::string_view key) {
  const std::size_t found = FindProfileSection(profile, section);
  if (found == profile.sections.size()) return nullptr;
  key = Trim(key);
  // Keys stay in file order, so the first of a repeated key wins.
  for (const IniKey& entry : profile.sections[found].keys) {
    if (NamesEqual(entry.name, key)) return &entry;
  }
  return nullptr;
}

}  // namespace

IniProfile ParseIniProfile(std::string_view text) {
  IniProfile profile;
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  // Keys before the first section, or under "[]", have no section to go to.
  IniSection* current = nullptr;
  while (!text.empty()) {
    const std::string_view line = Trim(NextLine(&text));
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close == std::string_view::npos) continue;  // not a section line
      const std::string_view name = Trim(line.substr(1, close - 1));
      if (name.empty()) {
        current = nullptr;
      } else {
        // Only the first section of a name is ever read, as on Windows.
        profile.first_section.try_emplace(ProfileNameKey(name), profile.sections.size());
        current = &profile.sections.emplace_back(IniSection{std::string(name), {}});
      }
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || current == nullptr) continue;
    current->keys.push_back(IniKey{std::string(Trim(line.substr(0, equals))),
                                   std::string(Unquote(Trim(line.substr(equals + 1))))});
  }
  return profile;
}

IniProfile ReadIniProfile(const std::string& path) {
  std::string text;
  if (ReadWholeFile(path, kTextFileLimit, &text) != ReadFileResult::kOk) {
    return {};
  }
  return ParseIniProfile(text);
}

bool HasProfileKey(const IniProfile& profile, std::string_view section, std::string_view key) {
  return FindKey(profile, section, key) != nullptr;
}

namespace platform {

std::vector<std::string> GetPrivateProfileSectionNamesA(const IniProfile& profile) {
  std::vector<std::string> names;
  names.reserve(profile.sections.size());
  for (const IniSection& section : profile.sections) names.push_back(section.name);
  return names;
}

std::string GetPrivateProfileStringA(const IniProfile& profile, std::string_view section,
                                     std::string_view key, std::string_view fallback) {
  const IniKey* entry = FindKey(profile, section, key);
  return std::string(entry != nullptr ? std::string_view(entry->value) : fallback);
}

ProfileIntResult GetPrivateProfileIntA(const IniProfile& profile, std::string_view section,
                                       std::string_view key, int fallback, int* value) {
  const IniKey* entry = FindKey(profile, section, key);
  if (entry == nullptr) {
    *value = fallback;
    return ProfileIntResult::kOk;
  }
  std::string_view text = Trim(entry->value);  // a quoted value may hold blanks
  if (text.empty()) {                          // as the Windows function reads it: as if missing
    *value = fallback;
    return ProfileIntResult::kOk;
  }
  // from_chars takes "-" but not "+"; a lone sign or "+-1" must still fail.
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9')
      return ProfileIntResult::kMalformed;
  }
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc()) return ProfileIntResult::kMalformed;
  *value = parsed;
  return ProfileIntResult::kOk;
}

}  // namespace platform
