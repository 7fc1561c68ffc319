#include "report/listing.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "base/calendar_time.h"
#include "base/program_start.h"
#include "base/program_tables.h"
#include "composition/composition_file.h"
#include "text/ascii.h"
#include "text/escape.h"

namespace {

// Weekday 1 = Monday ... 7 = Sunday; the short name is the first three letters.
constexpr int kFractionDigits = 7;  // 100-nanosecond ticks

std::string EscapeTitle(std::string_view title) {
  return EscapeControlBytes(title, Backslash::kDoubled);
}

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool UnescapeTitle(std::string_view text, std::string* title, std::string* error) {
  title->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      title->push_back(text[i]);
      continue;
    }
    const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
    ++i;
    switch (kind) {
      case 't':
        title->push_back('\t');
        break;
      case 'r':
        title->push_back('\r');
        break;
      case 'n':
        title->push_back('\n');
        break;
      case '\\':
        title->push_back('\\');
        break;
      case 'x': {
        const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
          *error = "\\x in the title needs two hex digits";
          return false;
        }
        if (high == 0 && low == 0) {
          *error =
              "\\x00 in the title: a title ends at its first zero byte, so skedcomp would "
              "cut it there";
          return false;
        }
        title->push_back(static_cast<char>(high * 16 + low));
        i += 2;
        break;
      }
      default:
        *error = "unknown escape in the title (use \\t \\r \\n \\\\ or \\xHH)";
        return false;
    }
  }
  return true;
}

// Reads exactly `digits` decimal digits (or, with `at_most`, 1 to `digits`).
bool ReadDigits(std::string_view* text, int digits, bool at_most, int* value,
                int* count = nullptr) {
  int read = 0;
  *value = 0;
  while (read < digits && !text->empty() && IsAsciiDigit(text->front())) {
    *value = *value * 10 + (text->front() - '0');
    text->remove_prefix(1);
    ++read;
  }
  if (count != nullptr) *count = read;
  return at_most ? read > 0 : read == digits;
}

bool Expect(std::string_view* text, char c) {
  if (text->empty() || text->front() != c) return false;
  text->remove_prefix(1);
  return true;
}

bool ParseStart(std::string_view date, std::string_view time, std::uint64_t* ticks,
                std::string* error) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, fraction = 0;
  int year_digits = 0;
  if (!ReadDigits(&date, 5, true, &year, &year_digits) || year_digits < 4 || !Expect(&date, '-') ||
      !ReadDigits(&date, 2, false, &month) || !Expect(&date, '-') ||
      !ReadDigits(&date, 2, false, &day) || !date.empty()) {
    *error = "the date must be written YYYY-MM-DD";
    return false;
  }
  if (!ReadDigits(&time, 2, false, &hour) || !Expect(&time, ':') ||
      !ReadDigits(&time, 2, false, &minute)) {
    *error = "the time must be written HH:MM, HH:MM:SS or HH:MM:SS.fffffff";
    return false;
  }
  if (Expect(&time, ':')) {
    int fraction_digits = 0;
    if (!ReadDigits(&time, 2, false, &second) ||
        (Expect(&time, '.') &&
         !ReadDigits(&time, kFractionDigits, true, &fraction, &fraction_digits))) {
      *error = "the time must be written HH:MM, HH:MM:SS or HH:MM:SS.fffffff";
      return false;
    }
    for (; fraction_digits > 0 && fraction_digits < kFractionDigits; ++fraction_digits) {
      fraction *= 10;
    }
  }
  if (!time.empty()) {
    *error = "the time must be written HH:MM, HH:MM:SS or HH:MM:SS.fffffff";
    return false;
  }
  StoredTime start;
  if (year > 0xFFFF ||
      !StoredTimeOfCalendarFullRange(MakeCalendarTime(year, month, day, hour, minute, second),
                                     &start) ||
      start.ticks + static_cast<std::uint64_t>(fraction) >= kFileTimeLimit) {
    *error = "no such date and time (from 1601-01-01 to 30828-09-14 02:48:05)";
    return false;
  }
  *ticks = start.ticks + static_cast<std::uint64_t>(fraction);
  return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
    fields.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  fields.push_back(line);
  return fields;
}

}  // namespace

std::string FormatListingLine(const StoredProgram& program) {
  CalendarTime start;
  CalendarOfStoredTime(StoredTime{program.start}, &start);
  const auto fraction = static_cast<unsigned>(program.start % kTicksPerSecond);
  const ProgramStart shown = StartOfCalendar(start);
  std::string line = FormatDate(shown) + "\t" + FormatClock(shown);
  char seconds[16];
  if (start.wSecond != 0 || fraction != 0) {
    std::snprintf(seconds, sizeof seconds, ":%02u", start.wSecond);
    line += seconds;
  }
  if (fraction != 0) {
    std::snprintf(seconds, sizeof seconds, ".%07u", fraction);
    line += seconds;
  }
  return line + "\t" + WeekdayName(shown.weekday) + "\t" + EscapeTitle(program.title);
}

bool ParseListingLine(std::string_view line, ListedProgram* program, std::string* error) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() != 4) {
    *error = "expected 4 tab-separated fields (date, time, weekday, title), found " +
             std::to_string(fields.size());
    return false;
  }
  if (!ParseStart(fields[0], fields[1], &program->start, error)) return false;
  CalendarTime start;
  CalendarOfStoredTime(StoredTime{program->start}, &start);
  const int weekday = WeekdayNumber(start);
  if (fields[2] != WeekdayName(weekday)) {
    *error = std::string(fields[0]) + " is a " + WeekdayName(weekday) + ", not '" +
             std::string(fields[2]) + "'";
    return false;
  }
  if (!UnescapeTitle(fields[3], &program->title, error)) return false;
  if (program->title.size() > static_cast<std::size_t>(kMaxTitleLength)) {
    static_assert(kMaxTitleLength == 1999, "the message states it");
    *error = "the title is longer than 1999 bytes";
    return false;
  }
  return true;
}

std::string BaseErrorText(std::string_view run, const std::string& name, Status status,
                          BaseDamage damage) {
  const std::string reason = StatusReason(status);
  return name + ": " +
         (status == Status::kDamagedBase ? BaseDamageText(damage)
          : reason.empty()               ? StatusText(status)
                                         : reason) +
         (status == Status::kCantOpenBase ? ExtensionHint(run, name) : "");
}

std::string DamagedEntryText(const std::string& name, const StoredBase& base, std::size_t at,
                             BaseDamage damage) {
  return name + ": entry " + std::to_string(at + 1) + " of " + std::to_string(base.count) + ": " +
         BaseDamageText(damage);
}
