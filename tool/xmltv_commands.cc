// import and export, in builds that have libxml2 and the date library.
#include "tool/xmltv_commands.h"

std::span<const Command> XmltvCommands() {
  static const Command commands[] = {
      {"import", "write channel bases from an XMLTV file", kImportHelp, RunImport, 1},
      {"export", "print program bases as an XMLTV document", kExportHelp, RunExport, 1},
  };
  return commands;
}
