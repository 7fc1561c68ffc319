// INI reading and the three lookups on arbitrary text.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/ini_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniProfile profile = ParseIniProfile(text);
  const std::vector<std::string> names = platform::GetPrivateProfileSectionNamesA(profile);
  FUZZ_CHECK(names.size() == profile.sections.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    FUZZ_CHECK(!name.empty() && name.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(name.front() != ' ' && name.front() != '\t');
    // Every lookup of a name reads its first section.
    const std::size_t first = FindProfileSection(profile, name);
    FUZZ_CHECK(first <= i && ProfileNameKey(profile.sections[first].name) == ProfileNameKey(name));
    for (const IniKey& key : profile.sections[i].keys) {
      FUZZ_CHECK(key.name.find_first_of("\r\n") == std::string::npos);
      const bool found = HasProfileKey(profile, name, key.name);
      const std::string value = platform::GetPrivateProfileStringA(profile, name, key.name, "");
      if (first == i) {
        FUZZ_CHECK(found);
        int number = 0;
        platform::GetPrivateProfileIntA(profile, name, key.name, 7, &number);
      }
      if (!found) FUZZ_CHECK(value.empty());
    }
    int shift = 0;
    platform::GetPrivateProfileIntA(profile, name, "timeshift", 0, &shift);
  }
  FUZZ_CHECK(platform::GetPrivateProfileStringA(profile, "", "range1", "d") == "d");
  return 0;
}
