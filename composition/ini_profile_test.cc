#include "composition/ini_profile.h"

#include <gtest/gtest.h>

#include "platform/names.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

std::string Lookup(std::string_view text, std::string_view section, std::string_view key) {
  return ProfileString(ParseIniProfile(std::string(text)), section, key, "<default>");
}

TEST(IniProfileTest, SectionListFollowsFileOrder) {
  struct Case {
    std::string_view text;
    Names names;
  };
  const Case cases[] = {
      {"", {}},
      {"key=1\n", {}},
      {"[one]\n[two]\n[one]\n", {"one", "two", "one"}},
      {"[one]\r\n[two]\r\n", {"one", "two"}},
      {"[one]\r[two]\r", {"one", "two"}},
      {"\xEF\xBB\xBF[one]\n", {"one"}},
      {"  [ spaced name ]  \n", {"spaced name"}},
      {"[a]b] trailing\n", {"a]b"}},
      {"[..\\bases\\one]\n", {"..\\bases\\one"}},
      {"[Caf\xE9]\n", {"Caf\xE9"}},
      {"[]\n[ \t]\n[kept]\n", {"kept"}},
      {"[broken\n[kept]\n", {"kept"}},
      {";[comment]\n  ; [comment]\n#[not]\n", {}},
      {"[last]", {"last"}},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(ProfileSectionNames(ParseIniProfile(std::string(entry.text))), entry.names)
        << entry.text;
  }
}

TEST(IniProfileTest, ValuesAreReadAsTheProfileFunctionsReadThem) {
  struct Case {
    std::string_view text;
    std::string_view section;
    std::string_view key;
    std::string_view value;
  };
  const Case cases[] = {
      {"[c]\nrange1=6:00-9:00\n", "c", "range1", "6:00-9:00"},
      {"[c]\r\nrange1=6:00-9:00\r\nrange2=1-2\r\n", "c", "range2", "1-2"},
      {"[c]\rrange1=1-2\rrange2=3-4", "c", "range2", "3-4"},
      {"[c]\n \trange1 \t= \t6:00 \t\n", "c", "range1", "6:00"},
      {"[c]\nrange1=6:00-9:00 ; evening\n", "c", "range1", "6:00-9:00 ; evening"},
      {"[c]\nrange1=a=b\n", "c", "range1", "a=b"},
      {"[c]\nrange1=\"6:00-9:00\"\n", "c", "range1", "6:00-9:00"},
      {"[c]\nrange1='6:00-9:00'\n", "c", "range1", "6:00-9:00"},
      {"[c]\nrange1=\"6:00'\n", "c", "range1", "\"6:00'"},
      {"[c]\nrange1=\"\n", "c", "range1", "\""},
      {"[c]\nrange1=\"\"\n", "c", "range1", ""},
      {"[c]\nrange1=\n", "c", "range1", ""},
      {"[c]\nrange1\n", "c", "range1", "<default>"},
      {"[c]\n;range1=1-2\n", "c", "range1", "<default>"},
      {"[c]\n#range1=1-2\n", "c", "#range1", "1-2"},
      {"[c]\nrange1=1-2\nrange1=3-4\n", "c", "range1", "1-2"},
      {"[c]\nRANGE1=1-2\n", "c", "range1", "1-2"},
      {"[Chan]\nrange1=1-2\n", "CHAN", "Range1", "1-2"},
      {"[c]\nrange1=1-2\n", "  c\t", " range1 ", "1-2"},
      {"[c]\nrange1=\xE9t\xE9\n", "c", "range1", "\xE9t\xE9"},
      {"range1=1-2\n[c]\n", "c", "range1", "<default>"},
      {"[c]\n[broken\nrange1=1-2\n", "c", "range1", "1-2"},
      {"[c]\n[]\nrange1=1-2\n", "c", "range1", "<default>"},
      {"[c]\nrange1=1-2\n[c]\nrange1=3-4\nrange2=5-6\n", "c", "range2", "<default>"},
      {"[c]\nrange1=1-2\n", "d", "range1", "<default>"},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(Lookup(entry.text, entry.section, entry.key), entry.value)
        << "[" << entry.section << "] " << entry.key << " in: " << entry.text;
    // Read together with others in one pass, each key finds the same.
    const IniProfile profile = ParseIniProfile(std::string(entry.text));
    const std::string_view keys[] = {"range2", entry.key, "timeshift"};
    std::optional<std::string_view> values[std::size(keys)];
    FindProfileKeys(profile, entry.section, keys, values);
    for (std::size_t i = 0; i < std::size(keys); ++i) {
      EXPECT_EQ(values[i].value_or("<default>"), Lookup(entry.text, entry.section, keys[i]))
          << keys[i] << " with others in: " << entry.text;
    }
  }
}

// A file saved as UTF-16 (as Notepad may) reads as its text does: names in
// UTF-8 here, in the ANSI page on Windows (which the comparison with Windows'
// own functions checks).
TEST(IniProfileTest, Utf16FilesReadAsTheirText) {
  const std::u16string text = u"[one]\r\nrange1=18:00-24:00\r\n[Caf\u00E9]\r\ntimeshift=-1\r\n";
  std::string little = "\xFF\xFE";
  std::string big = "\xFE\xFF";
  for (const char16_t unit : text) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const bool utf8 = !AnsiText(u"").has_value();
  const std::string cafe = utf8 ? "Caf\xC3\xA9" : "Caf\xE9";
  for (const std::string& file : {little, big}) {
    const IniProfile profile = ParseIniProfile(file);
    EXPECT_EQ(ProfileSectionNames(profile), (Names{"one", cafe}));
    EXPECT_EQ(ProfileString(profile, "one", "range1", ""), "18:00-24:00");
    EXPECT_EQ(ProfileString(profile, cafe, "timeshift", ""), "-1");
  }
  // A lone surrogate is no character; what follows it reads on.
  const std::string lone("\xFF\xFE[\0a\0\x00\xD8]\0", 10);
  EXPECT_EQ(ProfileSectionNames(ParseIniProfile(lone)), (Names{utf8 ? "a\xEF\xBF\xBD" : "a?"}));
}

TEST(IniProfileTest, LongValuesAndNamesAreReadWhole) {
  const std::string value(100'000, '7');
  const std::string section(10'000, 's');
  EXPECT_EQ(Lookup("[" + section + "]\nrange1=" + value + "\n", section, "range1"), value);
}

TEST(IniProfileTest, IntegerValues) {
  struct Case {
    std::string_view text;  // the section's lines
    ProfileIntResult result;
    int value;
  };
  const Case cases[] = {
      {"", ProfileIntResult::kOk, 99},              // missing: the fallback
      {"timeshift=\n", ProfileIntResult::kOk, 99},  // empty: as if missing
      {"timeshift=\"\"\n", ProfileIntResult::kOk, 99},
      {"timeshift=2\n", ProfileIntResult::kOk, 2},
      {"timeshift=-3\n", ProfileIntResult::kOk, -3},
      {"timeshift=+4\n", ProfileIntResult::kOk, 4},
      {"timeshift= 5 \n", ProfileIntResult::kOk, 5},
      {"timeshift=2 ; CET\n", ProfileIntResult::kOk, 2},
      {"timeshift=007\n", ProfileIntResult::kOk, 7},
      {"timeshift=-2147483648\n", ProfileIntResult::kOk, -2147483647 - 1},
      {"timeshift=abc\n", ProfileIntResult::kMalformed, 0},
      {"timeshift=two\n", ProfileIntResult::kMalformed, 0},
      {"timeshift=+\n", ProfileIntResult::kMalformed, 0},
      {"timeshift=-\n", ProfileIntResult::kMalformed, 0},
      {"timeshift=+-1\n", ProfileIntResult::kMalformed, 0},
      {"timeshift=- 1\n", ProfileIntResult::kMalformed, 0},
      {"timeshift=2147483648\n", ProfileIntResult::kMalformed, 0},
  };
  for (const Case& entry : cases) {
    const IniProfile profile = ParseIniProfile("[c]\n" + std::string(entry.text));
    int value = 0;
    const ProfileIntResult result = ProfileInt(profile, "c", "timeshift", 99, &value);
    EXPECT_EQ(result, entry.result) << entry.text;
    if (result == ProfileIntResult::kOk) {
      EXPECT_EQ(value, entry.value) << entry.text;
    }
  }
}

TEST(IniProfileTest, UnreadableFilesHaveNoSections) {
  TempDir dir;
  WriteFile(dir / "good.cfg", "[one]\n");
  MakeDirectory(dir / "dir.cfg");
  EXPECT_EQ(ProfileSectionNames(ReadIniProfile(dir / "good.cfg")), Names{"one"});
  EXPECT_EQ(ProfileSectionNames(ReadIniProfile(dir / "missing.cfg")), Names{});
  EXPECT_EQ(ProfileSectionNames(ReadIniProfile(dir / "dir.cfg")), Names{});
}

}  // namespace
