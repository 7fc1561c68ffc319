// What `skedtool check NAME` finds: NAME.cfg read as the composer reads it,
// what the composer would do with it, and the mistakes it passes over in
// silence, as a value for check to print and review to show.
#ifndef SKEDCOMP_REPORT_CHECK_H_
#define SKEDCOMP_REPORT_CHECK_H_

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "base/program_tables.h"
#include "base/status.h"
#include "composition/ini_profile.h"
#include "selection/select_programs.h"
#include "text/code_page.h"

// Only the first sections are reported in full; of the others, findings are
// only counted, kind by kind, so that a file of a million sections still gives
// a report a person can read.
inline constexpr std::size_t kSectionsShown = 50;

enum class Severity { kError, kWarning };

// One line of the report, in the order check makes them. All text is as
// shown: control bytes escaped, converted from the code page asked for.
struct CheckLine {
  enum class Kind {
    kSection,   // a section's heading, "[bases\one]"
    kFact,      // what check learned: "base bases/one: 112 programmes"
    kFinding,   // an error or a warning
    kNotShown,  // "... 5 more unknown keys in this section not shown"
  };
  Kind kind = Kind::kFact;
  Severity severity = Severity::kWarning;  // of a finding
  std::string what;                        // of a finding: its kind, "unknown keys"
  std::string text;
};

struct CheckReport {
  std::string path;                          // of the composition file, as shown
  std::string unreadable;                    // why it could not be read; "" when it was
  std::size_t sections = 0;                  // channel sections in it
  std::vector<CheckLine> lines;              // of the file and of the sections shown in full
  std::size_t sections_not_shown = 0;        // past kSectionsShown
  std::map<std::string, long long> counted;  // what was found in those, kind by kind
  long long programmes = 0;                  // the guide would hold
  std::vector<CheckLine> closing;            // findings of the guide as a whole
  long long errors = 0;
  long long warnings = 0;
  Status composer = Status::kOk;  // the first failure skedcomp would meet
  std::string composer_where;     // ... and where
};

// What the composition selects, kept for a page of it; the guide itself is
// left in tables.guide.
struct CheckedSelection {
  IniProfile composition;              // as read, for its section names
  std::vector<Provenance> provenance;  // where each programme of the guide came from
  Status status = Status::kOk;         // the selection's first failure (kNoSections: unreadable)
  std::string failed_section;          // ... in the section of this name, as written
};

// Checks NAME.cfg (found as skedcomp finds it), loading its bases into
// `tables` and selecting the guide as skedcomp would, into tables.guide and,
// when given, `*selection`. The file is read once and each base once, as
// one version. `shown` converts the file's text for showing.
CheckReport CheckComposition(const std::string& name, ProgramTables& tables,
                             const DisplayCodePage& shown, CheckedSelection* selection = nullptr);

// One line of the report as `skedtool check` prints it.
struct ReportLine {
  bool blank_before = false;  // a paragraph starts with it
  bool indented = false;      // under a section or a heading
  bool finding = false;       // an error, a warning, or what was not shown of them
  std::string section;        // the heading of the section it stands under, or ""
  std::string text;
};

// The whole report of a readable composition, line by line: what check
// prints, and what the review page lists of it (the findings).
std::vector<ReportLine> CheckReportLines(const CheckReport& report);

// "skedcomp would write the guide." or where and how it would stop.
std::string CheckVerdict(const CheckReport& report);

#endif  // SKEDCOMP_REPORT_CHECK_H_
