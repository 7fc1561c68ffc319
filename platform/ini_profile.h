// Composition-file lookups standing in for the Windows profile functions.
// A file is parsed once into an IniProfile and every lookup is answered from
// memory, with the results the Windows functions give for the same bytes.
#ifndef SKEDCOMP_PLATFORM_INI_PROFILE_H_
#define SKEDCOMP_PLATFORM_INI_PROFILE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct IniKey {
  std::string name;
  std::string value;
};

struct IniSection {
  std::string name;  // as written, trimmed; never empty
  std::vector<IniKey> keys;
};

struct IniProfile {
  std::vector<IniSection> sections;  // file order, repeated names included
  // ASCII-lowercased name -> position of the first section of that name, so a
  // lookup costs the same with ten sections as with ten thousand.
  std::unordered_map<std::string, std::size_t> first_section;
};

IniProfile ParseIniProfile(std::string_view text);

// A missing, unreadable or non-regular file reads as a profile with no sections.
IniProfile ReadIniProfile(const std::string& path);

// The form in which names compare: two section or key names are the same
// name exactly when their keys are equal (ASCII letters without case).
std::string ProfileNameKey(std::string_view name);

// Position in profile.sections of the first section named `section` (case
// and surrounding blanks aside), or profile.sections.size() when none is.
std::size_t FindProfileSection(const IniProfile& profile, std::string_view section);

// Whether the first section named `section` holds `key`.
bool HasProfileKey(const IniProfile& profile, std::string_view section, std::string_view key);

enum class ProfileIntResult { kOk, kMalformed };

// The three lookups keep the names of the Windows functions they stand in
// for, in a namespace of their own so that they never meet <windows.h>'s.
namespace platform {

// All section names in file order; a name that stands twice is listed twice.
std::vector<std::string> GetPrivateProfileSectionNamesA(const IniProfile& profile);

// The value of `key` in the first section named `section`, or `fallback` when
// the key is missing. Names compare case-insensitively (ASCII) after trimming.
std::string GetPrivateProfileStringA(const IniProfile& profile, std::string_view section,
                                     std::string_view key, std::string_view fallback);

// The value of `key` as a signed decimal integer: optional sign, at least one
// digit, anything after the digits ignored. A missing key or an empty value
// gives `fallback`. kMalformed when the value does not start that way or does
// not fit an int (the Windows function reads 0 then).
ProfileIntResult GetPrivateProfileIntA(const IniProfile& profile, std::string_view section,
                                       std::string_view key, int fallback, int* value);

}  // namespace platform

#endif  // SKEDCOMP_PLATFORM_INI_PROFILE_H_
