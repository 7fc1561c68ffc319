// skedtool make BASE [LISTING]: a base from a listing.
#include <cstdio>
#include <string>
#include <vector>

#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/base_path.h"
#include "platform/file_replace.h"
#include "platform/read_file.h"
#include "report/listing.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "text/utf8.h"
#include "tool/commands.h"
#include "tool/tool_output.h"

constexpr char kMakeHelp[] =
    "Usage: skedtool make [--sync] [--codepage CP] BASE [LISTING]\n"
    "\n"
    "Writes the program base BASE (BASE.ndx and BASE.pdt) from LISTING, or from\n"
    "standard input when LISTING is missing or '-'. The listing has the form\n"
    "that `skedtool dump` prints: one programme a line, with date, time, weekday\n"
    "and title separated by tabs, e.g.\n"
    "\n"
    "    2000-03-20<TAB>19:30<TAB>Mon<TAB>News\n"
    "\n"
    "Programmes are stored in the listing's order. Empty lines and lines that\n"
    "begin with '#' are skipped. A line that does not parse is reported with\n"
    "its number and nothing is written; the weekday must match the date.\n"
    "The old files are replaced only once both new ones are complete.\n"
    "\n"
    "  --codepage CP  the code page the titles are written in: cp1252 (the\n"
    "                 default) or another that 'skedtool --help' lists. A listing\n"
    "                 that is UTF-8 text, as 'skedtool dump' prints it, is\n"
    "                 converted, a character CP lacks as '?' with a warning that\n"
    "                 names pages that hold it; one that is not UTF-8 (a listing\n"
    "                 of the old tool, in its page's bytes) is taken byte for\n"
    "                 byte, with a note. --codepage raw takes every listing byte\n"
    "                 for byte. Either way, dump then make with the same code\n"
    "                 page gives back the same bytes.\n"
    "\n" SKEDTOOL_SYNC_HELP;
static_assert(Mentions(kMakeHelp, kDefaultCodePage) && Mentions(kMakeHelp, kRawBytes),
              "the help states the default and the name for bytes as they are");

namespace {

ReadFileResult ReadListing(const std::string& path, std::string* text) {
  if (path != "-") return ReadWholeFile(path, kTextFileLimit, text);
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
    if (got > kTextFileLimit - text->size()) return ReadFileResult::kTooLarge;
    text->append(buffer, got);
  }
  return std::ferror(stdin) == 0 ? ReadFileResult::kOk : ReadFileResult::kReadError;
}

// The programmes of the listing `text` (named `shown` in messages), its
// titles converted from UTF-8 to `code_page` when one is given; false with
// the line's error.
bool ParseListing(std::string_view text, const std::string& shown, const std::string& code_page,
                  std::vector<ListedProgram>* listed, int* replaced, std::vector<char32_t>* lost,
                  std::string* error) {
  std::string_view rest = text;
  for (int line_number = 1; !rest.empty(); ++line_number) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited on Windows
    if (line.empty() || line.front() == '#') continue;
    // Dates, times, weekdays and escapes are ASCII, the same in every page.
    const std::string converted =
        code_page.empty() ? std::string(line) : FromUtf8(code_page, line, replaced, lost);
    ListedProgram program;
    if (!ParseListingLine(converted, &program, error)) {
      *error = shown + ":" + std::to_string(line_number) + ": " + *error;
      return false;
    }
    listed->push_back(std::move(program));
  }
  if (listed->size() > static_cast<std::size_t>(kProgramTableCapacity)) {
    *error = shown + ": " + std::to_string(listed->size()) + " programmes; a base holds at most " +
             std::to_string(kProgramTableCapacity);
    return false;
  }
  return true;
}

}  // namespace

int RunMake(const Arguments& given) {
  Arguments args = given;
  TakeSyncOption(&args);
  DisplayCodePage page;
  int exit_code = 0;
  if (!TakeCodePageOption("make", &args, &page, &exit_code)) return exit_code;
  if (args.empty() || args.size() > 2)
    return UsageError("make", "expects BASE and an optional LISTING");
  const std::string& name = args[0];
  const std::string source = args.size() == 2 ? args[1] : "-";
  const std::string shown = source == "-" ? "standard input" : source;
  std::string text;
  const ReadFileResult read = ReadListing(source, &text);
  std::vector<ListedProgram> listed;
  int replaced = 0;
  std::vector<char32_t> lost;
  std::string error = read != ReadFileResult::kOk ? ReadFailureText(read, shown, "listing") : "";
  // A listing that is not UTF-8 cannot have been meant as text: it is one of
  // the old tool's, in the page's bytes, and converting it would lose them.
  const bool as_bytes = !page.code_page.empty() && error.empty() && !IsUtf8(text);
  if (!error.empty() || !ParseListing(text, shown, as_bytes ? "" : page.code_page, &listed,
                                      &replaced, &lost, &error)) {
    PrintError("make", error);
    return 1;
  }
  if (as_bytes) {
    PrintError("make", "note: " + shown +
                           " is not UTF-8: its titles are taken as the bytes they are, as with "
                           "--codepage " +
                           std::string(kRawBytes));
  }
  std::vector<StoredProgram> programs;
  for (const ListedProgram& program : listed) programs.push_back({program.start, program.title});
  std::string index;
  std::string titles;
  if (EncodeStoredBase(programs, &index, &titles) != Status::kOk) {
    PrintError("make", shown + ": " + TitlesTooLongText());
    return 1;
  }
  if (replaced > 0) {
    PrintError("make", "warning: " + std::to_string(replaced) + " characters not in " +
                           page.code_page + " became '?'" + PagesHoldingText(lost));
  }
  const FileReplacement files[] = {{BaseFilePath(name, kIndexExtension), index},
                                   {BaseFilePath(name, kTitleExtension), titles}};
  ReplaceReport report;
  ReplaceFiles(files, &report);
  return ReportReplacement("make", report, name) ? 0 : 1;
}
