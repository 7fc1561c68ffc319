// Hostile input: huge, binary and odd composition files and names. Each gets
// its result or a clear message; none may crash or hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

const char* const kMessages[] = {
    "Ok\n",
    "Sections not found in .cfg file or .cfg file error!\n",
    "Can't open file .ndx or .pdt!\n",
    "Read error!\n",
    "Too many programs in .ndx file!\n",
    "Damaged .ndx or .pdt file!\n",
    "Too many programs for new base!\n",
    "Wrong timeshift in .cfg file!\n",
    "Can't open file .ndx or .pdt or .log!\n",
    "Write error!\n",
    "New base is too big!\n",
    "Can't convert program time!\n",
};

bool EndsInAMessage(const std::string& out) {
  for (const char* message : kMessages) {
    const std::string line = "Composing guide... " + std::string(message);
    if (out.size() >= line.size() &&
        out.compare(out.size() - line.size(), line.size(), line) == 0) {
      return true;
    }
  }
  return false;
}

class HostileInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBase(dir_ / "a", {{FileTimeOf(2000, 3, 20, 19, 30), "News"},
                           {FileTimeOf(2000, 3, 21, 6, 0), "Morning"}});
  }
  RunResult Compose(const std::string& composition) {
    WriteFile(dir_ / "guide.cfg", composition);
    return RunSkedcomp(dir_.path(), {"guide"});
  }

  TempDir dir_;
};

TEST_F(HostileInputTest, HugeCompositionFiles) {
  struct Case {
    const char* what;
    std::string composition;
    std::string message;
  };
  std::string many_keys = "[a]\n";
  while (many_keys.size() < 10'000'000)
    many_keys += "key" + std::to_string(many_keys.size()) + "=v\n";
  std::string long_line = "[a]\nrange1=";
  while (long_line.size() < 1'000'000) long_line += "19:00-20:00, ";
  long_line += "\nrange2=\n";
  std::string same_sections;
  for (int i = 0; i < 10'000; ++i) same_sections += "[a]\nrange1=\nrange2=\n";
  std::string missing_sections;
  for (int i = 0; i < 10'000; ++i) missing_sections += "[missing" + std::to_string(i) + "]\n";
  const Case cases[] = {
      {"10 MB of keys", many_keys, "Ok\n"},
      {"a 1 MB range list", long_line, "Too many programs for new base!\n"},
      {"10,000 sections of one channel", same_sections, "Ok\n"},
      {"10,000 sections of missing channels", missing_sections, "Can't open file .ndx or .pdt!\n"},
  };
  for (const Case& entry : cases) {
    const RunResult run = Compose(entry.composition);
    EXPECT_EQ(run.out, kBanner + "Composing guide... " + entry.message) << entry.what;
  }
}

TEST_F(HostileInputTest, ZeroBytes) {
  // A zero byte in a section name must not cut the path short and open "a".
  EXPECT_EQ(Compose(std::string("[a\0b]\n", 6)).out,
            kBanner + "Composing guide... Can't open file .ndx or .pdt!\n");
  // In a value it ends the text, as it does for the Windows functions.
  ASSERT_EQ(Compose(std::string("[a]\nrange1=19:00-20:00\0 6:00-7:00\nrange2=\n", 41)).exit_code,
            0);
  EXPECT_EQ(ReadFile(dir_ / "guide.log"), kLogHeader + "20 3 2000 19 30 1\r\nNews\r\n");
}

TEST_F(HostileInputTest, BinaryGarbage) {
  std::mt19937 random(7);
  for (int i = 0; i < 40; ++i) {
    std::string garbage(static_cast<std::size_t>(random() % 70'000), '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    if (i % 2 == 0) garbage = "[a]\n" + garbage;  // garbage keys for a real channel
    const RunResult run = Compose(garbage);
    EXPECT_TRUE(run.exit_code == 0 || run.exit_code == 1) << "blob " << i;
    EXPECT_TRUE(EndsInAMessage(run.out)) << "blob " << i << ": " << run.out;
  }
}

TEST_F(HostileInputTest, OddNames) {
  std::string relative;
  for (int i = 0; i < 12; ++i) {
    relative += std::string(240, static_cast<char>('a' + i)) + "/";
  }
  std::filesystem::create_directories(dir_ / relative);
  for (const std::string& name :
       {std::string("my guide"),
        std::string("gu\xE9"
                    "de"),
        std::string("-guide"), std::string("--helper"), relative + "guide"}) {
    WriteFile(dir_ / (name + ".cfg"), "[a]\n");
    const RunResult run = RunSkedcomp(dir_.path(), {name});
    EXPECT_EQ(run.out, kBanner + "Composing " + name + "... Ok\n") << name.size();
    EXPECT_EQ(ReadFile(dir_ / (name + ".log")),
              kLogHeader + "20 3 2000 19 30 1\r\nNews\r\n21 3 2000 6 0 2\r\nMorning\r\n");
  }
}

}  // namespace
