// A writer stopped after each of its steps in turn, as a kill would stop it,
// and then every command as the next run: each reader reads one version of
// the base (the new one once the stop fell past the commit) and writes
// nothing; each writer mends the base first and leaves no file of ours.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_replace.h"
#include "tests/faulty_file_ops.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

// Versions that every reader tells apart: other titles, times and days.
std::vector<BaseEntry> Programmes(const std::string& title, int day = 7) {
  return {{FileTimeOf(2026, 12, day, 6, 0), title + " at six"},
          {FileTimeOf(2026, 12, day, 20, 15), title + " in the evening"}};
}

struct Reader {
  const char* what;
  Names args;
  bool composer = false;   // skedcomp, whose guide is written elsewhere
  bool as_nobody = false;  // as another user, who may not write the folder (POSIX as root)
};

class StoppedRunTest : public ::testing::Test {
 protected:
  // The base g of `dir` as a writer left it, stopped before its `stop`th
  // file operation (0: not stopped); with or without an exchange of names.
  void StopWriter(const TempDir& dir, int stop, bool exchange, int* steps = nullptr) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    WriteBase(dir / "g", Programmes("Old"));
    WriteFile(dir / "guide.cfg", "[g]\n");
    MakeDirectory(dir / "out");
    WriteFile(dir / "out/guide.cfg", "[../g]\n");
    WriteBase(dir / "out/f", Programmes("Other"));
    std::vector<BaseEntry> programmes = Programmes("New", 8);
    programmes.push_back({FileTimeOf(2026, 12, 9, 23, 45), "New late"});
    const std::string index = IndexFileBytes(programmes);
    const std::string titles = TitleFileBytes(programmes);
    const FileReplacement files[] = {{dir / "g.ndx", index}, {dir / "g.pdt", titles}};
    FileFaults faults;
    faults.stop_at = stop;
    faults.no_exchange = faults.no_links = !exchange;
    ReplaceReport report;
    {
      FaultyFileOps faulty(&faults);
      ReplaceFiles(files, &report);
    }
    if (steps != nullptr) *steps = faults.steps;
  }

  // What `reader` prints of the old base and of the new one.
  void SetUp() override {
    if (kToolHasXmltv) kReaders.push_back({"export", {"export", "--tz", "UTC", "g"}});
    for (const bool is_new : {false, true}) {
      TempDir dir;
      StopWriter(dir, is_new ? 0 : 1, true);
      for (const Reader& reader : kReaders) versions_[is_new].push_back(Run(dir, reader));
    }
    for (std::size_t r = 0; r < kReaders.size(); ++r)
      EXPECT_NE(versions_[0][r], versions_[1][r]) << kReaders[r].what << " tells no version";
  }

  static std::string Run(const TempDir& dir, const Reader& reader) {
    RunOptions options;
    options.as_nobody = reader.as_nobody;
    if (!reader.composer) return RunProgram(SKEDTOOL_BINARY, dir.path(), reader.args, options).out;
    RunSkedcomp(dir / "out", reader.args);
    return ReadFile(dir / "out/guide.ndx") + ReadFile(dir / "out/guide.pdt");
  }

  std::vector<Reader> kReaders = {
      {"dump", {"dump", "g"}},       {"dump as another user", {"dump", "g"}, false, true},
      {"week", {"week", "g"}},       {"diff", {"diff", "g", "out/f"}},
      {"check", {"check", "guide"}}, {"review", {"review", "--bases", "g"}},
      {"skedcomp", {"guide"}, true},
  };
  std::vector<std::string> versions_[2];
};

TEST_F(StoppedRunTest, EveryReaderReadsOneVersionAndEveryWriterMendsIt) {
  struct Writer {
    const char* what;
    Names args;
    bool composer;
  };
  std::vector<Writer> writers = {{"make", {"make", "g", "g.listing"}, false},
                                 {"skedcomp", {"g"}, true}};
  if (kToolHasXmltv) writers.push_back({"import", {"import", "--tz", "UTC", "g.xml", "."}, false});
  for (const bool exchange : {true, false}) {
    int steps = 0;
    {
      TempDir dir;
      StopWriter(dir, 0, exchange, &steps);
    }
    int read_new = 0;
    for (int stop = 1; stop <= steps; ++stop) {
      // Each stop has a writer of its own, taken in turn.
      {
        const Writer& writer = writers[static_cast<std::size_t>(stop) % writers.size()];
        SCOPED_TRACE(std::string(exchange ? "exchange" : "renamed away") + ", stopped at " +
                     std::to_string(stop) + ", then " + writer.what);
        TempDir dir;
        StopWriter(dir, stop, exchange);
        WriteFile(dir / "g.listing", "2026-12-08\t09:00\tTue\tListed\n");
        WriteFile(dir / "g.cfg", "[out/f]\n");
        WriteFile(dir / "g.xml",
                  "<tv><programme start=\"20261208090000 +0000\" channel=\"g\"><title>Listed"
                  "</title></programme></tv>\n");
        const Names before = dir.ListAll();
        // The version every reader reads: all read the same one.
        int version = -1;
        for (std::size_t r = 0; r < kReaders.size(); ++r) {
          const std::string output = Run(dir, kReaders[r]);
          const int is = output == versions_[1][r] ? 1 : output == versions_[0][r] ? 0 : -2;
          EXPECT_NE(is, -2) << kReaders[r].what << " read neither version:\n" << output;
          if (version == -1) version = is;
          EXPECT_EQ(is, version) << kReaders[r].what;
          EXPECT_EQ(dir.ListAll(), before) << kReaders[r].what << " wrote";
        }
        read_new += version == 1;
        const RunResult next = writer.composer ? RunSkedcomp(dir.path(), writer.args)
                                               : RunSkedtool(dir.path(), writer.args);
        EXPECT_EQ(next.exit_code, 0) << next.err;
        for (const std::string& name : dir.ListAll())
          EXPECT_NE(name.rfind(".skedcomp-", 0), 0u) << name << " left";
      }
    }
    // Stops fell both before and after the commit.
    EXPECT_GT(read_new, 0);
    EXPECT_LT(read_new, steps);
  }
}

}  // namespace
