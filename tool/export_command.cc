// skedtool export: program bases as an XMLTV document.
#include <libxml/xmlwriter.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/stored_base.h"
#include "platform/code_page.h"
#include "platform/time_zone.h"
#include "tool/tool_output.h"
#include "tool/xmltv_commands.h"
#include "tool/xmltv_time.h"

const char kExportHelp[] =
    "Usage: skedtool export [--tz ZONE] [--codepage CP] [--channel-id ID] BASE...\n"
    "\n"
    "Prints an XMLTV document (UTF-8) of the program bases: a <channel> for each\n"
    "BASE, its id and display name the base's file name without folder (or ID,\n"
    "when one BASE is given; it must be UTF-8), then its programmes in base\n"
    "order. Each stops where the next programme of the same base starts; the\n"
    "last has no stop, and so has one the next would start before. A file name\n"
    "that is not UTF-8 is read in CP.\n"
    "\n"
    "  --tz ZONE      the time zone whose wall-clock time the bases hold: a name of\n"
    "                 the system's time-zone database, such as Europe/Berlin or UTC.\n"
    "                 Each start is written as that wall time with the zone's offset\n"
    "                 from UTC then (20261207060000 +0100). A wall time that a\n"
    "                 daylight-saving change repeats gets the offset in force before\n"
    "                 the change. One that a change skips does not exist: it is\n"
    "                 written as the moment of the change (02:30 on the night Berlin\n"
    "                 springs forward as 03:00 +0200), so the order of the base holds\n"
    "                 and import gives that wall time back. Where the offset is not\n"
    "                 whole minutes (local mean time, before 1893 in Berlin) the start\n"
    "                 is written in UTC (+0000). Default: the system's local zone (TZ,\n"
    "                 then /etc/localtime).\n"
    "  --codepage CP  the single-byte code page of the titles, an iconv name such as\n"
    "                 cp1252 (the default), ISO-8859-15 or KOI8-R; bytes CP leaves\n"
    "                 undefined, and control characters XML cannot hold, become U+FFFD.\n";

namespace {

struct ExportedBase {
  std::string id;
  StoredBase stored;
  std::vector<StoredProgram> programs;
};

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// Characters XML 1.0 cannot hold at all (control characters but tab and
// line ends) as U+FFFD.
std::string XmlText(std::string text) {
  std::string clean;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      clean += "\xEF\xBF\xBD";
    } else {
      clean += c;
    }
  }
  return clean;
}

ZonedTime StartOf(const TimeZone& zone, const StoredProgram& program) {
  return ExistingWallTime(zone, WallTimeOfTicks(program.start));
}

std::string BaseFileName(const std::string& base) {
  const std::size_t slash = base.find_last_of("/\\");
  return slash == std::string::npos ? base : base.substr(slash + 1);
}

}  // namespace

int RunExport(const Arguments& args) {
  std::string zone_name;
  std::string code_page = "cp1252";
  std::string channel_id;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--tz" || arg == "--codepage" || arg == "--channel-id") {
      if (i + 1 == args.size()) return UsageError("export", arg + " needs a value");
      (arg == "--tz" ? zone_name : arg == "--codepage" ? code_page : channel_id) = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("export", "unknown option '" + arg + "'");
    } else {
      names.push_back(arg);
    }
  }
  if (names.empty()) return UsageError("export", "expects at least one BASE");
  if (!channel_id.empty() && names.size() != 1) {
    return UsageError("export", "--channel-id goes with one BASE only");
  }
  if (!IsUtf8(channel_id)) return UsageError("export", "--channel-id must be UTF-8 text");
  TimeZone zone;
  std::string error;
  if (!FindTimeZone(zone_name, &zone, &error)) {
    PrintError("export", error);
    return 1;
  }
  if (const std::string problem = CodePageProblem(code_page); !problem.empty()) {
    PrintError("export", problem);
    return 1;
  }

  std::vector<ExportedBase> bases(names.size());
  for (std::size_t b = 0; b < names.size(); ++b) {
    ExportedBase& base = bases[b];
    // A file name is text of the system: UTF-8 as a rule on Linux, the code
    // page on Windows.
    const std::string file_name = BaseFileName(names[b]);
    base.id = !channel_id.empty() ? channel_id
              : IsUtf8(file_name) ? file_name
                                  : ToUtf8(code_page, file_name);
    BaseDamage damage = BaseDamage::kNone;
    Status status = ReadStoredBase(names[b], &base.stored, &damage);
    std::size_t damaged_at = 0;
    if (status == Status::kOk) {
      status = DecodeStoredPrograms(
          base.stored, &damage, &damaged_at,
          [&](std::size_t, const StoredProgram& program) { base.programs.push_back(program); });
    }
    if (status != Status::kOk) {
      PrintError("export", names[b] + ": " + BaseErrorText(status, damage));
      return 1;
    }
    for (std::size_t k = 0; k < base.programs.size(); ++k) {
      if (WallTimeOfTicks(base.programs[k].start) > kLatestXmltvWallTime) {
        PrintError("export", names[b] + ": programme " + std::to_string(k + 1) +
                                 " starts after 9999-12-31 23:59:59, past any XMLTV time");
        return 1;
      }
    }
  }

  std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), &xmlBufferFree);
  std::unique_ptr<xmlTextWriter, decltype(&xmlFreeTextWriter)> writer(
      xmlNewTextWriterMemory(buffer.get(), 0), &xmlFreeTextWriter);
  xmlTextWriter* out = writer.get();
  // The document type on one line of its own: indenting would break it in two.
  bool ok = out != nullptr && xmlTextWriterStartDocument(out, nullptr, "UTF-8", nullptr) >= 0 &&
            xmlTextWriterWriteDTD(out, X("tv"), nullptr, X("xmltv.dtd"), nullptr) >= 0 &&
            xmlTextWriterWriteRaw(out, X("\n")) >= 0 && xmlTextWriterSetIndent(out, 1) == 0 &&
            xmlTextWriterStartElement(out, X("tv")) >= 0 &&
            xmlTextWriterWriteAttribute(out, X("generator-info-name"), X("skedtool")) >= 0;
  for (const ExportedBase& base : bases) {
    const std::string id = XmlText(base.id);  // a file name or argument: already UTF-8
    ok = ok && xmlTextWriterStartElement(out, X("channel")) >= 0 &&
         xmlTextWriterWriteAttribute(out, X("id"), X(id.c_str())) >= 0 &&
         xmlTextWriterWriteElement(out, X("display-name"), X(id.c_str())) >= 0 &&
         xmlTextWriterEndElement(out) >= 0;
  }
  for (const ExportedBase& base : bases) {
    const std::string id = XmlText(base.id);
    for (std::size_t k = 0; ok && k < base.programs.size(); ++k) {
      const ZonedTime start = StartOf(zone, base.programs[k]);
      const std::string title = XmlText(ToUtf8(code_page, base.programs[k].title));
      ok = xmlTextWriterStartElement(out, X("programme")) >= 0 &&
           xmlTextWriterWriteAttribute(out, X("start"),
                                       X(FormatXmltvTime(start.wall, start.offset).c_str())) >= 0;
      if (ok && k + 1 < base.programs.size()) {
        // A base out of start order has no stop to give: never one before the start.
        const ZonedTime stop = StartOf(zone, base.programs[k + 1]);
        if (stop.wall - stop.offset >= start.wall - start.offset) {
          ok = xmlTextWriterWriteAttribute(out, X("stop"),
                                           X(FormatXmltvTime(stop.wall, stop.offset).c_str())) >= 0;
        }
      }
      ok = ok && xmlTextWriterWriteAttribute(out, X("channel"), X(id.c_str())) >= 0 &&
           xmlTextWriterWriteElement(out, X("title"), X(title.c_str())) >= 0 &&
           xmlTextWriterEndElement(out) >= 0;
    }
  }
  ok = ok && xmlTextWriterEndDocument(out) >= 0;
  writer.reset();  // flushes into the buffer
  if (!ok) {
    PrintError("export", "cannot build the XMLTV document");
    return 1;
  }
  std::fwrite(xmlBufferContent(buffer.get()), 1,
              static_cast<std::size_t>(xmlBufferLength(buffer.get())), stdout);
  return 0;
}
