// skedtool import, export and validate: program bases from and to XMLTV, and
// XMLTV documents checked.
#ifndef SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
#define SKEDCOMP_TOOL_XMLTV_COMMANDS_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "tool/commands.h"
#include "xmltv/scan_xmltv.h"

int RunImport(const Arguments& args);
int RunExport(const Arguments& args);
int RunValidate(const Arguments& args);

extern const char* const kImportHelp;
extern const char kExportHelp[];
extern const char kValidateHelp[];

// What a command that reads an XMLTV file is told of how to read it.
struct XmltvReadOptions {
  std::string zone;  // --tz, "" when not given
  std::string code_page;
  XmltvScope scope;  // --lang and each --channel; the file
};

enum class OptionTaken {
  kTaken,       // and `*i` moved past its value
  kNotOne,      // args[*i] is none of them
  kUsageError,  // printed, with `*exit_code`
};

// Takes --tz, --codepage, --lang or --channel at args[*i].
OptionTaken TakeXmltvReadOption(std::string_view command, const Arguments& args, std::size_t* i,
                                XmltvReadOptions* options, int* exit_code);

// Sets the file an XMLTV document is read from: a path, or "-" for standard
// input, as messages name it.
void SetXmltvFile(const std::string& file, XmltvScope* scope);

// The XMLTV file as a stream (standard input for "-"), or null with the
// reason: a folder, a device or a file that cannot be opened.
std::FILE* OpenXmltv(const std::string& file, std::string* error);

#endif  // SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
