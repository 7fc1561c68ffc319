// skedtool dump BASE: a base's programmes as a listing, in index order.
#include <cstdio>
#include <string>
#include <vector>

#include "base/stored_base.h"
#include "report/listing.h"
#include "tool/commands.h"
#include "tool/tool_output.h"

const char kDumpHelp[] =
    "Usage: skedtool dump [--codepage CP] BASE\n"
    "\n"
    "Prints the programmes of the program base BASE (BASE.ndx and BASE.pdt) in\n"
    "index order, one line each: date, time, weekday and title, separated by\n"
    "tabs. `skedtool make`, with the same code page, reads this listing back\n"
    "into the same bytes.\n"
    "\n" SKEDTOOL_CODEPAGE_HELP
    "\n"
    "A damaged base is reported with the entry at fault, after the entries\n"
    "before it have been printed, and the exit code is 1.\n";

namespace {

// Whether `make` would write the very bytes the base holds: false for bases
// with shared or out-of-order titles, trailing bytes, or titles holding a zero.
bool LaidOutAsMakeWritesIt(const StoredBase& base, const std::vector<StoredProgram>& programs) {
  std::string index;
  std::string titles;
  return EncodeStoredBase(programs, &index, &titles) == Status::kOk &&
         base.index_stamp.size == index.size() && base.titles_stamp.size == titles.size() &&
         base.index() == index && base.titles() == titles;
}

}  // namespace

int RunDump(const Arguments& given) {
  Arguments args;
  DisplayCodePage shown;
  int exit_code = 0;
  if (!TakeCodePageAndOperands("dump", given, 1, "expects one BASE", &args, &shown, &exit_code)) {
    return exit_code;
  }
  // make --codepage gives back a byte the page cannot show from its escape.
  shown.escape_undefined = true;
  const std::string& name = args[0];
  StoredBase base;
  BaseDamage damage;
  Status status = ReadStoredBase(name, &base, &damage);
  if (status != Status::kOk) {
    PrintError("dump", BaseErrorText("skedtool dump", name, status, damage));
    return 1;
  }
  std::vector<StoredProgram> programs;
  std::size_t damaged_at = 0;
  status = DecodeStoredPrograms(base, &damage, &damaged_at,
                                [&](std::size_t, const StoredProgram& program) {
                                  programs.push_back(program);
                                  std::printf("%s\n", shown(FormatListingLine(program)).c_str());
                                });
  if (status != Status::kOk) {
    std::fflush(stdout);
    PrintError("dump", DamagedEntryText(name, base, damaged_at, damage));
    return 1;
  }
  if (!LaidOutAsMakeWritesIt(base, programs)) {
    std::fflush(stdout);
    PrintError("dump", name +
                           ": note: the base is not laid out as skedtool make writes it; a base "
                           "made from this listing holds the same programmes in other bytes");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
