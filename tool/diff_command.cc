// skedtool diff OLD NEW: the programmes that only one of two bases holds.
#include <cstdio>
#include <string>
#include <vector>

#include "base/stored_base.h"
#include "report/base_diff.h"
#include "report/listing.h"
#include "tool/commands.h"
#include "tool/tool_output.h"

const char kDiffHelp[] =
    "Usage: skedtool diff [--codepage CP] OLD NEW\n"
    "\n"
    "Compares the program bases OLD and NEW programme by programme, a programme\n"
    "being its start and title. Prints one line for each programme that only\n"
    "OLD holds, \"-\" and the programme as skedtool dump lists it, and one for\n"
    "each that only NEW holds, \"+\" and the programme, in start order (at one\n"
    "start the removed first). A programme moved or retitled is one of each.\n"
    "\n" SKEDTOOL_CODEPAGE_HELP
    "\n"
    "Exit code: 0 when both hold the same programmes, 1 when they differ, 2\n"
    "when a base cannot be read or is damaged (as diff does).\n";

namespace {

constexpr int kTrouble = 2;

// The programmes of the base `name`, or false after saying why not.
bool ReadPrograms(const std::string& name, StoredBase* base, std::vector<StoredProgram>* programs) {
  BaseDamage damage;
  Status status = ReadStoredBase(name, base, &damage);
  if (status != Status::kOk) {
    PrintError("diff", BaseErrorText("skedtool diff", name, status, damage));
    return false;
  }
  std::size_t damaged_at = 0;
  status = DecodeStoredPrograms(
      *base, &damage, &damaged_at,
      [programs](std::size_t, const StoredProgram& program) { programs->push_back(program); });
  if (status != Status::kOk) {
    PrintError("diff", DamagedEntryText(name, *base, damaged_at, damage));
    return false;
  }
  return true;
}

}  // namespace

int RunDiff(const Arguments& given) {
  Arguments args;
  DisplayCodePage shown;
  int exit_code = 0;
  if (!TakeCodePageAndOperands("diff", given, 2, "expects two BASEs, OLD and NEW", &args, &shown,
                               &exit_code)) {
    return exit_code;
  }
  StoredBase old_base;
  StoredBase new_base;
  std::vector<StoredProgram> old_programs;
  std::vector<StoredProgram> new_programs;
  if (!ReadPrograms(args[0], &old_base, &old_programs) ||
      !ReadPrograms(args[1], &new_base, &new_programs)) {
    return kTrouble;
  }
  const std::vector<ProgramChange> changes = DiffPrograms(old_programs, new_programs);
  for (const ProgramChange& change : changes) {
    std::printf("%c%s\n", change.kind == ProgramChange::Kind::kRemoved ? '-' : '+',
                shown(FormatListingLine(change.program)).c_str());
  }
  return changes.empty() ? 0 : 1;
}
