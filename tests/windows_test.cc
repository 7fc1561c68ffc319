// What only Windows has: .\NAME.cfg, both separators, text-mode console
// output, the read-only attribute, files held open by other programs, device
// names, command lines in UTF-16, and the zone Windows is set to.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/guide_fixture.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using WindowsTest = GuideFixture;

RunResult Raw(const std::string& dir, const char* binary, const std::vector<std::string>& args) {
  RunOptions raw;
  raw.raw_output = true;
  return RunProgram(binary, dir, args, raw);
}

TEST_F(WindowsTest, ConsoleLinesEndInCrLfAndGuideBytesDoNot) {
  const RunResult run = Raw(dir_.path(), SKEDCOMP_BINARY, {"guide"});
  EXPECT_EQ(run.out,
            "QAX 3.0 TV Program Base Composer, version 2.0 - by the skedcomp authors\r\n"
            "Composing guide... Ok\r\n");
  // The guide's bytes are those written everywhere: LF in the title header,
  // CR LF in the log, no more.
  EXPECT_EQ(ReadFile(dir_ / "guide.pdt").substr(0, 26), "QAX 3.x TV Program Data\n\n\n");
  EXPECT_EQ(ReadFile(dir_ / "guide.log"),
            kLogHeader + "20 3 2000 19 30 1\r\nNews\r\n20 3 2000 20 0 1\r\nFilm: Caf\xE9\r\n");
  const RunResult error = Raw(dir_.path(), SKEDTOOL_BINARY, {"dump", "missing"});
  EXPECT_EQ(error.err, "skedtool: dump: missing: Can't open file .ndx or .pdt!\r\n");
}

// The composition file is .\NAME.cfg; names from the command line and from
// sections may use either separator.
TEST_F(WindowsTest, BothSeparatorsNameFolders) {
  MakeDirectory(dir_ / "sub");
  MakeDirectory(dir_ / "bases");
  WriteBase(dir_ / "bases/two", {{FileTimeOf(2000, 3, 21, 6, 0), "Early"}});
  WriteFile(dir_ / "sub/week.cfg", "[..\\bases\\two]\n[../one]\n");
  for (const char* name : {"sub\\week", "sub/week"}) {
    std::filesystem::remove(dir_ / "sub/week.ndx");
    const RunResult run = RunSkedcomp(dir_.path(), {name});
    EXPECT_EQ(run.out, kBanner + "Composing " + name + "... Can't open file .ndx or .pdt!\n")
        << "sections are relative to the current folder, not the composition file's";
  }
  WriteFile(dir_ / "sub/week.cfg", "[bases\\two]\n[bases/two]\n[one]\n");
  for (const char* name : {"sub\\week", "sub/week"}) {
    const RunResult run = RunSkedcomp(dir_.path(), {name});
    EXPECT_EQ(run.out, kBanner + "Composing " + name + "... Ok\n");
    EXPECT_EQ(ReadFile(dir_ / "sub/week.ndx").substr(0, 2), LittleEndian(4, 2)) << name;
  }
}

TEST_F(WindowsTest, ReadOnlyAttributeIsRefused) {
  WriteOldGuide();
  ASSERT_TRUE(::SetFileAttributesA((dir_ / "guide.log").c_str(), FILE_ATTRIBUTE_READONLY));
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  EXPECT_EQ(run.out, kBanner + "Composing guide... Can't open file .ndx or .pdt or .log!\n");
  ::SetFileAttributesA((dir_ / "guide.log").c_str(), FILE_ATTRIBUTE_NORMAL);
  ExpectOldGuide("read-only guide.log");
}

// A guide file another program holds open, sharing nothing, cannot be
// replaced: the run fails and every old file stays.
TEST_F(WindowsTest, FileHeldOpenByAnotherProgramKeepsTheWholeOldGuide) {
  WriteOldGuide();
  const HANDLE held = ::CreateFileA((dir_ / "guide.log").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  ::CloseHandle(held);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out == kBanner + "Composing guide... Write error!\n" ||
              run.out == kBanner + "Composing guide... Can't open file .ndx or .pdt or .log!\n")
      << run.out;
  ExpectOldGuide("guide.log held open");
}

// Device names are no files, whatever extension follows them: none is read
// or written, and none makes the tools wait.
TEST_F(WindowsTest, DevicesAndFoldersAreNotOpened) {
  for (const char* device : {"NUL", "CON", "COM1", "nul"}) {
    SCOPED_TRACE(device);
    RunResult run = RunSkedcomp(dir_.path(), {device});
    EXPECT_EQ(run.out, kBanner + "Composing " + device +
                           "... Sections not found in .cfg file or .cfg file error!\n");
    WriteFile(dir_ / "devices.cfg", std::string("[one]\n[") + device + "]\n");
    run = RunSkedcomp(dir_.path(), {"devices"});
    EXPECT_EQ(run.out, kBanner + "Composing devices... Can't open file .ndx or .pdt!\n");
    run = RunProgram(SKEDTOOL_BINARY, dir_.path(), {"make", device}, {});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("cannot write the files"), std::string::npos) << run.err;
  }
  MakeDirectory(dir_ / "folder.ndx");
  WriteFile(dir_ / "folder.pdt", "");
  WriteFile(dir_ / "devices.cfg", "[folder]\n");
  EXPECT_EQ(RunSkedcomp(dir_.path(), {"devices"}).out,
            kBanner + "Composing devices... Can't open file .ndx or .pdt!\n");
}

// Names are bytes of the ANSI code page, handed on unchanged.
TEST_F(WindowsTest, HighBytesInNamesPassUnchanged) {
  const std::string name = "Caf\xE9";
  WriteBase(dir_ / name, {{FileTimeOf(2000, 3, 20, 9, 0), "Morning"}});
  WriteFile(dir_ / (name + ".cfg"), "[" + name + "]\n");
  const RunResult run = RunSkedcomp(dir_.path(), {name});
  EXPECT_EQ(run.out, kBanner + "Composing " + name + "... Ok\n");
  EXPECT_TRUE(FileExists(dir_ / (name + ".log")));
}

// skedtool reads its command line as UTF-8 (from Windows' UTF-16), so that
// what the ANSI page lacks arrives whole: a channel id, a --channel-id, a
// folder's name. Section names of a composition stay ANSI bytes.
TEST_F(WindowsTest, SkedtoolTakesArgumentsThatAreNotAnsi) {
  const std::string greek = "\xCE\x95\xCE\xB9\xCE\xB4\xCE\xAE\xCF\x83\xCE\xB5\xCE\xB9\xCF\x82";
  const std::string cyrillic = "\xD0\x9C\xD2\xAE\xD0\x9E\xD0\x9D\xD0\xA2";  // МҮОНТ
  RunResult run =
      RunSkedtool(dir_.path(), {"export", "--tz", "UTC", "--channel-id", greek + ".gr", "one"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("<channel id=\"" + greek + ".gr\">"), std::string::npos) << run.out;

  WriteFile(dir_ / "tv.xml", "<tv><programme start=\"20001207120000\" channel=\"" + cyrillic +
                                 "\"><title>News</title></programme></tv>");
  run = RunSkedtool(dir_.path(), {"import", "--tz", "UTC", "--channel", cyrillic, "tv.xml", "."});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.rfind(cyrillic + "\t1 programme\t", 0), 0u) << run.out;

  // A folder whose name the ANSI page cannot write.
  const std::filesystem::path folder =
      std::filesystem::path(dir_.path()) /
      std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(greek.c_str())));
  std::filesystem::create_directory(folder);
  WriteFile(dir_ / "one.listing", "2000-03-20\t19:30\tMon\tNews\n");
  run = RunSkedtool(dir_.path(), {"make", greek + "/one", "one.listing"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(folder / "one.ndx"));
  EXPECT_EQ(RunSkedtool(dir_.path(), {"dump", greek + "/one"}).out,
            "2000-03-20\t19:30\tMon\tNews\n");
}

// Even one whose ANSI bytes happen to be UTF-8 too (cp1252's "CafÃ©").
TEST_F(WindowsTest, SectionNamesStayAnsiForSkedtoolToo) {
  for (const std::string name : {"Nur\xE9", "Caf\xC3\xA9"}) {
    // Written by its ANSI name, as the old tool would have written it.
    wchar_t wide[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, 64);
    const std::filesystem::path base = std::filesystem::path(dir_.path()) / wide;
    const std::vector<BaseEntry> entries = {{FileTimeOf(2000, 3, 20, 9, 0), "Morning"}};
    std::ofstream(std::filesystem::path(base).replace_extension(".ndx"), std::ios::binary)
        << IndexFileBytes(entries);
    std::ofstream(std::filesystem::path(base).replace_extension(".pdt"), std::ios::binary)
        << TitleFileBytes(entries);
    WriteFile(dir_ / "ansi.cfg", "[" + name + "]\n");
    const RunResult run = RunSkedtool(dir_.path(), {"check", "--codepage", "raw", "ansi"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("  base " + name + ": 1 programmes\n"), std::string::npos) << run.out;
    EXPECT_EQ(RunSkedtool(dir_.path(), {"review", "ansi"}).exit_code, 0);
  }
}

// Without --tz the zone is the one Windows is set to, found through Windows'
// own zone names: a start gets the offset Windows itself gives that wall
// time. The suite registers this test once more for each of a few zones,
// each set through TZ, which sets Wine's.
TEST_F(WindowsTest, XmltvTimesFollowTheSystemZone) {
  SYSTEMTIME wall = {};
  wall.wYear = 2026;
  wall.wMonth = 12;
  wall.wDay = 7;
  wall.wHour = 6;
  SYSTEMTIME utc = {};
  FILETIME wall_ticks;
  FILETIME utc_ticks;
  ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &wall, &utc) &&
              ::SystemTimeToFileTime(&wall, &wall_ticks) &&
              ::SystemTimeToFileTime(&utc, &utc_ticks));
  const auto ticks = [](const FILETIME& time) {
    return static_cast<long long>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
  };
  const long long minutes = (ticks(wall_ticks) - ticks(utc_ticks)) / 600'000'000;
  char offset[8];
  std::snprintf(offset, sizeof offset, "%c%02lld%02lld", minutes < 0 ? '-' : '+',
                std::llabs(minutes) / 60, std::llabs(minutes) % 60);

  WriteBase(dir_ / "one", {{FileTimeOf(2026, 12, 7, 6, 0), "Morning"}});
  const RunResult run = RunSkedtool(dir_.path(), {"export", "one"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find(std::string("start=\"20261207060000 ") + offset + "\""), std::string::npos)
      << offset << "\n"
      << run.out;
}

// The programs read time zones from the tzdata folder beside them; without
// it a zone is not called unknown, but the folder is named.
TEST_F(WindowsTest, MissingZoneDatabaseIsNamed) {
  std::filesystem::copy_file(SKEDTOOL_BINARY, dir_ / "skedtool.exe");
  WriteBase(dir_ / "one", {{FileTimeOf(2026, 12, 7, 6, 0), "Morning"}});
  const RunResult run = RunProgram((dir_ / "skedtool.exe").c_str(), dir_.path(),
                                   {"export", "--tz", "Europe/Berlin", "one"}, {});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("skedtool: export: cannot read the time-zone database in "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("tzdata"), std::string::npos) << run.err;
}

// A channel whose base Windows cannot store is named with the cause, before
// anything is written.
TEST_F(WindowsTest, ImportNamesAChannelWindowsCannotStore) {
  if (!kToolHasXmltv) GTEST_SKIP() << kNoXmltvReason;
  const std::string deep(200, 'd');
  MakeDirectory(dir_ / deep);
  struct Case {
    std::string first;
    std::string second;
    std::string dir;
    std::string error_part;
  };
  const Case cases[] = {
      {"CON", "x", ".", "channel CON: ./CON.ndx is named after the device CON, which Windows"},
      {"ok", "com1", ".", "channel com1: ./com1.ndx is named after the device COM1"},
      {"News", "news", ".", "channels News and news would both be written to news"},
      {"x", std::string(90, 'n'), deep, "characters long as a whole path; Windows allows 259"},
  };
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.second);
    WriteFile(dir_ / "tv.xml", "<tv><programme start=\"20261207120000 +0000\" channel=\"" +
                                   entry.first +
                                   "\"/><programme start=\"20261207120000 +0000\" "
                                   "channel=\"" +
                                   entry.second + "\"/></tv>");
    const RunResult run = RunProgram(SKEDTOOL_BINARY, dir_.path(),
                                     {"import", "--tz", "UTC", "tv.xml", entry.dir}, {});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(entry.error_part), std::string::npos) << run.err;
  }
  EXPECT_EQ(dir_.List(),
            (std::vector<std::string>{deep, "guide.cfg", "one.ndx", "one.pdt", "tv.xml"}));
}

}  // namespace
