// skedtool COMMAND ...: look into, make and check program bases and
// composition files.
#include <cstdio>
#include <cstring>
#include <string>

#include "tool/commands.h"

namespace {

const Command kCommands[] = {
    {"dump", "print a base's programmes as a listing", kDumpHelp, RunDump},
    {"make", "write a base from a listing", kMakeHelp, RunMake},
    {"check", "report what skedcomp would do with NAME.cfg, and likely mistakes", kCheckHelp,
     RunCheck},
    {"week", "show each day of a base as a 24-hour ruler", kWeekHelp, RunWeek},
};

void PrintOverview(std::FILE* out) {
  std::fprintf(out,
               "Usage: skedtool COMMAND [ARGUMENTS]\n"
               "       skedtool COMMAND --help\n"
               "       skedtool --help | --version\n"
               "\n"
               "Looks into, makes and checks the program bases and composition files of\n"
               "skedcomp. A BASE is a name without extension (BASE.ndx and BASE.pdt).\n"
               "\n"
               "Commands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-6s %s\n", command.name, command.summary);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintOverview(stderr);
    return 2;
  }
  const std::string first = argv[1];
  if (first == "--help" || first == "-h") {
    PrintOverview(stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("skedtool (skedcomp) 2.0\n");
    return 0;
  }
  for (const Command& command : kCommands) {
    if (first != command.name) continue;
    Arguments args(argv + 2, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
      std::fputs(command.help, stdout);
      return 0;
    }
    return command.run(args);
  }
  std::fprintf(stderr, "skedtool: unknown command '%s'\nTry 'skedtool --help'.\n", argv[1]);
  return 2;
}
