// skedtool COMMAND ...: look into, make and check program bases and
// composition files.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "base/version.h"
#include "platform/base_lock.h"
#include "platform/file_replace.h"
#include "platform/names.h"
#include "platform/process.h"
#include "platform/replace_repair.h"
#include "text/code_page.h"
#include "tool/commands.h"
#include "tool/tool_output.h"

namespace {

const Command kCommands[] = {
    {"dump", "print a base's programmes as a listing", kDumpHelp, RunDump, 1},
    {"make", "write a base from a listing", kMakeHelp, RunMake, 1},
    {"check", "report what skedcomp would do with NAME.cfg, and likely mistakes", kCheckHelp,
     RunCheck, 2},
    {"week", "show each day of a base as a 24-hour ruler", kWeekHelp, RunWeek, 1},
    {"review", "show a composed guide or bases as an HTML page", kReviewHelp, RunReview, 1},
    {"diff", "list the programmes only one of two bases holds", kDiffHelp, RunDiff, 2},
};

std::vector<Command> AllCommands() {
  std::vector<Command> commands(std::begin(kCommands), std::end(kCommands));
  for (const Command& command : XmltvCommands()) commands.push_back(command);
  return commands;
}

void PrintOverview(std::FILE* out) {
  std::fprintf(out,
               "Usage: skedtool COMMAND [ARGUMENTS]\n"
               "       skedtool COMMAND --help   (or skedtool help COMMAND)\n"
               "       skedtool --help | --version\n"
               "\n"
               "Looks into, makes and checks the program bases and composition files of\n"
               "skedcomp. A BASE is a name without extension (BASE.ndx and BASE.pdt).\n"
               "\n"
               "Commands:\n");
  int width = 0;
  for (const Command& command : AllCommands()) {
    width = std::max(width, static_cast<int>(std::strlen(command.name)));
  }
  for (const Command& command : AllCommands()) {
    std::fprintf(out, "  %-*s %s\n", width, command.name, command.summary);
  }
  std::fprintf(out,
               "\n"
               "Code pages (--codepage CP), by any of these names in any letter case:\n"
               "%s",
               kCodePageNames);
}

// The command under way, for the lines a wait for a lock prints.
const char* running = "";

void TellWait(const std::string& line) { PrintError(running, line); }

// What this run mended that a stopped run had left, after the command's own
// output.
void TellRepairs(const char* command) {
  for (const std::string& note : TakeRepairNotes()) PrintError(command, note);
}

// What was written to standard output must have reached it: a full disk or
// a closed pipe is a failure, not silence.
int Finish(const char* command, int exit_code, int failure_code) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    PrintError(command, "cannot write to standard output");
    return exit_code == 0 || exit_code == 1 ? failure_code : exit_code;
  }
  return exit_code;
}

int Run(Arguments given) {
  if (given.empty()) {
    PrintOverview(stderr);
    return 2;
  }
  // `skedtool help [COMMAND]` is the same as `skedtool [COMMAND] --help`.
  if (given[0] == "help") {
    if (given.size() > 2) {
      std::fputs("skedtool: help: expects at most one COMMAND\nTry 'skedtool --help'.\n", stderr);
      return 2;
    }
    given.erase(given.begin());
    given.push_back("--help");
  }
  const std::string& first = given[0];
  if (first == "--help" || first == "-h") {
    PrintOverview(stdout);
    return Finish("--help", 0, 1);
  }
  if (first == "--version") {
    std::printf("skedtool (skedcomp) %.*s\n", static_cast<int>(kVersionNumber.size()),
                kVersionNumber.data());
    return Finish("--version", 0, 1);
  }
  for (const Command& command : AllCommands()) {
    if (first != command.name) continue;
    const Arguments args(given.begin() + 1, given.end());
    if (command.help != nullptr && args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
      std::fputs(command.help, stdout);
      return Finish(command.name, 0, 1);
    }
    running = command.name;
    SetLockWaitNotice(TellWait);
    try {
      const int exit_code = command.run(args);
      TellRepairs(command.name);
      return Finish(command.name, exit_code, command.failure_code);
    } catch (const std::bad_alloc&) {
      std::fflush(stdout);
      PrintError(command.name, "out of memory");
      return command.failure_code;
    }
  }
  std::fprintf(stderr, "skedtool: unknown command '%s'\nTry 'skedtool --help'.\n", first.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  // Channel ids, zones and file names as typed, whatever the system's page.
  UseNameEncoding(NameEncoding::kUtf8);
  return Run(CommandLineArguments(argc, argv));
}
