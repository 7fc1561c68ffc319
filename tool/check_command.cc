// skedtool check NAME: reads NAME.cfg as the composer does and prints what
// the composer would do with it, and the mistakes it passes over in silence.
#include <cstdio>
#include <memory>
#include <string>

#include "composition/composition_file.h"
#include "report/check.h"
#include "tool/commands.h"
#include "tool/tool_output.h"

const char kCheckHelp[] =
    "Usage: skedtool check [--codepage CP] NAME\n"
    "\n"
    "Reads the composition file NAME.cfg the way skedcomp does and reports, per\n"
    "channel section: whether its base loads and how many programmes it holds;\n"
    "for each weekday the ranges that will be used and how many programmes they\n"
    "take; where a range list stops early, the text that will be ignored and\n"
    "why; ranges that take nothing or overlap; keys that are no range or\n"
    "timeshift key (likely typos); and a timeshift the composer would refuse.\n"
    "Last, how many programmes the guide would hold, and whether skedcomp\n"
    "would write it. Each finding is marked error (skedcomp would stop) or\n"
    "warning. The first 50 sections are reported in full; of the others, the\n"
    "findings are counted kind by kind. Nothing is written. --codepage CP shows\n"
    "section names and other text of the file converted from the code page CP\n"
    "(such as cp1252) to UTF-8.\n"
    "\n"
    "Exit code: 0 when nothing was found, 1 when anything was, 2 when the check\n"
    "could not run (usage, NAME.cfg missing or unreadable).\n";
static_assert(kSectionsShown == 50, "check's help states it");

namespace {

void PrintLine(const CheckLine& line) {
  switch (line.kind) {
    case CheckLine::Kind::kSection:
      std::printf("\n%s\n", line.text.c_str());
      break;
    case CheckLine::Kind::kFinding:
      std::printf("  %s: %s\n", line.severity == Severity::kError ? "error" : "warning",
                  line.text.c_str());
      break;
    case CheckLine::Kind::kFact:
    case CheckLine::Kind::kNotShown:
      std::printf("  %s\n", line.text.c_str());
      break;
  }
}

}  // namespace

int RunCheck(const Arguments& given) {
  Arguments args = given;
  ShownText shown;
  int exit_code = 0;
  if (!TakeCodePageOption("check", &args, &shown, &exit_code)) return exit_code;
  if (args.size() != 1) return UsageError("check", "expects one NAME");
  const std::string& name = args[0];
  const auto tables = std::make_unique<ProgramTables>();
  const CheckReport report = CheckComposition(name, *tables, shown);
  if (!report.unreadable.empty()) {
    PrintError("check", report.unreadable + ExtensionHint("skedtool check", name));
    return 2;
  }
  std::printf("%s: %zu channel sections\n", report.path.c_str(), report.sections);
  for (const CheckLine& line : report.lines) PrintLine(line);
  if (report.sections_not_shown > 0) {
    std::printf("\n... %zu more sections, not shown; what was found in them:\n",
                report.sections_not_shown);
    if (report.counted.empty()) std::printf("  nothing\n");
    for (const auto& [kind, count] : report.counted)
      std::printf("  %lld %s\n", count, kind.c_str());
  }
  std::printf("\nThe guide would hold %lld programmes (at most %d).\n", report.programmes,
              kProgramTableCapacity);
  for (const CheckLine& line : report.closing) PrintLine(line);
  std::printf("%s\n", CheckVerdict(report).c_str());
  std::printf("%lld error%s, %lld warning%s.\n", report.errors, report.errors == 1 ? "" : "s",
              report.warnings, report.warnings == 1 ? "" : "s");
  return report.errors + report.warnings > 0 ? 1 : 0;
}
