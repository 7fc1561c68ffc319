// skedtool import and export: program bases from and to XMLTV.
#ifndef SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
#define SKEDCOMP_TOOL_XMLTV_COMMANDS_H_

#include <string>

#include "tool/commands.h"

int RunImport(const Arguments& args);
int RunExport(const Arguments& args);

extern const char* const kImportHelp;

// Why titles cannot be converted with the code page `page` (unknown, or not
// one byte per character), or "" when they can.
std::string CodePageProblem(const std::string& page);
extern const char kExportHelp[];

#endif  // SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
