// skedtool import: channel bases from an XMLTV file.
#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
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

namespace {

constexpr char kImportHelpText[] =
    "Usage: skedtool import [--tz ZONE] [--codepage CP] [--lang LANG] [--channel ID]...\n"
    "                       [--from DATE] [--to DATE] XMLTV-FILE DIR\n"
    "\n"
    "Writes a channel base DIR/FILE.ndx and DIR/FILE.pdt for every channel of the\n"
    "XMLTV file that has programmes in the window (only the --channel ones, when\n"
    "given), and prints a line for each: its id, how many programmes, and where.\n"
    "FILE is the channel id with every byte but A-Z a-z 0-9 . _ - made '_'.\n"
    "Programmes are stored in start order; starts that are equal keep the file's\n"
    "order. All bases are replaced together: on any failure every old base stays\n"
    "as it was. XMLTV-FILE '-' reads standard input.\n"
    "\n"
    "  --tz ZONE      the time zone whose wall-clock time the bases hold: a name of\n"
    "                 the system's time-zone database, such as Europe/Berlin or UTC.\n"
    "                 Each XMLTV time is turned into ZONE's wall time, daylight\n"
    "                 saving included. Default: the system's local zone (TZ, then\n"
    "                 /etc/localtime).\n"
    "  --codepage CP  the single-byte code page of the titles, an iconv name such as\n"
    "                 cp1252 (the default), ISO-8859-15 or KOI8-R. A character CP\n"
    "                 lacks becomes '?', and a warning says how many did.\n"
    "  --lang LANG    take the first title whose lang is LANG (otherwise the first).\n"
    "  --channel ID   only this channel; may be given more than once. An ID the\n"
    "                 file does not hold is an error.\n"
    "  --from DATE    only programmes starting at or after 00:00 of DATE (YYYY-MM-DD,\n"
    "                 in ZONE's wall time);\n"
    "  --to DATE      ... and before 00:00 of DATE, which must come after --from.\n"
    "\n"
    "Times: YYYYMMDDhhmmss (or a leading part of it, at least the year), then an\n"
    "offset from UTC, +HHMM or -HHMM (HH up to 23, MM up to 59), or one of these\n"
    "zone names, in any case, each meaning one fixed offset:\n"
    "  UTC UT GMT Z, EST EDT CST CDT MST MDT PST PDT AKST AKDT HST AST ADT NST NDT,\n"
    "  WET WEST BST CET CEST EET EEST MSK, AEST AEDT ACST ACDT AWST NZST NZDT JST.\n"
    "Without either a time is UTC. Other names, and names that mean different\n"
    "offsets in different places (IST), are refused: write +HHMM instead. A start\n"
    "whose wall time in ZONE falls after 9999-12-31 23:59:59 is refused.\n"
    "\n"
    "Titles: white space at either end is dropped, and each line break, with the\n"
    "white space around it, becomes one space. A title longer than 1,999 bytes\n"
    "is cut there, with a warning; a programme without a title gets an empty one.\n"
    "\n"
    "Nothing at all is written when the file is not well-formed XML or not XMLTV\n"
    "(its root element is not tv), an element has more than 64 attributes, a\n"
    "start is no valid time, a channel id is longer than 250 bytes, more than\n"
    "10,000 channels have programmes in the window, or a channel has more than\n"
    "400 programmes in the window. Only the named file is read: no DTD, no\n"
    "external entity, nothing from the network. XMLTV needs no entities of its\n"
    "own: a document that declares any is refused, and so is a reference to one\n"
    "other than XML's own.\n";

// Every name of the zone table is in the help text.
constexpr bool HelpNamesEveryZone() {
  const std::string_view help = kImportHelpText;
  for (const XmltvZoneName& zone : kXmltvZoneNames) {
    const std::string_view name = zone.name;
    bool found = false;
    for (std::size_t at = help.find(name); at != std::string_view::npos && !found;
         at = help.find(name, at + 1)) {
      const char before = help[at - 1];
      const char after = help[at + name.size()];
      found = (before == ' ') && (after == ' ' || after == ',' || after == '.' || after == '\n');
    }
    if (!found) return false;
  }
  return true;
}
static_assert(HelpNamesEveryZone());
static_assert(kProgramTableCapacity == 400 && kMaxTitleLength == 1999,
              "the help above states these limits");

}  // namespace

const char* const kImportHelp = kImportHelpText;

namespace {

// A channel id becomes a file name, which most file systems keep under 256
// bytes with its extension.
constexpr std::size_t kMaxChannelIdLength = 250;
static_assert(kMaxChannelIdLength + sizeof ".ndx" <= 256);

// An import writes two files a channel, all in one replacement: this many
// channels is far beyond any real listing, and keeps the time and memory of
// one import bounded.
constexpr std::size_t kMaxChannels = 10'000;
static_assert(kMaxChannels == 10'000 && kMaxChannelIdLength == 250,
              "import's help states these limits");

// What a message shows of a text from the file: enough to find it, and never
// so much that a hostile file makes a huge message.
std::string Brief(std::string_view text, std::size_t shown = 60) {
  if (text.size() <= shown) return std::string(text);
  std::size_t end = shown;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end)) + "... (" + std::to_string(text.size()) + " bytes)";
}

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
  std::string shown_file;  // the file as messages name it
  std::string dir;
};

// A title as a base will hold it, built as its text arrives: white space at
// either end dropped, each line break with the white space around it made one
// space, and no more kept than a base holds, so that no document, however
// long its titles, takes more memory for one.
struct TitleText {
  std::string utf8;
  std::size_t characters = 0;  // each becomes one byte in the code page
  std::string pending;         // white space not yet known to stand inside
  bool pending_break = false;  // ... and whether it holds a line break
  bool cut = false;            // once set, nothing more is kept
};

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void AppendTitleText(TitleText* title, std::string_view text) {
  const std::size_t room = static_cast<std::size_t>(kMaxTitleLength);
  for (const char c : text) {
    if (title->cut) return;
    if (IsXmlBlank(c)) {
      if (title->utf8.empty()) continue;  // leading
      if (c == '\r' || c == '\n') title->pending_break = true;
      if (title->pending.size() < room) title->pending += c;
      continue;
    }
    // The rest of a character that was kept.
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) {
      title->utf8 += c;
      continue;
    }
    if (title->pending_break) title->pending = " ";
    for (const char blank : title->pending) {
      if (title->characters == room) break;
      title->utf8 += blank;
      ++title->characters;
    }
    title->pending.clear();
    title->pending_break = false;
    if (title->characters == room) {
      title->cut = true;
      return;
    }
    title->utf8 += c;
    ++title->characters;
  }
}

// The <programme> being read.
struct PendingProgramme {
  bool wanted = false;
  std::string channel;
  std::string start;
  int line = 0;
  TitleText first;    // its first title
  TitleText in_lang;  // its first title in --lang
  bool has_first = false;
  bool has_lang = false;
  TitleText* reading = nullptr;  // the title whose text is being kept
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

// The parser checks an element's attributes against each other, which takes
// time growing with the square of their number; no XMLTV element has more
// than a handful. The bytes are watched as they are read, so that an element
// with a great many is refused before the parser meets it.
constexpr int kMaxAttributes = 64;
static_assert(kMaxAttributes == 64, "import's help states this limit");

struct MarkupWatch {
  enum Where { kText, kTag, kQuoted, kOther } where = kText;
  char quote = 0;
  bool just_opened = false;  // the '<' was the last byte seen
  int equals = 0;            // '=' seen in the tag so far
  int line = 1;
};

// False when the bytes hold a tag with more than kMaxAttributes attributes.
// Text, quoted values and comments are skipped a search at a time.
bool WatchMarkup(MarkupWatch* watch, std::string_view bytes) {
  std::size_t at = 0;
  const auto skip_to = [&](char wanted) {
    const std::size_t found = bytes.find(wanted, at);
    at = found == std::string_view::npos ? bytes.size() : found + 1;
    return found != std::string_view::npos;
  };
  bool within_limit = true;
  while (at < bytes.size() && within_limit) {
    switch (watch->where) {
      case MarkupWatch::kText:
        if (skip_to('<')) {
          watch->where = MarkupWatch::kTag;
          watch->just_opened = true;
          watch->equals = 0;
        }
        break;
      case MarkupWatch::kQuoted:
        if (skip_to(watch->quote)) watch->where = MarkupWatch::kTag;
        break;
      case MarkupWatch::kOther:  // comments, CDATA, declarations
        if (skip_to('>')) watch->where = MarkupWatch::kText;
        break;
      case MarkupWatch::kTag:
        if (watch->just_opened) {  // the byte after '<'
          watch->just_opened = false;
          if (bytes[at] == '!' || bytes[at] == '?') {
            watch->where = MarkupWatch::kOther;
            ++at;
            break;
          }
        }
        while (at < bytes.size()) {
          const char c = bytes[at++];
          if (c == '>') {
            watch->where = MarkupWatch::kText;
            break;
          }
          if (c == '"' || c == '\'') {
            watch->where = MarkupWatch::kQuoted;
            watch->quote = c;
            break;
          }
          if (c == '=' && ++watch->equals > kMaxAttributes) {
            within_limit = false;
            break;
          }
        }
        break;
    }
  }
  watch->line += static_cast<int>(std::count(bytes.begin(), bytes.begin() + at, '\n'));
  return within_limit;
}

struct ImportState {
  const ImportOptions* options = nullptr;
  TimeZone zone;
  xmlParserCtxtPtr parser = nullptr;
  std::FILE* file = nullptr;
  std::uint64_t bytes_read = 0;
  bool read_failed = false;
  MarkupWatch watch;
  int depth = 0;  // of the element being read; the root is at 0
  bool in_programme = false;
  PendingProgramme programme;
  std::vector<ImportedChannel> channels;
  std::unordered_map<std::string, std::size_t> channel_index;
  std::vector<bool> named_held;  // for each --channel: whether the file holds it
  std::string error;             // the first failure, with its place
  std::string parser_error;      // the parser's first error, with its place
};

// Nothing beyond the named file is ever loaded: a DTD, an external entity,
// anything named by a URL.
xmlParserInputPtr RefuseExternal(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

int ReadFromFile(void* context, char* buffer, int length) {
  auto* state = static_cast<ImportState*>(context);
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), state->file);
  if (got == 0 && std::ferror(state->file) != 0) {
    state->read_failed = true;
    return -1;
  }
  state->bytes_read += got;
  if (!WatchMarkup(&state->watch, {buffer, got})) {
    if (state->error.empty()) {
      state->error = state->options->shown_file + ":" + std::to_string(state->watch.line) +
                     ": an element has more than " + std::to_string(kMaxAttributes) +
                     " attributes; no XMLTV element has so many";
    }
    return -1;
  }
  return static_cast<int>(got);
}

int LeaveOpen(void*) { return 0; }  // the caller closes the file

int LineNow(const ImportState& state) { return xmlSAX2GetLineNumber(state.parser); }

// Stops the reading at the first failure of ours, at `line` or else the
// current one.
void Fail(ImportState* state, const std::string& message, int line = 0) {
  if (state->error.empty()) {
    state->error = state->options->shown_file + ":" +
                   std::to_string(line > 0 ? line : LineNow(*state)) + ": " + message;
  }
  xmlStopParser(state->parser);
}

void KeepParserError(void* context, xmlErrorPtr error) {
  auto* state = static_cast<ImportState*>(context);
  if (!state->parser_error.empty() || error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string message = error->message != nullptr ? error->message : "unknown error";
  while (!message.empty() && message.back() == '\n') message.pop_back();
  state->parser_error = state->options->shown_file + ":" + std::to_string(error->line) +
                        ": not well-formed XML: " + Brief(message, 300);
}

std::string_view Text(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// The value of the attribute `name` among SAX2's five pointers per attribute.
std::string_view Attribute(int count, const xmlChar** attributes, std::string_view name) {
  for (int i = 0; i < count; ++i) {
    const xmlChar** attribute = attributes + 5 * i;
    if (attribute[1] == nullptr && Text(attribute[0]) == name) {
      return {reinterpret_cast<const char*>(attribute[3]),
              static_cast<std::size_t>(attribute[4] - attribute[3])};
    }
  }
  return {};
}

bool Wanted(const ImportOptions& options, std::string_view channel) {
  return options.channels.empty() || std::find(options.channels.begin(), options.channels.end(),
                                               channel) != options.channels.end();
}

void NoteChannelHeld(ImportState* state, std::string_view id) {
  const std::vector<std::string>& named = state->options->channels;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (named[i] == id) state->named_held[i] = true;
  }
}

// The start as a wall time of ZONE in FILETIME ticks, or "" and the reason.
std::string ReadStart(const ImportState& state, const std::string& start, std::int64_t* wall,
                      std::uint64_t* ticks) {
  std::int64_t utc = 0;
  switch (ParseXmltvTime(start, &utc)) {
    case XmltvTimeResult::kOk:
      break;
    case XmltvTimeResult::kMalformed:
      return "is no valid XMLTV time (YYYYMMDDhhmmss +HHMM)";
    case XmltvTimeResult::kUnknownZoneName:
      return "has a zone name that is not accepted; accepted are " + XmltvZoneNameList() +
             " (any case); write the offset as +HHMM or -HHMM instead";
  }
  *wall = WallTimeOf(state.zone, utc);
  if (*wall > kLatestXmltvWallTime) {
    return "falls after 9999-12-31 23:59:59 in " + state.zone.name + ", past any XMLTV time";
  }
  if (!TicksOfWallTime(*wall, ticks)) return "falls before 1601, which a base cannot hold";
  return {};
}

void AddProgramme(ImportState* state) {
  const ImportOptions& options = *state->options;
  PendingProgramme& programme = state->programme;
  std::int64_t wall = 0;
  std::uint64_t ticks = 0;
  if (const std::string why = ReadStart(*state, programme.start, &wall, &ticks); !why.empty()) {
    Fail(state,
         "programme of " + Brief(programme.channel) + ": start \"" + Brief(programme.start) +
             "\" " + why,
         programme.line);
    return;
  }
  if ((options.has_from && wall < options.from) || (options.has_to && wall >= options.to)) {
    return;
  }
  auto slot = state->channel_index.find(programme.channel);
  if (slot == state->channel_index.end()) {
    if (state->channels.size() == kMaxChannels) {
      Fail(state,
           "more than " + std::to_string(kMaxChannels) +
               " channels have programmes in the window, more than one import writes; choose "
               "some with --channel",
           programme.line);
      return;
    }
    slot = state->channel_index.emplace(programme.channel, state->channels.size()).first;
    state->channels.push_back({programme.channel, {}, 0, 0, 0});
  }
  ImportedChannel& channel = state->channels[slot->second];
  // Past the capacity only the count goes on: the import is refused anyway.
  if (++channel.in_window > kProgramTableCapacity) return;
  const TitleText* title = programme.has_lang    ? &programme.in_lang
                           : programme.has_first ? &programme.first
                                                 : nullptr;
  std::string converted;
  if (title != nullptr) {
    converted = FromUtf8(options.code_page, title->utf8, &channel.replaced);
    if (title->cut || converted.size() > static_cast<std::size_t>(kMaxTitleLength)) {
      converted.resize(std::min(converted.size(), static_cast<std::size_t>(kMaxTitleLength)));
      ++channel.cut;
    }
  }
  channel.programs.push_back({ticks, std::move(converted)});
}

void StartElement(void* context, const xmlChar* local_name, const xmlChar*, const xmlChar*, int,
                  const xmlChar**, int attribute_count, int, const xmlChar** attributes) {
  auto* state = static_cast<ImportState*>(context);
  const std::string_view name = Text(local_name);
  const int depth = state->depth++;
  if (depth == 0 && name != "tv") {
    Fail(state, "not an XMLTV document: the root element is <" + Brief(name) + ">, not <tv>");
  } else if (depth == 1 && name == "channel") {
    NoteChannelHeld(state, Attribute(attribute_count, attributes, "id"));
  } else if (depth == 1 && name == "programme") {
    PendingProgramme& programme = state->programme;
    programme = {};
    state->in_programme = true;
    // Only what a wanted programme needs is copied: an attribute may be huge.
    const std::string_view channel = Attribute(attribute_count, attributes, "channel");
    NoteChannelHeld(state, channel);
    programme.wanted = Wanted(*state->options, channel);
    if (!programme.wanted) return;
    if (channel.size() > kMaxChannelIdLength) {
      Fail(state, "channel id " + Brief(channel) + " is longer than " +
                      std::to_string(kMaxChannelIdLength) + " bytes, too long for a file name");
      return;
    }
    programme.channel = channel;
    programme.start = Attribute(attribute_count, attributes, "start");
    programme.line = LineNow(*state);
  } else if (depth == 2 && state->in_programme && state->programme.wanted && name == "title") {
    PendingProgramme& programme = state->programme;
    const std::string& lang = state->options->lang;
    if (!lang.empty() && !programme.has_lang &&
        Attribute(attribute_count, attributes, "lang") == lang) {
      programme.has_lang = true;
      programme.reading = &programme.in_lang;
    } else if (!programme.has_first) {
      programme.has_first = true;
      programme.reading = &programme.first;
    }
  }
}

void EndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* state = static_cast<ImportState*>(context);
  const int depth = --state->depth;
  if (depth == 2) {
    state->programme.reading = nullptr;
  } else if (depth == 1 && state->in_programme) {
    state->in_programme = false;
    if (state->programme.wanted) AddProgramme(state);
  }
}

void Characters(void* context, const xmlChar* text, int length) {
  auto* state = static_cast<ImportState*>(context);
  if (state->programme.reading != nullptr) {
    AppendTitleText(state->programme.reading,
                    {reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)});
  }
}

// XMLTV needs no entities: a declaration is refused before anything could
// expand it, so that no entity can grow a document in time or memory.
void EntityDeclaration(void* context, const xmlChar* name, int, const xmlChar*, const xmlChar*,
                       xmlChar*) {
  Fail(static_cast<ImportState*>(context),
       "the document declares the entity " + Brief(Text(name)) +
           ": XMLTV needs none, and documents that declare entities are refused");
}

void UnparsedEntityDeclaration(void* context, const xmlChar* name, const xmlChar* public_id,
                               const xmlChar* system_id, const xmlChar*) {
  EntityDeclaration(context, name, 0, public_id, system_id, nullptr);
}

void EntityReference(void* context, const xmlChar* name) {
  Fail(static_cast<ImportState*>(context),
       "entity &" + Brief(Text(name)) +
           "; is refused: only XML's own entities and character references are read");
}

xmlEntityPtr NoEntity(void*, const xmlChar*) { return nullptr; }

// Reads the whole file; false with the reason on the first failure.
bool ReadXmltv(ImportState* state, std::string* error) {
  const std::string& shown = state->options->shown_file;
  xmlSetExternalEntityLoader(RefuseExternal);
  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof handler);
  handler.initialized = XML_SAX2_MAGIC;
  handler.startElementNs = StartElement;
  handler.endElementNs = EndElement;
  handler.characters = Characters;
  handler.ignorableWhitespace = Characters;
  handler.cdataBlock = Characters;
  handler.entityDecl = EntityDeclaration;
  handler.unparsedEntityDecl = UnparsedEntityDeclaration;
  handler.reference = EntityReference;
  handler.getEntity = NoEntity;
  handler.getParameterEntity = NoEntity;
  handler.serror = KeepParserError;
  // No internalSubset or externalSubset handler: no DTD is ever loaded.
  std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> parser(
      xmlCreateIOParserCtxt(&handler, state, ReadFromFile, LeaveOpen, state,
                            XML_CHAR_ENCODING_NONE),
      &xmlFreeParserCtxt);
  if (parser == nullptr) {
    *error = "cannot read " + shown;
    return false;
  }
  state->parser = parser.get();
  xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET);
  const int result = xmlParseDocument(parser.get());
  // The parser keeps entity declarations in a document of its own, even
  // without a tree: it is ours to free.
  if (parser->myDoc != nullptr) {
    xmlFreeDoc(parser->myDoc);
    parser->myDoc = nullptr;
  }
  const bool well_formed = parser->wellFormed != 0;
  state->parser = nullptr;
  if (!state->error.empty()) {
    *error = state->error;
  } else if (state->read_failed) {
    *error = "cannot read " + shown;
  } else if (state->bytes_read == 0) {
    *error = shown + " is empty";
  } else if (result != 0 || !well_formed) {
    *error = !state->parser_error.empty() ? state->parser_error : shown + ": not well-formed XML";
  }
  return error->empty();
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
  if (options->has_from && options->has_to && options->from >= options->to) {
    *exit_code = UsageError("import", "--from must be a day before --to: the window is empty");
    return false;
  }
  options->file = operands[0];
  options->shown_file = options->file == "-" ? "standard input" : options->file;
  options->dir = operands[1];
  return true;
}

// The XMLTV file as a stream, or null with the reason.
std::FILE* OpenXmltv(const ImportOptions& options, std::string* error) {
  if (options.file == "-") return stdin;
  std::error_code ignored;
  if (std::filesystem::is_directory(options.file, ignored)) {
    *error = options.file + " is a folder, not an XMLTV file";
    return nullptr;
  }
  std::FILE* file = std::fopen(options.file.c_str(), "rb");
  if (file == nullptr) *error = "cannot read " + options.file;
  return file;
}

// Why the bases cannot go into DIR, or "".
std::string DirectoryProblem(const std::string& dir) {
  std::error_code error;
  const auto status = std::filesystem::status(dir, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return dir + ": no such folder; nothing written";
  }
  if (!error && status.type() != std::filesystem::file_type::directory) {
    return dir + " is not a folder; nothing written";
  }
  return {};
}

struct Output {
  std::string path;
  std::string index;
  std::string titles;
};

// Lays out every base; false after printing why one cannot be written.
bool BuildOutputs(const ImportOptions& options, std::vector<ImportedChannel>* channels,
                  std::vector<Output>* outputs) {
  std::unordered_map<std::string, std::string> ids_of_files;
  for (ImportedChannel& channel : *channels) {
    if (channel.in_window > kProgramTableCapacity) {
      PrintError("import", "channel " + Brief(channel.id) + ": " +
                               std::to_string(channel.in_window) +
                               " programmes in the window, but a base holds at most " +
                               std::to_string(kProgramTableCapacity) +
                               "; choose fewer days with --from and --to");
      return false;
    }
    const std::string file_name = FileNameOf(channel.id);
    const auto [other, added] = ids_of_files.try_emplace(file_name, channel.id);
    if (!added) {
      PrintError("import", "channels " + Brief(other->second) + " and " + Brief(channel.id) +
                               " would both be written to " + Brief(file_name));
      return false;
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
      PrintError("import", "channel " + Brief(channel.id) + ": " + TitlesTooLongText());
      return false;
    }
    outputs->push_back(std::move(output));
  }
  return true;
}

}  // namespace

int RunImport(const Arguments& args) {
  ImportOptions options;
  int exit_code = 0;
  if (!ParseImportOptions(args, &options, &exit_code)) return exit_code;
  ImportState state;
  state.options = &options;
  state.named_held.assign(options.channels.size(), false);
  std::string error;
  if (!FindTimeZone(options.zone, &state.zone, &error) ||
      !(error = CodePageProblem(options.code_page)).empty()) {
    PrintError("import", error);
    return 1;
  }
  std::FILE* file = OpenXmltv(options, &error);
  if (file == nullptr) {
    PrintError("import", error);
    return 1;
  }
  state.file = file;
  const bool read = ReadXmltv(&state, &error);
  if (file != stdin) std::fclose(file);
  if (!read) {
    PrintError("import", error);
    return 1;
  }

  // Everything is checked and laid out before the first file is written.
  for (std::size_t i = 0; i < options.channels.size(); ++i) {
    if (!state.named_held[i]) {
      PrintError("import", "channel " + options.channels[i] + ": not in " + options.shown_file +
                               " (no <channel> or <programme> has that id); nothing written");
      return 1;
    }
  }
  std::vector<Output> outputs;
  if (!BuildOutputs(options, &state.channels, &outputs)) return 1;
  if (const std::string problem = DirectoryProblem(options.dir); !problem.empty()) {
    PrintError("import", problem);
    return 1;
  }
  std::vector<FileReplacement> files;
  for (const Output& output : outputs) {
    files.push_back({BaseFilePath(output.path, kIndexExtension), output.index});
    files.push_back({BaseFilePath(output.path, kTitleExtension), output.titles});
  }
  std::vector<std::string> left_behind;
  const ReplaceResult result = ReplaceFiles(files, &left_behind);
  if (!ReportReplacement("import", result, options.dir, left_behind)) return 1;

  for (const std::string& wanted : options.channels) {
    if (state.channel_index.count(wanted) == 0) {
      PrintError("import", "channel " + wanted + ": no programmes in the window; nothing written");
    }
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const ImportedChannel& channel = state.channels[i];
    std::printf("%s\t%zu programme%s\t%s\n", channel.id.c_str(), channel.programs.size(),
                channel.programs.size() == 1 ? "" : "s", outputs[i].path.c_str());
    if (channel.replaced > 0) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.replaced) +
                               " characters not in " + options.code_page + " became '?'");
    }
    if (channel.cut > 0) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.cut) +
                               (channel.cut == 1 ? " title" : " titles") + " longer than " +
                               std::to_string(kMaxTitleLength) + " bytes cut there");
    }
  }
  return 0;
}
