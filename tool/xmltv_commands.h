// skedtool import and export: program bases from and to XMLTV.
#ifndef SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
#define SKEDCOMP_TOOL_XMLTV_COMMANDS_H_

#include "tool/commands.h"

int RunImport(const Arguments& args);
int RunExport(const Arguments& args);

extern const char* const kImportHelp;

extern const char kExportHelp[];

#endif  // SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
