// The listing: a programme base as text, one programme a line, that
// `skedtool dump` writes and `skedtool make` reads back:
//   DATE <tab> TIME <tab> WEEKDAY <tab> TITLE
//   2000-03-20	19:30	Mon	News
// TIME is HH:MM, with :SS and a 7-digit fraction of the second only when the
// base stores them. In TITLE a tab, CR, LF and backslash are written \t \r \n
// \\ and other bytes below 0x20 as \xHH; all other bytes stand raw.
#ifndef SKEDCOMP_REPORT_LISTING_H_
#define SKEDCOMP_REPORT_LISTING_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/program_start.h"
#include "base/status.h"
#include "base/stored_base.h"

struct ListedProgram {
  std::uint64_t start = 0;  // FILETIME ticks
  std::string title;
};

// The listing line of `program`, without a line end.
std::string FormatListingLine(const StoredProgram& program);

// Reads one line (without its line end); false with `error` saying why.
bool ParseListingLine(std::string_view line, ListedProgram* program, std::string* error);

// "NAME: " and what is wrong with the base NAME that did not read: the
// damage when it is damaged, otherwise the composer's message, and for a
// base that did not open a hint when NAME has an extension (`run` is how the
// command was run, such as "skedtool dump").
std::string BaseErrorText(std::string_view run, const std::string& name, Status status,
                          BaseDamage damage);

// "NAME: entry K of N: " and the damage of entry `at` (from 0) of `base`.
std::string DamagedEntryText(const std::string& name, const StoredBase& base, std::size_t at,
                             BaseDamage damage);

#endif  // SKEDCOMP_REPORT_LISTING_H_
