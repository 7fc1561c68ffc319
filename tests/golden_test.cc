// Every command on the shipped examples against the files kept beside this
// test: tests/golden/example (the guide's bytes) and tests/golden/commands,
// one file a case: its command line, exit code, standard output and error.
// `cmake --build build --target rewrite_golden` writes them anew from the
// programs as they are, after an intended change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

const std::string kExamples = SKEDCOMP_EXAMPLES_DIR;
const std::string kGolden = SKEDCOMP_GOLDEN_DIR;

// A folder as the build lays out the examples: the listings, composition
// files and XMLTV sample, the bases made from the listings, the guide composed.
void LayOutExamples(const TempDir& dir) {
  std::filesystem::create_directories(dir / "bases");
  std::filesystem::create_directories(dir / "imported");
  std::filesystem::create_directories(dir / "xmltv");
  for (const char* channel : {"one", "kino", "sport", "kids"}) {
    const std::string listing = std::string(channel) + ".listing";
    WriteFile(dir / listing, ReadFile(kExamples + "/" + listing));
    const RunResult made =
        RunSkedtool(dir.path(), {"make", std::string("bases/") + channel, listing});
    ASSERT_EQ(made.exit_code, 0) << made.err;
  }
  for (const char* file : {"guide.cfg", "mistakes.cfg", "xmltv/sample.xml", "xmltv/faults.xml"}) {
    WriteFile(dir / file, ReadFile(kExamples + "/" + file));
  }
  ASSERT_EQ(RunSkedcomp(dir.path(), {"guide"}).exit_code, 0);
}

TEST(GoldenTest, ExampleGuide) {
  TempDir dir;
  LayOutExamples(dir);
  const std::string golden = kGolden + "/example/";
  EXPECT_EQ(ReadFile(dir / "guide.log"), ReadFile(golden + "guide.log"));
  EXPECT_EQ(RunSkedtool(dir.path(), {"dump", "guide"}).out, ReadFile(golden + "guide.listing"));
  // The listing is the guide's bytes: made back, it gives the same base.
  ASSERT_EQ(RunSkedtool(dir.path(), {"make", "again", golden + "guide.listing"}).exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "again.ndx"), ReadFile(dir / "guide.ndx"));
  EXPECT_EQ(ReadFile(dir / "again.pdt"), ReadFile(dir / "guide.pdt"));
}

struct Case {
  std::vector<std::string> command;  // the program's name first
  std::string text;                  // the whole file, as it should be
};

std::string Section(const std::string& name, const std::string& bytes) {
  return "--- " + name + ": " + std::to_string(bytes.size()) + " bytes\n" + bytes + "\n";
}

// Runs the command line that stands first in `file` ("$ skedtool dump guide")
// and gives the file as the run would write it.
Case RunCase(const TempDir& dir, const std::string& file) {
  Case result;
  const std::string old = ReadFile(file);
  std::istringstream line(old.substr(2, old.find('\n') - 2));
  for (std::string word; line >> word;) result.command.push_back(word);
  const std::vector<std::string> args(result.command.begin() + 1, result.command.end());
  RunResult run = result.command[0] == "skedcomp" ? RunSkedcomp(dir.path(), args)
                                                  : RunSkedtool(dir.path(), args);
  for (std::string* text : {&run.out, &run.err}) {
    // Paths are written as the system writes them: the current folder, and
    // the path check names a section's base by.
    for (std::size_t at; (at = text->find(".\\")) != std::string::npos;) text->replace(at, 2, "./");
    for (std::size_t at = 0; (at = text->find("\n  base ", at)) != std::string::npos; ++at) {
      for (std::size_t k = at + 8; k < text->size() && (*text)[k] != ':'; ++k) {
        if ((*text)[k] == '\\') (*text)[k] = '/';
      }
    }
  }
  result.text = old.substr(0, old.find('\n') + 1) + "exit " + std::to_string(run.exit_code) + "\n" +
                Section("stdout", run.out) + Section("stderr", run.err);
  return result;
}

// The cases of tests/golden/commands, those of the XMLTV commands and of
// `--help`, which lists them (a build without XMLTV leaves them out), or the
// others.
void RunCases(bool xmltv) {
  const bool rewrite = std::getenv("SKEDCOMP_REWRITE_GOLDEN") != nullptr;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(kGolden + "/commands")) {
    std::istringstream first_line(ReadFile(entry.path().string()));
    std::string prompt, tool, command;
    first_line >> prompt >> tool >> command;
    const bool of_xmltv = IsXmltvCommand(command) || command == "--help";
    if (of_xmltv == xmltv) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 2u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    TempDir dir;
    LayOutExamples(dir);
    const Case run = RunCase(dir, file);
    if (rewrite) {
      WriteFile(file, run.text);
    } else {
      EXPECT_EQ(run.text, ReadFile(file));
    }
  }
}

TEST(GoldenTest, EveryCommandOnTheExamples) { RunCases(false); }

TEST(GoldenTest, EveryXmltvCommandOnTheExamples) {
  if (!kToolHasXmltv) GTEST_SKIP() << kNoXmltvReason;
  RunCases(true);
}

// The README's examples of output are quoted from the golden files: a block
// after "<!-- quoted from tests/golden/commands/NAME.txt -->" holds only lines
// that the file holds, so that the README cannot drift from what runs.
TEST(GoldenTest, TheReadmeQuotesThem) {
  std::istringstream readme(ReadFile(kExamples + "/../README.md"));
  const std::string marker = "<!-- quoted from tests/golden/";
  int quotes = 0;
  std::string golden;  // the lines of the file being quoted, or "" outside a quote
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind(marker, 0) == 0) {
      golden =
          "\n" +
          ReadFile(kGolden + "/" + line.substr(marker.size(), line.find(" -->") - marker.size())) +
          "\n";
      ++quotes;
    } else if (!golden.empty() && line.rfind("    ", 0) == 0) {
      EXPECT_NE(golden.find("\n" + line.substr(4) + "\n"), std::string::npos) << line;
    } else if (!golden.empty() && !line.empty()) {
      golden.clear();  // the block has ended
    }
  }
  EXPECT_GE(quotes, 1);
}

}  // namespace
