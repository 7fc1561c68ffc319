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
    "findings are counted kind by kind. Nothing is written.\n"
    "\n" SKEDTOOL_CODEPAGE_HELP
    "\n"
    "Exit code: 0 when nothing was found, 1 when anything was, 2 when the check\n"
    "could not run (usage, NAME.cfg missing or unreadable).\n";
static_assert(kSectionsShown == 50, "check's help states it");

int RunCheck(const Arguments& given) {
  Arguments args;
  DisplayCodePage shown;
  int exit_code = 0;
  if (!TakeCodePageAndOperands("check", given, 1, "expects one NAME", &args, &shown, &exit_code)) {
    return exit_code;
  }
  const std::string& name = args[0];
  const auto tables = std::make_unique<ProgramTables>();
  const CheckReport report = CheckComposition(name, *tables, shown);
  if (!report.unreadable.empty()) {
    PrintError("check", report.unreadable + ExtensionHint("skedtool check", name));
    return 2;
  }
  for (const ReportLine& line : CheckReportLines(report)) {
    std::printf("%s%s%s\n", line.blank_before ? "\n" : "", line.indented ? "  " : "",
                line.text.c_str());
  }
  return report.errors + report.warnings > 0 ? 1 : 0;
}
