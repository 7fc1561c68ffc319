// skedtool validate: what players would leave out or misread in an XMLTV file.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "text/ascii.h"
#include "text/code_page.h"
#include "tool/tool_output.h"
#include "tool/xmltv_commands.h"
#include "xmltv/feed_check.h"
#include "xmltv/read_xmltv.h"
#include "xmltv/time_zone.h"

constexpr char kValidateHelp[] =
    "Usage: skedtool validate [--tz ZONE] [--codepage CP] [--lang LANG] [--channel ID]...\n"
    "                         [--max-gap MINUTES] XMLTV-FILE\n"
    "\n"
    "Reads any XMLTV file, as import would, and tells for each channel what\n"
    "players (tvheadend, Jellyfin, Kodi) would leave out or misread, each kind\n"
    "once a channel, at the first programme that shows it, with how many more\n"
    "do; then a summary. Exit 0: nothing found; 1: findings; 2: the file cannot\n"
    "be read or is refused as import refuses it (not well-formed XML, not\n"
    "XMLTV, entities, more than 64 attributes to an element, a channel id longer\n"
    "than 250 bytes, more than 10,000 channels). XMLTV-FILE '-' reads standard\n"
    "input.\n"
    "\n"
    "Found, channel by channel:\n"
    "  a start that is no XMLTV time; no stop; a stop that is no XMLTV time or\n"
    "  not after its start; a programme that repeats the one before it exactly\n"
    "  (start, stop and title); one that starts before an earlier one stops;\n"
    "  nothing for longer than --max-gap; a time without an offset, or with a\n"
    "  zone name where players expect +HHMM; with --tz, an offset that is ZONE's\n"
    "  in another season, not at that moment (a feed at +0000 all year that means\n"
    "  London's clock is an hour off all summer); a title with characters CP\n"
    "  lacks.\n"
    "And for the file: channels whose ids an import would write to one base\n"
    "file (on Windows, names that differ in letter case only are one file), and\n"
    "programmes that name no channel.\n"
    "\n"
    "  --tz ZONE           the zone whose clock the feed means (a name of the IANA\n"
    "                      time-zone database, such as Europe/London): an offset\n"
    "                      ZONE never has is taken as another zone's, and not\n"
    "                      told; without --tz offsets are not compared.\n"
    "  --codepage CP       the code page titles are to be imported in: cp1252 (the\n"
    "                      default) or another that 'skedtool --help' lists.\n"
    "  --lang LANG         check the first title whose lang is LANG (otherwise the\n"
    "                      first), the one import would take.\n"
    "  --channel ID        only this channel; may be given more than once.\n"
    "  --max-gap MINUTES   the longest a channel may show nothing between\n"
    "                      programmes: 1440 (a day) unless given, 1 to 527040.\n"
    "\n"
    "Programmes are compared in start order, each with those before it. The\n"
    "file is read as it streams, a channel's last 128 programmes held; one\n"
    "listed further from its place than that is counted in a note, not\n"
    "compared.\n";

static_assert(Mentions(kValidateHelp, kDefaultCodePage), "the help states the default");
static_assert(kDefaultMaxGapMinutes == 1440 && kMaxGapMinutesLimit == 527'040 &&
                  kFeedWindow == 128 && kMaxAttributes == 64 && kMaxChannelIdLength == 250 &&
                  kMaxChannels == 10'000,
              "the help above states these");

namespace {

struct ValidateOptions {
  XmltvReadOptions read{{}, std::string(kDefaultCodePage), {}};
  int max_gap_minutes = kDefaultMaxGapMinutes;
  std::string file;
};

// Reads the options; false after printing a usage error.
bool ParseValidateOptions(const Arguments& args, ValidateOptions* options, int* exit_code) {
  const auto own = [options](const Arguments& all, std::size_t* i, int* code) {
    if (all[*i] != "--max-gap") return OptionTaken::kNotOne;
    int minutes = 0;
    if (*i + 1 == all.size() || !ParseWholeNumber(all[*i + 1], &minutes) || minutes < 1 ||
        minutes > kMaxGapMinutesLimit) {
      *code = UsageError("validate", "--max-gap needs a number of minutes from 1 to " +
                                         std::to_string(kMaxGapMinutesLimit));
      return OptionTaken::kUsageError;
    }
    options->max_gap_minutes = minutes;
    ++*i;
    return OptionTaken::kTaken;
  };
  Arguments operands;
  if (!ParseXmltvArguments("validate", args, own, &options->read, &operands, exit_code)) {
    return false;
  }
  if (operands.size() != 1) {
    *exit_code = UsageError("validate", "expects one XMLTV-FILE");
    return false;
  }
  if (const std::string problem = CodePageProblem(options->read.code_page); !problem.empty()) {
    *exit_code = UsageError("validate", problem);
    return false;
  }
  options->file = operands[0];
  SetXmltvFile(options->file, &options->read.scope);
  return true;
}

// Reads and checks the file; false with why.
bool ValidateFile(const ValidateOptions& options, FeedCheckOptions* check_options, FeedCheck* check,
                  std::string* error) {
  check_options->scope = options.read.scope;
  check_options->code_page = options.read.code_page;
  check_options->max_gap_minutes = options.max_gap_minutes;
  check_options->has_zone = !options.read.zone.empty();
  if (check_options->has_zone && !FindTimeZone(options.read.zone, &check_options->zone, error)) {
    return false;
  }
  std::FILE* file = OpenXmltv(options.file, error);
  if (file == nullptr) return false;
  const bool read = CheckFeed(file, *check_options, check, error);
  if (file != stdin) std::fclose(file);
  if (!read) return false;
  *error = MissingChannelText(check_options->scope, check->tally);
  return error->empty();
}

}  // namespace

int RunValidate(const Arguments& args) {
  ValidateOptions options;
  int exit_code = 0;
  if (!ParseValidateOptions(args, &options, &exit_code)) return exit_code;
  FeedCheckOptions check_options;
  FeedCheck check;
  std::string error;
  if (!ValidateFile(options, &check_options, &check, &error)) {
    PrintError("validate", error);
    return 2;
  }
  long findings = 0;
  for (const std::string& line : FeedCheckLines(check, check_options, &findings)) {
    std::printf("%s\n", line.c_str());
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    PrintError("validate", "cannot write to standard output");
    std::clearerr(stdout);
    return 2;
  }
  return findings > 0 ? 1 : 0;
}
