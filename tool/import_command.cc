// skedtool import: channel bases from an XMLTV file.
#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/base_path.h"
#include "platform/code_page.h"
#include "platform/file_replace.h"
#include "platform/time_zone.h"
#include "tool/tool_output.h"
#include "tool/xmltv_commands.h"
#include "tool/xmltv_time.h"

const char kImportHelp[] =
    "Usage: skedtool import [--tz ZONE] [--codepage CP] [--lang LANG] [--channel ID]...\n"
    "                       [--from DATE] [--to DATE] XMLTV-FILE DIR\n"
    "\n"
    "Writes a channel base DIR/FILE.ndx and DIR/FILE.pdt for every channel of the\n"
    "XMLTV file that has programmes in the window (only the --channel ones, when\n"
    "given), and prints a line for each: its id, how many programmes, and where.\n"
    "FILE is the channel id with every byte but A-Z a-z 0-9 . _ - made '_'.\n"
    "Programmes are stored in start order; starts that are equal keep the file's\n"
    "order.\n"
    "\n"
    "  --tz ZONE      the time zone whose wall-clock time the bases hold: a name of\n"
    "                 the system's time-zone database, such as Europe/Berlin or UTC.\n"
    "                 XMLTV times carry their offset from UTC (+0100), or are UTC;\n"
    "                 each is turned into ZONE's wall time, daylight saving included.\n"
    "                 Default: the system's local zone (TZ, then /etc/localtime).\n"
    "  --codepage CP  the single-byte code page of the titles, an iconv name such as\n"
    "                 cp1252 (the default), ISO-8859-15 or KOI8-R. A character CP\n"
    "                 lacks becomes '?', and a warning says how many did.\n"
    "  --lang LANG    take the first title whose lang is LANG (otherwise the first).\n"
    "  --channel ID   only this channel; may be given more than once.\n"
    "  --from DATE    only programmes starting at or after 00:00 of DATE (YYYY-MM-DD,\n"
    "                 in ZONE's wall time);\n"
    "  --to DATE      ... and before 00:00 of DATE.\n"
    "\n"
    "A title longer than 1,999 bytes is cut there, with a warning; a programme\n"
    "without a title gets an empty one. Nothing at all is written when the file\n"
    "is not well-formed XML, a start is no valid time, or a channel has more than\n"
    "400 programmes in the window. Only the named file is read: no DTD, no\n"
    "external entity, nothing from the network; an entity other than XML's own\n"
    "is refused.\n";

namespace {

struct ImportOptions {
  std::string zone;
  std::string code_page = "cp1252";
  std::string lang;
  std::vector<std::string> channels;
  bool has_from = false;
  bool has_to = false;
  std::int64_t from = 0;  // wall times
  std::int64_t to = 0;
  std::string file;
  std::string dir;
};

struct ImportedProgram {
  std::uint64_t start;  // FILETIME ticks of the wall time
  std::string title;    // in the code page
};

struct ImportedChannel {
  std::string id;
  std::vector<ImportedProgram> programs;
  long in_window = 0;  // counted on past the capacity, for the message
  int replaced = 0;    // characters the code page lacks
  int cut = 0;         // titles cut to the longest a base holds
};

// What the reading found, or why it failed.
struct ImportState {
  const ImportOptions* options;
  TimeZone zone;
  std::vector<ImportedChannel> channels;
  std::unordered_map<std::string, std::size_t> channel_index;
  std::string error;  // the first failure, with its place
};

// Nothing beyond the named file is ever loaded: a DTD, an external entity,
// anything named by a URL.
xmlParserInputPtr RefuseExternal(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

int ReadFromFile(void* context, char* buffer, int length) {
  std::FILE* file = static_cast<std::FILE*>(context);
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), file);
  return got == 0 && std::ferror(file) != 0 ? -1 : static_cast<int>(got);
}

int LeaveOpen(void*) { return 0; }  // the caller closes the file

void KeepFirstError(void* context, xmlErrorPtr error) {
  auto* state = static_cast<ImportState*>(context);
  if (!state->error.empty() || error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string message = error->message != nullptr ? error->message : "unknown error";
  while (!message.empty() && message.back() == '\n') message.pop_back();
  state->error = state->options->file + ":" + std::to_string(error->line) +
                 ": not well-formed XML: " + message;
}

std::string Attribute(xmlTextReaderPtr reader, const char* name) {
  xmlChar* value = xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(name));
  if (value == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

// The line of the node the reader stands on (the parser itself reads ahead).
int Line(xmlTextReaderPtr reader) {
  const xmlNodePtr node = xmlTextReaderCurrentNode(reader);
  const long line = node != nullptr ? xmlGetLineNo(node) : -1;
  return line > 0 ? static_cast<int>(line) : xmlTextReaderGetParserLineNumber(reader);
}

std::string Name(xmlTextReaderPtr reader) {
  const xmlChar* name = xmlTextReaderConstName(reader);
  return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

bool Wanted(const ImportOptions& options, const std::string& channel) {
  return options.channels.empty() || std::find(options.channels.begin(), options.channels.end(),
                                               channel) != options.channels.end();
}

// One <programme> that the reader has just finished.
struct PendingProgramme {
  std::string channel;
  std::string start;
  int line = 0;
  std::vector<std::pair<std::string, std::string>> titles;  // lang, UTF-8 text
};

bool AddProgramme(ImportState* state, const PendingProgramme& programme) {
  const ImportOptions& options = *state->options;
  if (!Wanted(options, programme.channel)) return true;
  std::int64_t utc = 0;
  std::int64_t wall = 0;
  std::uint64_t ticks = 0;
  const bool valid = ParseXmltvTime(programme.start, &utc) &&
                     TicksOfWallTime(wall = WallTimeOf(state->zone, utc), &ticks);
  if (!valid) {
    state->error = options.file + ":" + std::to_string(programme.line) + ": programme of " +
                   programme.channel + ": start \"" + programme.start +
                   "\" is no valid XMLTV time (YYYYMMDDhhmmss +HHMM)";
    return false;
  }
  if ((options.has_from && wall < options.from) || (options.has_to && wall >= options.to)) {
    return true;
  }
  const auto [slot, added] =
      state->channel_index.try_emplace(programme.channel, state->channels.size());
  if (added) state->channels.push_back({programme.channel, {}, 0, 0, 0});
  ImportedChannel& channel = state->channels[slot->second];
  // Past the capacity only the count goes on: the import is refused anyway.
  if (++channel.in_window > kProgramTableCapacity) return true;
  const std::string* title = programme.titles.empty() ? nullptr : &programme.titles.front().second;
  for (const auto& [lang, text] : programme.titles) {
    if (!options.lang.empty() && lang == options.lang) {
      title = &text;
      break;
    }
  }
  std::string converted =
      title != nullptr ? FromUtf8(options.code_page, *title, &channel.replaced) : std::string();
  if (converted.size() > static_cast<std::size_t>(kMaxTitleLength)) {
    converted.resize(kMaxTitleLength);
    ++channel.cut;
  }
  // A zero byte would end the title early in every reader of the base.
  std::replace(converted.begin(), converted.end(), '\0', '?');
  channel.programs.push_back({ticks, std::move(converted)});
  return true;
}

// Reads the whole file; false with state->error set on the first failure.
bool ReadXmltv(std::FILE* file, ImportState* state) {
  xmlSetExternalEntityLoader(RefuseExternal);
  std::unique_ptr<xmlTextReader, decltype(&xmlFreeTextReader)> reader(
      xmlReaderForIO(ReadFromFile, LeaveOpen, file, state->options->file.c_str(), nullptr,
                     XML_PARSE_NONET | XML_PARSE_COMPACT),
      &xmlFreeTextReader);
  if (reader == nullptr) {
    state->error = "cannot read " + state->options->file;
    return false;
  }
  xmlTextReaderSetStructuredErrorHandler(reader.get(), KeepFirstError, state);
  PendingProgramme programme;
  bool in_programme = false;
  bool in_title = false;
  int result = 0;
  while ((result = xmlTextReaderRead(reader.get())) == 1) {
    const int type = xmlTextReaderNodeType(reader.get());
    const int depth = xmlTextReaderDepth(reader.get());
    if (type == XML_READER_TYPE_ENTITY_REFERENCE) {
      state->error = state->options->file + ":" + std::to_string(Line(reader.get())) +
                     ": entity &" + Name(reader.get()) +
                     "; is refused: only XML's own entities and character references are read";
      return false;
    }
    if (type == XML_READER_TYPE_ELEMENT && depth == 1 && Name(reader.get()) == "programme") {
      programme = {Attribute(reader.get(), "channel"),
                   Attribute(reader.get(), "start"),
                   Line(reader.get()),
                   {}};
      in_programme = true;
      if (xmlTextReaderIsEmptyElement(reader.get())) {
        in_programme = false;
        if (!AddProgramme(state, programme)) return false;
      }
    } else if (in_programme && type == XML_READER_TYPE_ELEMENT && depth == 2 &&
               Name(reader.get()) == "title") {
      programme.titles.emplace_back(Attribute(reader.get(), "lang"), "");
      in_title = !xmlTextReaderIsEmptyElement(reader.get());
    } else if (in_title && (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                            type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE ||
                            type == XML_READER_TYPE_WHITESPACE)) {
      const xmlChar* value = xmlTextReaderConstValue(reader.get());
      if (value != nullptr) programme.titles.back().second += reinterpret_cast<const char*>(value);
    } else if (type == XML_READER_TYPE_END_ELEMENT) {
      if (in_title && depth == 2) {
        in_title = false;
      } else if (in_programme && depth == 1) {
        in_programme = false;
        if (!AddProgramme(state, programme)) return false;
      }
    }
  }
  if (result != 0) {
    if (state->error.empty()) state->error = "cannot read " + state->options->file;
    return false;
  }
  return state->error.empty();
}

std::string FileNameOf(const std::string& id) {
  std::string name = id.empty() ? "_" : id;
  for (char& c : name) {
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
    if (!kept) c = '_';
  }
  return name;
}

// Reads the options; false after printing a usage error.
bool ParseImportOptions(const Arguments& args, ImportOptions* options, int* exit_code) {
  std::vector<std::string> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takes_value = arg == "--tz" || arg == "--codepage" || arg == "--lang" ||
                             arg == "--channel" || arg == "--from" || arg == "--to";
    if (!takes_value) {
      if (arg.size() > 1 && arg[0] == '-') {
        *exit_code = UsageError("import", "unknown option '" + arg + "'");
        return false;
      }
      operands.push_back(arg);
      continue;
    }
    if (i + 1 == args.size()) {
      *exit_code = UsageError("import", arg + " needs a value");
      return false;
    }
    const std::string& value = args[++i];
    if (arg == "--tz") options->zone = value;
    if (arg == "--codepage") options->code_page = value;
    if (arg == "--lang") options->lang = value;
    if (arg == "--channel") options->channels.push_back(value);
    if (arg == "--from" || arg == "--to") {
      std::int64_t* date = arg == "--from" ? &options->from : &options->to;
      if (!ParseIsoDate(value, date)) {
        *exit_code = UsageError("import", arg + " " + value + ": not a date YYYY-MM-DD");
        return false;
      }
      (arg == "--from" ? options->has_from : options->has_to) = true;
    }
  }
  if (operands.size() != 2) {
    *exit_code = UsageError("import", "expects an XMLTV-FILE and a DIR");
    return false;
  }
  options->file = operands[0];
  options->dir = operands[1];
  return true;
}

}  // namespace

int RunImport(const Arguments& args) {
  ImportOptions options;
  int exit_code = 0;
  if (!ParseImportOptions(args, &options, &exit_code)) return exit_code;
  ImportState state{&options, {}, {}, {}, {}};
  std::string error;
  if (!FindTimeZone(options.zone, &state.zone, &error)) {
    PrintError("import", error);
    return 1;
  }
  if (!CodePageKnown(options.code_page)) {
    PrintError("import",
               "unknown code page '" + options.code_page + "' (an iconv name, e.g. cp1252)");
    return 1;
  }
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(options.file.c_str(), "rb"),
                                                          &std::fclose);
  if (file == nullptr) {
    PrintError("import", "cannot read " + options.file);
    return 1;
  }
  if (!ReadXmltv(file.get(), &state)) {
    PrintError("import", state.error);
    return 1;
  }

  // Everything is checked and laid out before the first file is written.
  struct Output {
    std::string path;
    std::string index;
    std::string titles;
  };
  std::vector<Output> outputs;
  std::unordered_map<std::string, std::string> ids_of_files;
  for (ImportedChannel& channel : state.channels) {
    if (channel.in_window > kProgramTableCapacity) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.in_window) +
                               " programmes in the window, but a base holds at most " +
                               std::to_string(kProgramTableCapacity) +
                               "; choose fewer days with --from and --to");
      return 1;
    }
    const std::string file_name = FileNameOf(channel.id);
    const auto [other, added] = ids_of_files.try_emplace(file_name, channel.id);
    if (!added) {
      PrintError("import", "channels " + other->second + " and " + channel.id +
                               " would both be written to " + file_name);
      return 1;
    }
    std::stable_sort(
        channel.programs.begin(), channel.programs.end(),
        [](const ImportedProgram& a, const ImportedProgram& b) { return a.start < b.start; });
    std::vector<StoredProgram> programs;
    for (const ImportedProgram& program : channel.programs) {
      programs.push_back({program.start, program.title});
    }
    Output output{options.dir + "/" + file_name, {}, {}};
    if (EncodeStoredBase(programs, &output.index, &output.titles) != Status::kOk) {
      PrintError("import", "channel " + channel.id +
                               ": the titles together are too long for a base: every title "
                               "must start within the first 65,535 bytes of the .pdt file");
      return 1;
    }
    outputs.push_back(std::move(output));
  }
  for (const std::string& wanted : options.channels) {
    if (state.channel_index.count(wanted) == 0) {
      PrintError("import", "channel " + wanted + ": no programmes in the window; nothing written");
    }
  }

  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const ImportedChannel& channel = state.channels[i];
    const FileReplacement files[] = {
        {BaseFilePath(outputs[i].path, kIndexExtension), outputs[i].index},
        {BaseFilePath(outputs[i].path, kTitleExtension), outputs[i].titles}};
    if (ReplaceFiles(files) != ReplaceResult::kOk) {
      PrintError("import", outputs[i].path + ": cannot write the .ndx or .pdt file");
      return 1;
    }
    std::printf("%s\t%zu programme%s\t%s\n", channel.id.c_str(), channel.programs.size(),
                channel.programs.size() == 1 ? "" : "s", outputs[i].path.c_str());
    if (channel.replaced > 0) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.replaced) +
                               " characters not in " + options.code_page + " became '?'");
    }
    if (channel.cut > 0) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.cut) +
                               (channel.cut == 1 ? " title" : " titles") +
                               " longer than 1999 bytes cut there");
    }
  }
  return 0;
}
