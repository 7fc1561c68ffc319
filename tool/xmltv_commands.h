// skedtool import, export and validate: program bases from and to XMLTV, and
// XMLTV documents checked.
#ifndef SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
#define SKEDCOMP_TOOL_XMLTV_COMMANDS_H_

#include <cstdio>
#include <functional>
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

// A command's own options, taken at args[*i].
using OwnOptions =
    std::function<OptionTaken(const Arguments& args, std::size_t* i, int* exit_code)>;

// Reads the arguments of a command that reads an XMLTV file: --tz,
// --codepage, --lang and --channel into `options`, the command's own through
// `own`, the rest into `operands`. False after a usage error (an unknown
// option, a missing value).
bool ParseXmltvArguments(std::string_view command, const Arguments& args, const OwnOptions& own,
                         XmltvReadOptions* options, Arguments* operands, int* exit_code);

// Sets the file an XMLTV document is read from: a path, or "-" for standard
// input, as messages name it.
void SetXmltvFile(const std::string& file, XmltvScope* scope);

// The XMLTV file as a stream (standard input for "-"), or null with the
// reason: a folder, a device or a file that cannot be opened.
std::FILE* OpenXmltv(const std::string& file, std::string* error);

#endif  // SKEDCOMP_TOOL_XMLTV_COMMANDS_H_
