// Builds without libxml2 or the date library: import, export and validate
// only say what the build lacks.
#include "tool/commands.h"
#include "tool/tool_output.h"

namespace {

int NoXmltv(const char* command) {
  PrintError(command,
             "this build of skedtool has no XMLTV support; install libxml2-dev, "
             "libhowardhinnant-date-dev and tzdata (Debian's names) and build it again");
  return 2;
}

int RunImport(const Arguments&) { return NoXmltv("import"); }
int RunExport(const Arguments&) { return NoXmltv("export"); }
int RunValidate(const Arguments&) { return NoXmltv("validate"); }

}  // namespace

std::span<const Command> XmltvCommands() {
  // No help text: `--help` too gets the line above.
  static const Command commands[] = {
      {"import", "(not in this build: no XMLTV support)", nullptr, RunImport, 2},
      {"export", "(not in this build: no XMLTV support)", nullptr, RunExport, 2},
      {"validate", "(not in this build: no XMLTV support)", nullptr, RunValidate, 2},
  };
  return commands;
}
