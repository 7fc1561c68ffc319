// skedtool export: program bases as an XMLTV document.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/base_path.h"
#include "platform/file_replace.h"
#include "platform/our_files.h"
#include "platform/read_file.h"
#include "report/guide_stops.h"
#include "report/listing.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "text/utf8.h"
#include "tool/tool_output.h"
#include "tool/xmltv_commands.h"
#include "xmltv/export_stops.h"
#include "xmltv/time_zone.h"
#include "xmltv/write_xmltv.h"
#include "xmltv/xmltv_time.h"

constexpr char kExportHelp[] =
    "Usage: skedtool export [--tz ZONE] [--codepage CP] [--channel-id ID]\n"
    "                       [--output FILE [--sync]] BASE...\n"
    "       skedtool export [--tz ZONE] [--codepage CP] [--channel-id ID]\n"
    "                       [--output FILE [--sync]] --composition NAME\n"
    "\n"
    "Prints an XMLTV document (UTF-8) of the program bases: a <channel> for each\n"
    "BASE, its id and display name the base's file name without folder (or ID,\n"
    "when one BASE is given; it must be UTF-8), then its programmes in base\n"
    "order. A file name that is not UTF-8 is read in CP. Every programme gets a\n"
    "stop after its start, as players leave out one without: where the next\n"
    "programme of its base starts a later minute, or where the rules below say.\n"
    "How many stops they chose is told on standard error.\n"
    "\n"
    "  --composition NAME  export the guide NAME with the stops its composition\n"
    "                 file NAME.cfg implies: each programme ends at the next one's\n"
    "                 start or, earlier, at the end of the range that took it,\n"
    "                 moved by its section's timeshift. The guide on disk must be\n"
    "                 what NAME.cfg composes now (run skedcomp NAME first).\n"
    "  --tz ZONE      the time zone whose wall-clock time the bases hold: a name of\n"
    "                 the IANA time-zone database, such as Europe/Berlin or UTC.\n"
    "                 Each start is written as that wall time with the zone's offset\n"
    "                 from UTC then (20261207060000 +0100). A wall time that a\n"
    "                 daylight-saving change repeats gets the offset in force before\n"
    "                 the change. One that a change skips does not exist: it is\n"
    "                 written as the moment of the change (02:30 on the night Berlin\n"
    "                 springs forward as 03:00 +0200), so the order of the base holds\n"
    "                 and import gives that wall time back. Where the offset is not\n"
    "                 whole minutes (local mean time, before 1893 in Berlin) the start\n"
    "                 is written in UTC (+0000). Default: the system's local zone\n"
    "                 (on Linux TZ, then /etc/localtime).\n"
    "  --codepage CP  the single-byte code page of the titles: cp1252 (the default)\n"
    "                 or another that 'skedtool --help' lists, such as windows-1251,\n"
    "                 ISO-8859-15, KOI8-R or 1252;\n"
    "                 bytes CP leaves undefined, and control characters XML cannot\n"
    "                 hold, become U+FFFD.\n"
    "  --same-minute join|keep  programmes of a base that start the same minute\n"
    "                 (a player shows one at a time): join writes them as one, their\n"
    "                 titles joined with ' / ' and an exact repeat once (the\n"
    "                 default); keep writes each, all stopping at the next later\n"
    "                 start, so that import gives the base back byte for byte.\n"
    "  --last-length MINUTES  how long the last programme of a base runs, whose\n"
    "                 end no base holds: 1 to 1440, default 60.\n"
    "  --output FILE  publish the document as FILE, a name ending in .xml, in one\n"
    "                 step: a player that reads FILE at any moment finds the old\n"
    "                 document or the new one whole, never a part. When FILE already\n"
    "                 holds these very bytes it is left untouched. With --sync the\n"
    "                 document is on the disk before it replaces FILE.\n"
    "\n"
    "Exit code: 0 when the document was printed or FILE written anew, 3 when FILE\n"
    "already held it (nothing to reload), 1 on an error, 2 on a usage error.\n";
static_assert(Mentions(kExportHelp, kDefaultCodePage), "the help states the default");
static_assert(kDefaultLastMinutes == 60 && kMaxLastMinutes == 1440, "the help states these");

namespace {

// The exit code of a publication that found its file holding the document.
constexpr int kExitUnchanged = 3;

struct ExportedBase {
  std::string id;
  StoredBase stored;
  std::vector<StoredProgram> programs;
};

std::string BaseFileName(const std::string& base) {
  const std::size_t slash = base.find_last_of("/\\");
  return slash == std::string::npos ? base : base.substr(slash + 1);
}

struct ExportOptions {
  std::string zone_name;
  std::string code_page{kDefaultCodePage};
  std::string channel_id;
  std::string composition;  // the guide's name, with --composition
  std::string output;       // the file to publish, with --output
  StopRules stops;
  std::vector<std::string> names;
};

// Reads the options; false with the usage error's exit code.
bool ParseExportOptions(const Arguments& args, ExportOptions* options, int* exit_code) {
  const auto usage = [&](const std::string& message) {
    *exit_code = UsageError("export", message);
    return false;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--tz" || arg == "--codepage" || arg == "--channel-id" || arg == "--composition" ||
        arg == "--output") {
      if (i + 1 == args.size()) return usage(arg + " needs a value");
      (arg == "--tz"           ? options->zone_name
       : arg == "--codepage"   ? options->code_page
       : arg == "--channel-id" ? options->channel_id
       : arg == "--output"     ? options->output
                               : options->composition) = args[++i];
      // Only a document's own name is ever replaced, never a base or another file.
      if (arg == "--output" && !options->output.ends_with(kPublishedExtension)) {
        return usage("--output FILE: the name of an XMLTV document, ending in " +
                     std::string(kPublishedExtension));
      }
      if (arg == "--composition") options->names.push_back(options->composition);
      if (arg == "--tz" && options->zone_name.empty()) {
        return usage("--tz needs a zone name (without it: the system's zone)");
      }
    } else if (arg == "--same-minute" || arg == "--last-length") {
      if (i + 1 == args.size()) return usage(arg + " needs a value");
      const std::string& value = args[++i];
      int minutes = 0;
      if (arg == "--same-minute" && (value == "join" || value == "keep")) {
        options->stops.join_same_minute = value == "join";
      } else if (arg == "--last-length" && ParseWholeNumber(value, &minutes) && minutes >= 1 &&
                 minutes <= kMaxLastMinutes) {
        options->stops.last_minutes = minutes;
      } else {
        return usage(arg + " " + value + ": expects " +
                     (arg == "--same-minute"
                          ? std::string("join or keep")
                          : "minutes from 1 to " + std::to_string(kMaxLastMinutes)));
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage("unknown option '" + arg + "'");
    } else {
      options->names.push_back(arg);
    }
  }
  const std::size_t bases = options->names.size();
  if (bases == 0) return usage("expects at least one BASE");
  if (!options->composition.empty() && bases != 1) {
    return usage("--composition NAME exports that guide alone");
  }
  if (!options->channel_id.empty() && bases != 1) {
    return usage("--channel-id goes with one BASE only");
  }
  if (!IsUtf8(options->channel_id)) return usage("--channel-id must be UTF-8 text");
  return true;
}

// Reads the base `name` whole, as channel `id`.
bool ReadExportedBase(const std::string& name, const std::string& id, ExportedBase* base,
                      std::string* error) {
  base->id = id;
  BaseDamage damage = BaseDamage::kNone;
  Status status = ReadStoredBase(name, &base->stored, &damage);
  std::size_t damaged_at = 0;
  if (status == Status::kOk) {
    status = DecodeStoredPrograms(
        base->stored, &damage, &damaged_at,
        [&](std::size_t, const StoredProgram& program) { base->programs.push_back(program); });
  }
  if (status != Status::kOk) {
    *error = BaseErrorText("skedtool export", name, status, damage);
    return false;
  }
  for (std::size_t k = 0; k < base->programs.size(); ++k) {
    if (WallTimeOfTicks(base->programs[k].start) > kLatestXmltvWallTime) {
      *error = name + ": programme " + std::to_string(k + 1) +
               " starts after 9999-12-31 23:59:59, past any XMLTV time";
      return false;
    }
  }
  return true;
}

// The channels of the document: every base read, each programme with its
// stop (with --composition the ones its composition gives); nothing printed.
bool PlanExport(const ExportOptions& options, const TimeZone& zone,
                std::vector<XmltvChannelOut>* channels, ChosenStops* chosen, std::string* error) {
  std::vector<ExportedBase> bases(options.names.size());
  for (std::size_t b = 0; b < bases.size(); ++b) {
    // A file name is text of the system: UTF-8 as a rule on Linux, the code
    // page on Windows.
    const std::string file_name = BaseFileName(options.names[b]);
    const std::string id = !options.channel_id.empty() ? options.channel_id
                           : IsUtf8(file_name)         ? file_name
                                                       : ToUtf8(options.code_page, file_name);
    if (!ReadExportedBase(options.names[b], id, &bases[b], error)) return false;
  }
  std::vector<std::uint64_t> stops;
  if (!options.composition.empty()) {
    if (!ComposedStops(options.composition, bases.front().stored, TablesInTableMemory(), &stops,
                       error)) {
      return false;
    }
  }
  // A stop past any XMLTV time is not written; a given one gives way to the
  // next start.
  const auto past_xmltv = [](std::uint64_t ticks) {
    return WallTimeOfTicks(ticks) > kLatestXmltvWallTime;
  };
  std::replace_if(stops.begin(), stops.end(), past_xmltv, 0);
  for (std::size_t b = 0; b < bases.size(); ++b) {
    std::vector<TimedProgramme> timed =
        ProgrammesWithStops(bases[b].programs, b == 0 ? stops : std::vector<std::uint64_t>{}, zone,
                            options.stops, chosen);
    for (TimedProgramme& programme : timed) {
      if (past_xmltv(programme.stop)) programme.stop = 0;
    }
    channels->push_back({bases[b].id, std::move(timed)});
  }
  return true;
}

// How many stops were chosen by a rule rather than read from the bases.
void TellChosenStops(const StopRules& rules, const ChosenStops& chosen) {
  if (chosen.joined > 0) {
    PrintError("export",
               std::to_string(chosen.joined) + (chosen.joined == 1 ? " programme" : " programmes") +
                   (chosen.joined == 1 ? " that starts" : " that start") +
                   " the same minute as the one before " + (chosen.joined == 1 ? "was" : "were") +
                   " joined to it (--same-minute keep keeps them apart)");
  }
  if (chosen.last > 0) {
    PrintError("export", std::to_string(chosen.last) +
                             (chosen.last == 1 ? " last programme" : " last programmes") +
                             ", whose end no base holds, " + (chosen.last == 1 ? "was" : "were") +
                             " given " + std::to_string(rules.last_minutes) +
                             " minutes (--last-length MINUTES to change)");
  }
}

// Puts `document` in place as `path` in one step, unless `path` holds it
// already: 0 written, kExitUnchanged left as it was, 1 failed (said).
int PublishDocument(const std::string& path, const std::string& document) {
  if (const std::string problem = FileNameProblem(path); !problem.empty()) {
    PrintError("export", path + " " + problem + "; nothing written");
    return 1;
  }
  // Read one byte past the document: a longer file differs anyway.
  std::string held;
  if (ReadWholeFile(path, document.size() + 1, &held) == ReadFileResult::kOk && held == document) {
    return kExitUnchanged;
  }
  const FileReplacement file{path, document};
  ReplaceReport report;
  ReplaceFiles({&file, 1}, &report);
  return ReportReplacement("export", report, path) ? 0 : 1;
}

}  // namespace

int RunExport(const Arguments& given) {
  Arguments args = given;
  TakeSyncOption(&args);
  ExportOptions options;
  int exit_code = 0;
  if (!ParseExportOptions(args, &options, &exit_code)) return exit_code;
  TimeZone zone;
  std::string error;
  std::vector<XmltvChannelOut> channels;
  ChosenStops chosen;
  if (!FindTimeZone(options.zone_name, &zone, &error) ||
      !(error = CodePageProblem(options.code_page)).empty() ||
      !PlanExport(options, zone, &channels, &chosen, &error)) {
    PrintError("export", error);
    return 1;
  }
  std::string document;
  if (!WriteXmltv(channels, zone, options.code_page, &document)) {
    PrintError("export", "cannot build the XMLTV document");
    return 1;
  }
  TellChosenStops(options.stops, chosen);
  if (!options.output.empty()) return PublishDocument(options.output, document);
  std::fwrite(document.data(), 1, document.size(), stdout);
  return 0;
}
