// import and export, in builds that have libxml2, the date library and iconv.
#include "tool/xmltv_commands.h"

#include "platform/code_page.h"

std::string CodePageProblem(const std::string& page) {
  if (!CodePageKnown(page)) return "unknown code page '" + page + "' (an iconv name, e.g. cp1252)";
  if (!CodePageIsSingleByte(page)) {
    return "code page '" + page +
           "' has characters of more than one byte; a base's titles are in a single-byte code "
           "page, such as cp1252";
  }
  return {};
}

std::span<const Command> XmltvCommands() {
  static const Command commands[] = {
      {"import", "write channel bases from an XMLTV file", kImportHelp, RunImport, 1},
      {"export", "print program bases as an XMLTV document", kExportHelp, RunExport, 1},
  };
  return commands;
}
