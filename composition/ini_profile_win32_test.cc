// Our INI reader against the kernel32 functions it stands in for: the same
// files, the same lookups, the same answers, but for a short list of
// deliberate differences.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "composition/ini_profile.h"
#include "tests/test_support.h"

namespace {

struct IniCase {
  std::string what;
  std::string text;
};

// The one deliberate difference: a value read as a number that does not
// begin as one, or does not fit, is 0 to kernel32 but refused by ours, so
// that the composer stops with "Wrong timeshift in .cfg file!" instead of
// silently shifting by 0 hours.
constexpr std::string_view kRefused = ", ours refuses it";

std::vector<IniCase> GeneratedCases() {
  return {
      {"plain", "[one]\nrange1=6:00-9:00\ntimeshift=2\n"},
      {"two sections", "[one]\nrange1=1-2\n[two]\nrange2=3-4\n"},
      {"CR LF", "[one]\r\nrange1=1-2\r\n[two]\r\ntimeshift=-3\r\n"},
      {"lone CR", "[one]\rrange1=1-2\r[two]\rtimeshift=4\r"},
      {"mixed line ends", "[one]\r\nrange1=1-2\n[two]\rrange2=5-6\r\n"},
      {"no final line end", "[one]\nrange1=1-2"},
      {"blanks around names and values", "  [ one ]  \n  range1  =  1-2  \n\ttimeshift\t=\t3\t\n"},
      {"letter case", "[One]\nRANGE1=1-2\nTimeShift=5\n"},
      {"double quotes", "[one]\nrange1=\"6:00-9:00\"\nrange2=\" 1-2 \"\n"},
      {"single quotes", "[one]\nrange1='6:00-9:00'\n"},
      {"unmatched quotes", "[one]\nrange1=\"6:00-9:00\nrange2=6:00\"\nrange3='1-2\"\n"},
      {"quote inside", "[one]\nrange1=a\"b\"c\n"},
      {"comment lines", "; first\n[one]\n; range1=1-2\nrange2=3-4\n"},
      {"semicolon later", "[one]\nrange1=1-2 ; evenings\ntimeshift=2 ; CET\n"},
      {"empty values", "[one]\nrange1=\nrange2=  \ntimeshift=\n"},
      {"key without =", "[one]\nrange1\nrange2=1-2\n"},
      {"blank key name", "[one]\n=value\n  =other\nrange1=1-2\n"},
      {"= in value", "[one]\nrange1=a=b\n"},
      {"repeated key", "[one]\nrange1=1-2\nrange1=3-4\nRANGE1=5-6\n"},
      {"repeated section", "[one]\nrange1=1-2\n[two]\n[one]\nrange1=3-4\nrange2=7-8\n"},
      {"repeated section, other case", "[one]\n[ONE]\nrange1=3-4\n"},
      {"keys before any section", "range1=1-2\n[one]\nrange2=3-4\n"},
      {"empty section name", "[]\nrange1=1-2\n[one]\n"},
      {"blank section name", "[  ]\nrange1=1-2\n[one]\n"},
      {"bracket without close", "[one\nrange1=1-2\n[two]\n"},
      {"text after close", "[one] trailing\nrange1=1-2\n"},
      {"two closing brackets", "[a]b]\nrange1=1-2\n"},
      {"bracket in key", "[one]\nrange[1]=x\n"},
      {"section with path", "[..\\bases\\one]\nrange1=1-2\n[c:/x/y]\n"},
      {"high bytes", "[Caf\xE9]\nrange1=T\xE9l\xE9\nkey\xA0=\xFF\xFE\n"},
      {"tabs in values", "[one]\nrange1=1-2\t3-4\n"},
      {"blank lines only", "\n\n  \n\t\n"},
      {"empty file", ""},
      {"timeshift forms", "[a]\ntimeshift=+4\n[b]\ntimeshift=-0\n[c]\ntimeshift=007\n"},
      {"timeshift with text", "[a]\ntimeshift=1:30\n[b]\ntimeshift=2h\n[c]\ntimeshift= 3 \n"},
      {"timeshift no number", "[a]\ntimeshift=two\n[b]\ntimeshift=+\n[c]\ntimeshift=--1\n"},
      {"timeshift too large", "[a]\ntimeshift=99999999999\n[b]\ntimeshift=-2147483649\n"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[one]\nrange1=1-2\n"},
      {"byte-order mark alone", "\xEF\xBB\xBF"},
      {"key before the byte-order mark's section", "\xEF\xBB\xBFrange1=1-2\n[one]\n"},
      {"UTF-16LE", std::string("\xFF\xFE[\0o\0n\0e\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n\0", 26)},
      {"UTF-16BE", std::string("\xFE\xFF\0[\0o\0n\0e\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n", 26)},
  };
}

std::vector<IniCase> Corpus() {
  std::vector<IniCase> cases = GeneratedCases();
  for (const char* folder : {SKEDCOMP_FUZZ_CORPUS_DIR "/ini_profile", SKEDCOMP_EXAMPLES_DIR}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (folder == std::string(SKEDCOMP_EXAMPLES_DIR) && !name.ends_with(".cfg")) continue;
      cases.push_back({name, ReadFile(entry.path().string())});
    }
  }
  return cases;
}

std::vector<std::string> SplitList(const char* list) {
  std::vector<std::string> names;
  for (const char* name = list; *name != '\0'; name += std::strlen(name) + 1) {
    names.emplace_back(name);
  }
  return names;
}

// Every answer on which the two readers differ, one line each.
std::vector<std::string> Differences(const std::string& path, const std::string& text) {
  std::vector<std::string> found;
  const IniProfile ours = ParseIniProfile(text);
  std::vector<char> area(4000);
  ::GetPrivateProfileSectionNamesA(area.data(), static_cast<DWORD>(area.size()), path.c_str());
  const std::vector<std::string> theirs = SplitList(area.data());
  const std::vector<std::string> our_names = ProfileSectionNames(ours);
  if (theirs != our_names) {
    std::string line = "sections: kernel32";
    for (const std::string& name : theirs) line += " [" + name + "]";
    line += ", ours";
    for (const std::string& name : our_names) line += " [" + name + "]";
    found.push_back(line);
  }

  std::set<std::string> sections(theirs.begin(), theirs.end());
  sections.insert(our_names.begin(), our_names.end());
  std::set<std::string> keys = {"range1",  "range2",   "range3", "timeshift",
                                "missing", " range1 ", "RANGE1"};
  for (std::size_t i = 0; i < ours.sections.size(); ++i) {
    sections.emplace(ProfileSectionName(ours, i));
    ForEachProfileKey(ours, i, [&](std::string_view key, std::string_view) { keys.emplace(key); });
  }
  for (const std::string& section : sections) {
    for (const std::string& key : keys) {
      std::vector<char> value(2000);
      ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", value.data(),
                                 static_cast<DWORD>(value.size()), path.c_str());
      const std::string our_value = ProfileString(ours, section, key, "<none>");
      if (our_value != value.data()) {
        found.push_back("[" + section + "] " + key + ": kernel32 \"" + value.data() +
                        "\", ours \"" + our_value + "\"");
      }
      int our_number = 0;
      const UINT number = ::GetPrivateProfileIntA(section.c_str(), key.c_str(), 99, path.c_str());
      if (ProfileInt(ours, section, key, 99, &our_number) != ProfileIntResult::kOk) {
        found.push_back("[" + section + "] " + key + " as a number: kernel32 " +
                        std::to_string(static_cast<int>(number)) + std::string(kRefused));
      } else if (static_cast<int>(number) != our_number) {
        found.push_back("[" + section + "] " + key + " as a number: kernel32 " +
                        std::to_string(static_cast<int>(number)) + ", ours " +
                        std::to_string(our_number));
      }
    }
  }
  return found;
}

TEST(IniProfileWin32Test, AnswersAsTheWindowsFunctions) {
  TempDir dir;
  int file = 0;
  int refused = 0;
  for (const IniCase& entry : Corpus()) {
    // A new file each time: kernel32 keeps the last file it read in memory.
    const std::string path =
        std::filesystem::absolute(dir / ("case" + std::to_string(file++) + ".ini")).string();
    WriteFile(path, entry.text);
    for (const std::string& difference : Differences(path, entry.text)) {
      if (difference.ends_with(kRefused)) {
        ++refused;
      } else {
        ADD_FAILURE() << entry.what << ": " << difference;
      }
    }
  }
  // The deliberate difference is there to be seen, or this test tests nothing of it.
  EXPECT_GT(refused, 0);
  std::printf("[ deliberate ] %d numbers kernel32 reads as 0 and ours refuses\n", refused);
}

}  // namespace
