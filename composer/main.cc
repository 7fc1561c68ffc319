// skedcomp NAME...: composes the guide of each NAME from the channels its
// composition file NAME.cfg lists. Stops at the first failure with exit code 1.
// `skedcomp --help` and `skedcomp --version`, alone, say what it does.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/program_tables.h"
#include "base/status.h"
#include "composer/banner.h"
#include "composer/compose_guide.h"
#include "composition/composition_file.h"
#include "platform/base_lock.h"
#include "platform/file_replace.h"
#include "platform/process.h"
#include "platform/replace_repair.h"
#include "platform/table_memory.h"
#include "text/escape.h"

namespace {

// Output is flushed after each line so that progress shows name by name and
// nothing is lost however the process ends.
void Print(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

constexpr char kHelp[] =
    "Usage: skedcomp NAME [NAME...]\n"
    "\n"
    "For each NAME, in order, reads the composition file NAME.cfg in the current\n"
    "folder, loads every channel base it lists, keeps the hours each section's\n"
    "range1 (Monday) to range7 (Sunday) name, moves them by its timeshift, and\n"
    "writes the guide NAME.ndx and NAME.pdt with the check log NAME.log.\n"
    "Stops at the first failure with exit code 1; a guide that failed keeps its\n"
    "old files. skedtool check NAME shows how a composition file is read.\n";

// One line on standard error for a failure, beside the fixed message on
// standard output: what it concerns and why. Built from fixed pieces, since
// it may report that memory ran out.
void ExplainOnStandardError(const char* name, Status status, const ComposeReport& report) {
  if (report.replace.result != ReplaceResult::kOk) {
    std::fprintf(stderr, "skedcomp: %s: %s\n", name, ReplaceFailureText(report.replace).c_str());
    return;
  }
  const FailureReason reason = ExplainFailure(status);
  switch (reason.place) {
    case FailurePlace::kCompositionFile: {
      // `skedcomp guide.cfg` looked for guide.cfg.cfg: say so rather than
      // send the user to check a file that is not there.
      std::string hint;
      try {
        hint = ExtensionHint("skedcomp", name);
      } catch (const std::bad_alloc&) {
      }
      std::fprintf(stderr, "skedcomp: %s: %s: %s", name, CompositionFilePath(name).c_str(),
                   reason.text);
      if (hint.empty()) {
        std::fprintf(stderr, "; see skedtool check %s\n", name);
      } else {
        std::fprintf(stderr, "%s\n", hint.c_str());
      }
      break;
    }
    case FailurePlace::kSection: {
      // As it stands, control bytes escaped: "one\x00x" is not the base "one".
      std::string section;
      try {
        section = EscapeControlBytes(report.section, Backslash::kAsItIs);
      } catch (const std::bad_alloc&) {
        section = "?";
      }
      std::fprintf(stderr, "skedcomp: %s: section [%s]: %s; see skedtool check %s\n", name,
                   section.c_str(), reason.text, name);
      break;
    }
    case FailurePlace::kGuide:
      std::fprintf(stderr, "skedcomp: %s: the guide: %s\n", name, reason.text);
      break;
  }
}

// What a wait for another run's lock prints.
void TellWait(const std::string& line) { std::fprintf(stderr, "skedcomp: %s\n", line.c_str()); }

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  SetLockWaitNotice(TellWait);
  Print(kBanner);
  if (argc < 2) {
    Print(kUsage);
    return 1;
  }
  // Only alone: any other argument is a name, as it always was.
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    Print(kHelp);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    Print(kVersion);
    return 0;
  }
  // Every record a guide takes touches a page of each table: mapping them in
  // one go is far cheaper than a page fault per record.
  PrefaultTableMemory(sizeof(ProgramTables));
  ProgramTables& tables = TablesInTableMemory();
  BaseCache bases;  // kept from name to name
  for (int i = 1; i < argc; ++i) {
    // Out before the name's work starts, so that a long run shows which name
    // it is at.
    std::printf("Composing %s... ", argv[i]);
    std::fflush(stdout);
    ComposeReport report;
    const Status status = ComposeGuide(argv[i], tables, &bases, &report);
    Print(StatusMessage(status));
    // Standard output keeps its fixed lines; what else the user must know goes apart.
    if (status != Status::kOk) ExplainOnStandardError(argv[i], status, report);
    for (const std::string& path : report.replace.left_behind) {
      std::fprintf(stderr, "skedcomp: %s\n", LeftBehindText(path).c_str());
    }
    for (const std::string& note : TakeRepairNotes()) {
      std::fprintf(stderr, "skedcomp: %s\n", note.c_str());
    }
    if (status != Status::kOk) return 1;
  }
  return 0;
}
