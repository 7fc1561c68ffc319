// INI reading and the three lookups on arbitrary text.
#include <cstdint>
#include <string>
#include <string_view>

#include "composition/ini_profile.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniProfile profile = ParseIniProfile(std::string(text));
  const std::vector<std::string> names = ProfileSectionNames(profile);
  FUZZ_CHECK(names.size() == profile.sections.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    FUZZ_CHECK(!name.empty() && name.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(name.front() != ' ' && name.front() != '\t');
    // Every lookup of a name reads its first section.
    const std::size_t first = FindProfileSection(profile, name);
    FUZZ_CHECK(first <= i &&
               ProfileNameKey(ProfileSectionName(profile, first)) == ProfileNameKey(name));
    ForEachProfileKey(profile, i, [&](std::string_view key, std::string_view) {
      FUZZ_CHECK(key.find_first_of("\r\n") == std::string::npos);
      const bool found = HasProfileKey(profile, name, key);
      const std::string value = ProfileString(profile, name, key, "");
      if (first == i) {
        FUZZ_CHECK(found);
        int number = 0;
        ProfileInt(profile, name, key, 7, &number);
      }
      if (!found) FUZZ_CHECK(value.empty());
    });
    int shift = 0;
    ProfileInt(profile, name, "timeshift", 0, &shift);
  }
  FUZZ_CHECK(ProfileString(profile, "", "range1", "d") == "d");
  return 0;
}
