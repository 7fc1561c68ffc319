// Composition-file lookups, with the results the Windows profile functions
// (GetPrivateProfileStringA and its kin) give.
// A file is parsed once into an IniProfile and every lookup is answered from
// memory.
#ifndef SKEDCOMP_COMPOSITION_INI_PROFILE_H_
#define SKEDCOMP_COMPOSITION_INI_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A parsed composition file. It keeps the file's bytes and, per section, only
// where its name stands, so that it takes at most four times the file's size
// in memory however the file is made up; keys are found by reading the
// section's lines again.
struct IniProfile {
  struct Section {
    std::uint32_t name;       // offset in `text` of the name, trimmed; never empty
    std::uint32_t name_size;  // (a file holds at most 4 GiB, far above the input limit)
  };
  std::string text;
  std::vector<Section> sections;      // file order, repeated names included
  std::vector<std::uint32_t> closed;  // offsets of "[]" lines, which end a section too
  // Positions in `sections` by name (case aside), the first of a name first,
  // so that a lookup costs the same with ten sections as with ten thousand.
  std::vector<std::uint32_t> by_name;
  // The last section looked up by name, and where it was found.
  struct LastLookup {
    bool valid = false;
    std::string name;
    std::size_t position = 0;
  };
  mutable LastLookup last_lookup;
};

// The profile of `text`. A file of more than 4 GiB - 1 reads as having no sections.
IniProfile ParseIniProfile(std::string text);

// A missing, unreadable or non-regular file reads as a profile with no sections.
IniProfile ReadIniProfile(const std::string& path);

// The name of the section at `position` (file order).
std::string_view ProfileSectionName(const IniProfile& profile, std::size_t position);

// Calls `visit` with the name and value of each key line of the section at
// `position`, in file order, as the lookups read them.
void ForEachProfileKey(
    const IniProfile& profile, std::size_t position,
    const std::function<void(std::string_view name, std::string_view value)>& visit);

// Calls `visit` with each line of the section at `position` that the
// lookups pass over without a word although it is no comment: a '[' line
// without ']', a line without '=', and why.
void ForEachIgnoredProfileLine(
    const IniProfile& profile, std::size_t position,
    const std::function<void(std::string_view line, const char* why)>& visit);

// The form in which names compare: two section or key names are the same
// name exactly when their keys are equal (ASCII letters without case).
std::string ProfileNameKey(std::string_view name);

// Orders two names as their keys order: below 0, 0 (the same name) or above 0.
int CompareProfileNames(std::string_view a, std::string_view b);

// Position in profile.sections of the first section named `section` (case
// and surrounding blanks aside), or profile.sections.size() when none is.
std::size_t FindProfileSection(const IniProfile& profile, std::string_view section);

// Whether the first section named `section` holds `key`.
bool HasProfileKey(const IniProfile& profile, std::string_view section, std::string_view key);

enum class ProfileIntResult { kOk, kMalformed };

// The values of several keys of the first section named `section`, found in
// one reading of its lines: values[i] is what ProfileString finds for
// keys[i] (pointing into `profile`), or nullopt where the key is missing.
// `values` has the size of `keys`.
void FindProfileKeys(const IniProfile& profile, std::string_view section,
                     std::span<const std::string_view> keys,
                     std::span<std::optional<std::string_view>> values);

// A value (nullopt: a missing key) read as ProfileInt reads it.
ProfileIntResult ParseProfileInt(std::optional<std::string_view> text, int fallback, int* value);

// All section names in file order; a name that stands twice is listed twice.
// (ProfileSectionName reads them one by one without copying them all.)
std::vector<std::string> ProfileSectionNames(const IniProfile& profile);

// The value of `key` in the first section named `section`, or `fallback` when
// the key is missing. Names compare case-insensitively (ASCII) after trimming.
std::string ProfileString(const IniProfile& profile, std::string_view section, std::string_view key,
                          std::string_view fallback);

// The value of `key` as a signed decimal integer: optional sign, at least one
// digit, anything after the digits ignored. A missing key or an empty value
// gives `fallback`. kMalformed when the value does not start that way or does
// not fit an int (the Windows function reads 0 then).
ProfileIntResult ProfileInt(const IniProfile& profile, std::string_view section,
                            std::string_view key, int fallback, int* value);

#endif  // SKEDCOMP_COMPOSITION_INI_PROFILE_H_
