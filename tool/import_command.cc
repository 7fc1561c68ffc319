// skedtool import: channel bases from an XMLTV file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/base_path.h"
#include "platform/file_replace.h"
#include "platform/read_file.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "tool/tool_output.h"
#include "tool/xmltv_commands.h"
#include "xmltv/import_layout.h"
#include "xmltv/read_xmltv.h"
#include "xmltv/time_zone.h"
#include "xmltv/xmltv_time.h"

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
    "                 the IANA time-zone database, such as Europe/Berlin or UTC.\n"
    "                 Each XMLTV time is turned into ZONE's wall time, daylight\n"
    "                 saving included. Default: the system's local zone (on Linux\n"
    "                 TZ, then /etc/localtime).\n"
    "  --codepage CP  the single-byte code page of the titles: cp1252 (the default)\n"
    "                 or another that 'skedtool --help' lists, such as windows-1251,\n"
    "                 ISO-8859-15, KOI8-R or 1252. A character CP lacks is written\n"
    "                 as its canonical decomposition where CP holds it (Vietnamese\n"
    "                 letters in windows-1258: letter and tone mark); otherwise it\n"
    "                 becomes '?', and a warning says how many did.\n"
    "  --lang LANG    take the first title whose lang is LANG (otherwise the first).\n"
    "  --channel ID   only this channel; may be given more than once. An ID the\n"
    "                 file does not hold is an error.\n"
    "  --from DATE    only programmes starting at or after 00:00 of DATE (YYYY-MM-DD,\n"
    "                 in ZONE's wall time);\n"
    "  --to DATE      ... and before 00:00 of DATE, which must come after "
    "--from.\n"
    "  --drop-repeats leave out each programme that repeats an earlier one of its\n"
    "                 channel exactly, start and title; without it they are kept\n"
    "                 and counted in a warning.\n" SKEDTOOL_SYNC_HELP
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
    "The report names the zone the starts are stored in and where it came from,\n"
    "and warns of a channel whose starts keep one offset while ZONE changes its\n"
    "own between them (a feed that ignores daylight saving).\n"
    "\n"
    "Nothing at all is written when the file holds no programme of a channel, is\n"
    "a device, is not well-formed XML or not XMLTV (its root element is not tv),\n"
    "an element has more than 64 attributes, a start is no valid time, a channel\n"
    "id is longer than 250 bytes, more than 10,000 channels have programmes in\n"
    "the window, a channel has more than 400 programmes in the window, or the\n"
    "report cannot be written. A programme without channel= is left out, with a\n"
    "warning. Only the named file is read: no DTD, no external entity, nothing\n"
    "from the network. XMLTV needs no entities of its own: a document that\n"
    "declares any is refused, and so is a reference to one other than XML's own.\n";

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
static_assert(Mentions(kImportHelpText, kDefaultCodePage), "the help states the default");
static_assert(kProgramTableCapacity == 400 && kMaxTitleLength == 1999 && kMaxChannels == 10'000 &&
                  kMaxChannelIdLength == 250 && kMaxAttributes == 64,
              "the help above states these limits");

}  // namespace

const char* const kImportHelp = kImportHelpText;

namespace {

struct ImportOptions {
  XmltvReadOptions read{{}, std::string(kDefaultCodePage), {}};
  XmltvReading reading;  // the rest of what to read
  std::string file;
  std::string dir;
};

// Reads the options; false after printing a usage error.
bool ParseImportOptions(const Arguments& args, ImportOptions* options, int* exit_code) {
  XmltvReading& reading = options->reading;
  const auto own = [&reading](const Arguments& all, std::size_t* i, int* code) {
    const std::string& arg = all[*i];
    if (arg == "--drop-repeats") {
      reading.drop_repeats = true;
      return OptionTaken::kTaken;
    }
    if (arg != "--from" && arg != "--to") return OptionTaken::kNotOne;
    std::int64_t* date = arg == "--from" ? &reading.from : &reading.to;
    if (*i + 1 == all.size() || !ParseIsoDate(all[*i + 1], date)) {
      *code = UsageError(
          "import", arg + (*i + 1 == all.size() ? " needs a value"
                                                : " " + all[*i + 1] + ": not a date YYYY-MM-DD"));
      return OptionTaken::kUsageError;
    }
    ++*i;
    (arg == "--from" ? reading.has_from : reading.has_to) = true;
    return OptionTaken::kTaken;
  };
  Arguments operands;
  if (!ParseXmltvArguments("import", args, own, &options->read, &operands, exit_code)) {
    return false;
  }
  if (operands.size() != 2) {
    *exit_code = UsageError("import", "expects an XMLTV-FILE and a DIR");
    return false;
  }
  if (reading.has_from && reading.has_to && reading.from >= reading.to) {
    *exit_code = UsageError("import", "--from must be a day before --to: the window is empty");
    return false;
  }
  options->file = operands[0];
  SetXmltvFile(options->file, &options->read.scope);
  reading.scope = options->read.scope;
  reading.code_page = options->read.code_page;
  options->dir = operands[1];
  return true;
}

// Why the bases cannot go into DIR, or "".
std::string DirectoryProblem(const std::string& dir) {
  switch (KindOfPath(dir)) {
    case PathKind::kMissing:
      return dir + ": no such folder; nothing written";
    case PathKind::kFile:
    case PathKind::kStream:
    case PathKind::kDevice:
      return dir + " is not a folder; nothing written";
    case PathKind::kFolder:
    case PathKind::kUnknown:  // the replacement will say what is wrong
      break;
  }
  return {};
}

// What an import will write and say, worked out in full before anything is
// printed or written.
struct ImportPlan {
  XmltvListing listing;
  std::vector<LaidOutBase> outputs;    // each channel's base, in the listing's order
  std::vector<std::string> paths;      // ... as the report names it
  std::vector<FileReplacement> files;  // ... its files, holding the bytes of `outputs`
};

// Reads the listing as `options` ask.
bool ReadListing(ImportOptions& options, XmltvListing* listing, std::string* error) {
  XmltvReading& reading = options.reading;
  if (!FindTimeZone(options.read.zone, &reading.zone, error) ||
      !(*error = CodePageProblem(reading.code_page)).empty()) {
    return false;
  }
  std::FILE* file = OpenXmltv(options.file, error);
  if (file == nullptr) return false;
  const bool read = ReadXmltv(file, reading, listing, error);
  if (file != stdin) std::fclose(file);
  return read;
}

// Reads, checks and lays out every base; nothing is printed or written.
bool PlanImport(ImportOptions& options, ImportPlan* plan, std::string* error) {
  const XmltvReading& reading = options.reading;
  XmltvListing& listing = plan->listing;
  if (!ReadListing(options, &listing, error)) return false;
  if (*error = MissingChannelText(reading.scope, listing.tally); !error->empty()) {
    *error += "; nothing written";
    return false;
  }
  std::vector<LaidOutBase>& outputs = plan->outputs;
  if (!LayOutBases(&listing.channels, &outputs, error)) return false;
  if (*error = DirectoryProblem(options.dir); !error->empty()) return false;
  // (Channels asked for by name are each told of in the report.)
  if (listing.channels.empty() && reading.scope.channels.empty()) {
    *error = reading.scope.shown_file + " holds no programmes" +
             (reading.has_from || reading.has_to ? " in the window" : "") +
             " of a channel; nothing written";
    return false;
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    plan->paths.push_back(options.dir + "/" + outputs[i].file_name);
    const std::string index = BaseFilePath(plan->paths.back(), kIndexExtension);
    if (const std::string problem = FileNameProblem(index); !problem.empty()) {
      *error =
          "channel " + listing.channels[i].id + ": " + index + " " + problem + "; nothing written";
      return false;
    }
    plan->files.push_back({index, outputs[i].index});
    plan->files.push_back({BaseFilePath(plan->paths.back(), kTitleExtension), outputs[i].titles});
  }
  return true;
}

// Repeats and offsets that ignore the zone's daylight saving, for a channel.
void PrintChannelWarnings(const XmltvReading& reading, const XmltvChannel& channel) {
  if (channel.repeats > 0) {
    PrintError("import",
               "channel " + channel.id + ": " + std::to_string(channel.repeats) +
                   (channel.repeats == 1 ? " programme repeats" : " programmes repeat") +
                   " an earlier one exactly, start and title" +
                   (reading.drop_repeats ? "; left out" : " (--drop-repeats leaves them out)"));
  }
  if (IgnoresDaylightSaving(channel)) {
    const std::int64_t kept = channel.written.low;
    const std::int64_t other = kept == channel.zone.low ? channel.zone.high : channel.zone.low;
    const std::int64_t off = (other > kept ? other - kept : kept - other) / 60;
    PrintError("import",
               "warning: channel " + channel.id + ": every start is written at " +
                   XmltvOffsetText(kept) + ", though " + reading.zone.name + " is at " +
                   XmltvOffsetText(channel.zone.low) + " and " +
                   XmltvOffsetText(channel.zone.high) +
                   " over these times: if the document means that clock, its starts "
                   "while it is at " +
                   XmltvOffsetText(other) + " are " +
                   (off % 60 == 0 ? std::to_string(off / 60) + (off == 60 ? " hour" : " hours")
                                  : std::to_string(off) + " minutes") +
                   " off" + (kept == 0 ? " (then --tz UTC keeps its times as written)" : ""));
  }
}

// The report: a line a base on standard output, warnings on standard error.
void PrintImportReport(const XmltvReading& reading, const ImportPlan& plan) {
  const XmltvListing& listing = plan.listing;
  PrintError("import",
             "starts stored in the wall-clock time of " + ZoneAndSourceText(reading.zone));
  if (listing.tally.without_channel > 0) {
    PrintError("import",
               "warning: " + std::to_string(listing.tally.without_channel) +
                   (listing.tally.without_channel == 1 ? " programme names" : " programmes name") +
                   " no channel (no channel=) and " +
                   (listing.tally.without_channel == 1 ? "was" : "were") + " left out");
  }
  for (const std::string& wanted : reading.scope.channels) {
    const bool has_programmes =
        std::any_of(listing.channels.begin(), listing.channels.end(),
                    [&](const XmltvChannel& channel) { return channel.id == wanted; });
    if (!has_programmes) {
      PrintError("import", "channel " + wanted + ": no programmes in the window; nothing written");
    }
  }
  for (std::size_t i = 0; i < plan.paths.size(); ++i) {
    const XmltvChannel& channel = listing.channels[i];
    std::printf("%s\t%zu programme%s\t%s\n", channel.id.c_str(), channel.programs.size(),
                channel.programs.size() == 1 ? "" : "s", plan.paths[i].c_str());
    if (channel.replaced > 0) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.replaced) +
                               " characters not in " + reading.code_page + " became '?'" +
                               PagesHoldingText(channel.lost));
    }
    if (channel.cut > 0) {
      PrintError("import", "channel " + channel.id + ": " + std::to_string(channel.cut) +
                               (channel.cut == 1 ? " title" : " titles") + " longer than " +
                               std::to_string(kMaxTitleLength) + " bytes cut there");
    }
    PrintChannelWarnings(reading, channel);
  }
}

}  // namespace

int RunImport(const Arguments& given) {
  Arguments args = given;
  TakeSyncOption(&args);
  ImportOptions options;
  int exit_code = 0;
  if (!ParseImportOptions(args, &options, &exit_code)) return exit_code;
  // Everything is checked and laid out before the first file is written.
  ImportPlan plan;
  std::string error;
  if (!PlanImport(options, &plan, &error)) {
    PrintError("import", error);
    return 1;
  }
  // The report first: when it cannot be written (a full disk, a closed
  // pipe), nothing is replaced, rather than bases changed without a word.
  PrintImportReport(options.reading, plan);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    PrintError("import", "cannot write to standard output; nothing written");
    std::clearerr(stdout);  // said once, here
    return 1;
  }
  ReplaceReport report;
  ReplaceFiles(plan.files, &report);
  return ReportReplacement("import", report, options.dir) ? 0 : 1;
}
