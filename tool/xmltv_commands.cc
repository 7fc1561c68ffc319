// import, export and validate, in builds that have libxml2 and the date
// library; and what the commands that read XMLTV share.
#include "tool/xmltv_commands.h"

#include "platform/read_file.h"
#include "tool/tool_output.h"

std::span<const Command> XmltvCommands() {
  static const Command commands[] = {
      {"import", "write channel bases from an XMLTV file", kImportHelp, RunImport, 1},
      {"export", "print program bases as an XMLTV document", kExportHelp, RunExport, 1},
      {"validate", "check an XMLTV file for what players leave out or misread", kValidateHelp,
       RunValidate, 2},
  };
  return commands;
}

namespace {

// Takes --tz, --codepage, --lang or --channel at args[*i].
OptionTaken TakeXmltvReadOption(std::string_view command, const Arguments& args, std::size_t* i,
                                XmltvReadOptions* options, int* exit_code) {
  const std::string& arg = args[*i];
  if (arg != "--tz" && arg != "--codepage" && arg != "--lang" && arg != "--channel") {
    return OptionTaken::kNotOne;
  }
  if (*i + 1 == args.size()) {
    *exit_code = UsageError(command, arg + " needs a value");
    return OptionTaken::kUsageError;
  }
  const std::string& value = args[++*i];
  if (arg == "--tz" && value.empty()) {
    *exit_code = UsageError(command, "--tz needs a zone name");
    return OptionTaken::kUsageError;
  }
  if (arg == "--tz") options->zone = value;
  if (arg == "--codepage") options->code_page = value;
  if (arg == "--lang") options->scope.lang = value;
  if (arg == "--channel") options->scope.channels.push_back(value);
  return OptionTaken::kTaken;
}

}  // namespace

bool ParseXmltvArguments(std::string_view command, const Arguments& args, const OwnOptions& own,
                         XmltvReadOptions* options, Arguments* operands, int* exit_code) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    OptionTaken taken = TakeXmltvReadOption(command, args, &i, options, exit_code);
    if (taken == OptionTaken::kNotOne) taken = own(args, &i, exit_code);
    if (taken == OptionTaken::kUsageError) return false;
    if (taken == OptionTaken::kTaken) continue;
    if (args[i].size() > 1 && args[i][0] == '-') {
      *exit_code = UsageError(command, "unknown option '" + args[i] + "'");
      return false;
    }
    operands->push_back(args[i]);
  }
  return true;
}

void SetXmltvFile(const std::string& file, XmltvScope* scope) {
  scope->shown_file = file == "-" ? "standard input" : file;
}

std::FILE* OpenXmltv(const std::string& file, std::string* error) {
  if (file == "-") return stdin;
  switch (KindOfPath(file)) {
    case PathKind::kFolder:
      *error = file + " is a folder, not an XMLTV file";
      return nullptr;
    case PathKind::kDevice:  // a terminal or /dev/zero: no file to read
      *error = file + " is a device, not an XMLTV file";
      return nullptr;
    default:
      break;
  }
  std::FILE* stream = OpenReadStream(file);
  if (stream == nullptr) *error = "cannot read " + file;
  return stream;
}
