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
#include "tool/commands.h"
#include "tool/tool_output.h"

const char kMakeHelp[] =
    "Usage: skedtool make [--sync] BASE [LISTING]\n"
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
    "\n" SKEDTOOL_SYNC_HELP;

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

}  // namespace

int RunMake(const Arguments& given) {
  Arguments args = given;
  TakeSyncOption(&args);
  if (args.empty() || args.size() > 2)
    return UsageError("make", "expects BASE and an optional LISTING");
  const std::string& name = args[0];
  const std::string source = args.size() == 2 ? args[1] : "-";
  const std::string shown = source == "-" ? "standard input" : source;
  std::string text;
  const ReadFileResult read = ReadListing(source, &text);
  if (read != ReadFileResult::kOk) {
    PrintError("make", ReadFailureText(read, shown, "listing"));
    return 1;
  }

  std::vector<ListedProgram> listed;
  std::string_view rest = text;
  for (int line_number = 1; !rest.empty(); ++line_number) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited on Windows
    if (line.empty() || line.front() == '#') continue;
    ListedProgram program;
    std::string error;
    if (!ParseListingLine(line, &program, &error)) {
      PrintError("make", shown + ":" + std::to_string(line_number) + ": " + error);
      return 1;
    }
    listed.push_back(std::move(program));
  }
  if (listed.size() > static_cast<std::size_t>(kProgramTableCapacity)) {
    PrintError("make", shown + ": " + std::to_string(listed.size()) +
                           " programmes; a base holds at most " +
                           std::to_string(kProgramTableCapacity));
    return 1;
  }

  std::vector<StoredProgram> programs;
  for (const ListedProgram& program : listed) programs.push_back({program.start, program.title});
  std::string index;
  std::string titles;
  if (EncodeStoredBase(programs, &index, &titles) != Status::kOk) {
    PrintError("make", shown + ": " + TitlesTooLongText());
    return 1;
  }
  const FileReplacement files[] = {{BaseFilePath(name, kIndexExtension), index},
                                   {BaseFilePath(name, kTitleExtension), titles}};
  ReplaceReport report;
  ReplaceFiles(files, &report);
  return ReportReplacement("make", report, name) ? 0 : 1;
}
