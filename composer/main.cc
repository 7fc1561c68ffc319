// skedcomp NAME...: composes the guide of each NAME from the channels its
// composition file NAME.cfg lists. Stops at the first failure with exit code 1.
#include <cstdio>
#include <string>
#include <vector>

#include "base/program_tables.h"
#include "base/status.h"
#include "composer/banner.h"
#include "composer/compose_guide.h"
#include "platform/file_replace.h"
#include "platform/process.h"
#include "platform/table_memory.h"

namespace {

// Output is flushed after each line so that progress shows name by name and
// nothing is lost however the process ends.
void Print(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  Print(kBanner);
  // Every record a guide takes touches a page of each table: mapping them in
  // one go is far cheaper than a page fault per record.
  PrefaultTableMemory(2 * sizeof(ProgramTable));
  if (argc < 2) {
    Print(kUsage);
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    // Out before the name's work starts, so that a long run shows which name
    // it is at.
    std::printf("Composing %s... ", argv[i]);
    std::fflush(stdout);
    ReplaceReport report;
    const Status status = ComposeGuide(argv[i], &report);
    Print(StatusMessage(status));
    // Standard output keeps its fixed lines; what else the user must know goes apart.
    if (report.result != ReplaceResult::kOk) {
      std::fprintf(stderr, "skedcomp: %s: %s\n", argv[i],
                   ReplaceFailureText(report.result).c_str());
    }
    for (const std::string& path : report.left_behind) {
      std::fprintf(stderr, "skedcomp: %s\n", LeftBehindText(path).c_str());
    }
    if (status != Status::kOk) return 1;
  }
  return 0;
}
