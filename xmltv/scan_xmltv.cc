#include "xmltv/scan_xmltv.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/program_tables.h"
#include "text/ascii.h"
#include "text/escape.h"
#include "text/utf8.h"
#include "xmltv/xml_encodings.h"

namespace {

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
  std::size_t at = 0;
  while (at < text.size() && !title->cut) {
    const char c = text[at];
    if (IsXmlBlank(c)) {
      ++at;
      if (title->utf8.empty()) continue;  // leading
      if (c == '\r' || c == '\n') title->pending_break = true;
      if (title->pending.size() < room) title->pending += c;
      continue;
    }
    if (!IsUtf8Continuation(c)) {  // (else the rest of a character that was kept)
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
    }
    // The run of bytes up to the next blank, taken at once, as many
    // characters of it as there is room for.
    std::size_t end = at;
    while (end < text.size() && !IsXmlBlank(text[end])) {
      if (!IsUtf8Continuation(text[end])) {
        if (title->characters == room) break;
        ++title->characters;
      }
      ++end;
    }
    title->utf8.append(text.substr(at, end - at));
    at = end;
  }
}

// The <programme> being read.
struct PendingProgramme {
  bool wanted = false;
  std::string channel;
  std::string start;
  std::string stop;
  bool has_stop = false;
  int line = 0;
  TitleText first;    // its first title
  TitleText in_lang;  // its first title in --lang
  bool has_first = false;
  bool has_lang = false;
  TitleText* reading = nullptr;  // the title whose text is being kept
};

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

struct ReadState {
  const XmltvScope* scope = nullptr;
  const ProgrammeSink* sink = nullptr;
  xmlParserCtxtPtr parser = nullptr;
  std::FILE* file = nullptr;
  std::uint64_t bytes_read = 0;
  bool read_failed = false;
  MarkupWatch watch;
  int depth = 0;  // of the element being read; the root is at 0
  bool in_programme = false;
  PendingProgramme programme;
  ScanTally tally;
  std::string head;  // the first bytes, until the XML declaration is checked
  bool head_checked = false;
  std::string error;         // the first failure, with its place
  std::string parser_error;  // the parser's first error, with its place
};

// Every message about a place in the document: "FILE:LINE: what".
std::string ErrorAt(const ReadState& state, long line, const std::string& message) {
  return state.scope->shown_file + ":" + std::to_string(line) + ": " + message;
}

// Nothing beyond the named file is ever loaded: a DTD, an external entity,
// anything named by a URL.
xmlParserInputPtr RefuseExternal(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// The encoding a UTF-8 byte-order mark says, against the one the XML
// declaration names: a document cannot be both, and which one was meant is
// for its maker to say. "" when they agree or there is nothing to compare.
std::string ConflictingDeclaration(std::string_view head) {
  if (!head.starts_with("\xEF\xBB\xBF<?xml")) return {};
  const std::string_view declaration = head.substr(0, head.find("?>"));
  const std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return {};
  const std::size_t open = declaration.find_first_of("\"'", at);
  if (open == std::string_view::npos) return {};
  const std::size_t close = declaration.find(declaration[open], open + 1);
  if (close == std::string_view::npos) return {};
  const std::string_view name = declaration.substr(open + 1, close - open - 1);
  if (EqualIgnoringAsciiCase(name, "UTF-8") || EqualIgnoringAsciiCase(name, "UTF8")) return {};
  return std::string(name);
}

int ReadFromFile(void* context, char* buffer, int length) {
  auto* state = static_cast<ReadState*>(context);
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), state->file);
  if (got == 0 && std::ferror(state->file) != 0) {
    state->read_failed = true;
    return -1;
  }
  state->bytes_read += got;
  if (!state->head_checked) {
    constexpr std::size_t kHead = 512;  // an XML declaration is far shorter
    state->head.append(buffer, std::min(got, kHead - std::min(kHead, state->head.size())));
    if (got == 0 || state->head.size() >= kHead || state->head.find("?>") != std::string::npos) {
      state->head_checked = true;
      if (const std::string declared = ConflictingDeclaration(state->head); !declared.empty()) {
        state->error =
            ErrorAt(*state, 1,
                    "a UTF-8 byte-order mark, but encoding=\"" + BriefText(declared) +
                        "\" declared: the document cannot be both; save it as one of them");
        return -1;
      }
      std::string().swap(state->head);
    }
  }
  if (!WatchMarkup(&state->watch, {buffer, got})) {
    if (state->error.empty()) {
      state->error = ErrorAt(*state, state->watch.line,
                             "an element has more than " + std::to_string(kMaxAttributes) +
                                 " attributes; no XMLTV element has so many");
    }
    return -1;
  }
  return static_cast<int>(got);
}

int LeaveOpen(void*) { return 0; }  // the caller closes the file

int LineNow(const ReadState& state) { return xmlSAX2GetLineNumber(state.parser); }

// Stops the reading at the first failure of ours, at `line` or else the
// current one.
void Fail(ReadState* state, const std::string& message, int line = 0) {
  if (state->error.empty()) {
    state->error = ErrorAt(*state, line > 0 ? line : LineNow(*state), message);
  }
  xmlStopParser(state->parser);
}

void KeepParserError(void* context, xmlErrorPtr error) {
  auto* state = static_cast<ReadState*>(context);
  if (!state->parser_error.empty() || error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string message = error->message != nullptr ? error->message : "unknown error";
  while (!message.empty() && message.back() == '\n') message.pop_back();
  state->parser_error =
      ErrorAt(*state, error->line, "not well-formed XML: " + BriefText(message, 300));
}

std::string_view Text(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// The value of the attribute `name` among SAX2's five pointers per
// attribute, or false when the element has none of that name.
bool FindAttribute(int count, const xmlChar** attributes, const char* name,
                   std::string_view* value) {
  for (int i = 0; i < count; ++i) {
    const xmlChar** attribute = attributes + 5 * i;
    if (attribute[1] == nullptr &&
        std::strcmp(reinterpret_cast<const char*>(attribute[0]), name) == 0) {
      *value = {reinterpret_cast<const char*>(attribute[3]),
                static_cast<std::size_t>(attribute[4] - attribute[3])};
      return true;
    }
  }
  return false;
}

std::string_view Attribute(int count, const xmlChar** attributes, const char* name) {
  std::string_view value;
  FindAttribute(count, attributes, name, &value);
  return value;
}

bool Wanted(const XmltvScope& options, std::string_view channel) {
  return options.channels.empty() || std::find(options.channels.begin(), options.channels.end(),
                                               channel) != options.channels.end();
}

void NoteChannelHeld(ReadState* state, std::string_view id) {
  const std::vector<std::string>& named = state->scope->channels;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (named[i] == id) state->tally.named_held[i] = true;
  }
}

// The programme just read, to the sink.
void HandOn(ReadState* state) {
  const PendingProgramme& programme = state->programme;
  const TitleText* title = programme.has_lang    ? &programme.in_lang
                           : programme.has_first ? &programme.first
                                                 : nullptr;
  ScannedProgramme scanned;
  scanned.channel = programme.channel;
  scanned.start = programme.start;
  scanned.stop = programme.stop;
  scanned.has_stop = programme.has_stop;
  scanned.line = programme.line;
  scanned.title = title != nullptr ? &title->utf8 : nullptr;
  scanned.title_cut = title != nullptr && title->cut;
  if (std::string why = (*state->sink)(scanned); !why.empty()) {
    Fail(state, why, programme.line);
  }
}

void StartElement(void* context, const xmlChar* local_name, const xmlChar*, const xmlChar*, int,
                  const xmlChar**, int attribute_count, int, const xmlChar** attributes) {
  auto* state = static_cast<ReadState*>(context);
  const std::string_view name = Text(local_name);
  const int depth = state->depth++;
  if (depth == 0 && name != "tv") {
    Fail(state, "not an XMLTV document: the root element is <" + BriefText(name) + ">, not <tv>");
  } else if (depth == 1 && name == "channel") {
    NoteChannelHeld(state, Attribute(attribute_count, attributes, "id"));
  } else if (depth == 1 && name == "programme") {
    PendingProgramme& programme = state->programme;
    programme = {};
    state->in_programme = true;
    // Only what a wanted programme needs is copied: an attribute may be huge.
    const std::string_view channel = Attribute(attribute_count, attributes, "channel");
    // No base can be named for it: left out, and counted for a warning.
    if (channel.empty()) {
      ++state->tally.without_channel;
      return;
    }
    NoteChannelHeld(state, channel);
    programme.wanted = Wanted(*state->scope, channel);
    if (!programme.wanted) return;
    if (channel.size() > kMaxChannelIdLength) {
      Fail(state, "channel id " + BriefText(channel) + " is longer than " +
                      std::to_string(kMaxChannelIdLength) + " bytes, too long for a file name");
      return;
    }
    programme.channel = channel;
    programme.start = Attribute(attribute_count, attributes, "start");
    std::string_view stop;
    programme.has_stop = FindAttribute(attribute_count, attributes, "stop", &stop);
    programme.stop = stop;
    programme.line = LineNow(*state);
  } else if (depth == 2 && state->in_programme && state->programme.wanted && name == "title") {
    PendingProgramme& programme = state->programme;
    const std::string& lang = state->scope->lang;
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
  auto* state = static_cast<ReadState*>(context);
  const int depth = --state->depth;
  if (depth == 2) {
    state->programme.reading = nullptr;
  } else if (depth == 1 && state->in_programme) {
    state->in_programme = false;
    if (state->programme.wanted) HandOn(state);
  }
}

void Characters(void* context, const xmlChar* text, int length) {
  auto* state = static_cast<ReadState*>(context);
  if (state->programme.reading != nullptr) {
    AppendTitleText(state->programme.reading,
                    {reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)});
  }
}

// XMLTV needs no entities: a declaration is refused before anything could
// expand it, so that no entity can grow a document in time or memory.
void EntityDeclaration(void* context, const xmlChar* name, int, const xmlChar*, const xmlChar*,
                       xmlChar*) {
  Fail(static_cast<ReadState*>(context),
       "the document declares the entity " + BriefText(Text(name)) +
           ": XMLTV needs none, and documents that declare entities are refused");
}

void UnparsedEntityDeclaration(void* context, const xmlChar* name, const xmlChar* public_id,
                               const xmlChar* system_id, const xmlChar*) {
  EntityDeclaration(context, name, 0, public_id, system_id, nullptr);
}

void EntityReference(void* context, const xmlChar* name) {
  Fail(static_cast<ReadState*>(context),
       "entity &" + BriefText(Text(name)) +
           "; is refused: only XML's own entities and character references are read");
}

xmlEntityPtr NoEntity(void*, const xmlChar*) { return nullptr; }

// Reads the whole file; false with the reason on the first failure.
bool Parse(ReadState* state, std::string* error) {
  const std::string& shown = state->scope->shown_file;
  xmlSetExternalEntityLoader(RefuseExternal);
  RegisterCodePageEncodings();
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

}  // namespace

std::string MissingChannelText(const XmltvScope& scope, const ScanTally& tally) {
  for (std::size_t i = 0; i < scope.channels.size(); ++i) {
    if (!tally.named_held[i]) {
      return "channel " + scope.channels[i] + ": not in " + scope.shown_file +
             " (no <channel> or <programme> has that id)";
    }
  }
  return {};
}

bool ScanXmltv(std::FILE* file, const XmltvScope& scope, const ProgrammeSink& sink,
               ScanTally* tally, std::string* error) {
  ReadState state;
  state.scope = &scope;
  state.sink = &sink;
  state.file = file;
  state.tally.named_held.assign(scope.channels.size(), false);
  const bool read = Parse(&state, error);
  *tally = std::move(state.tally);
  return read;
}
