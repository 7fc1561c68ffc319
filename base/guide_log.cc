#include "base/guide_log.h"

#include <charconv>

namespace {

// The log is a Windows text file: every line feed, those inside titles too,
// is written as carriage return plus line feed.
void AppendText(std::string* log, std::string_view text) {
  for (std::size_t line_feed; (line_feed = text.find('\n')) != std::string_view::npos;) {
    log->append(text.substr(0, line_feed));
    log->append("\r\n");
    text.remove_prefix(line_feed + 1);
  }
  log->append(text);
}

void AppendNumber(std::string* log, unsigned value) {
  char digits[8];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  log->append(digits, result.ptr);
}

}  // namespace

void AppendGuideLogHeader(std::string* log) {
  AppendText(log, "Check this file for be convinced, what new base is ok!\n\n");
}

void AppendGuideLogEntry(std::string* log, const CalendarTime& start, std::uint16_t weekday,
                         std::string_view title) {
  const unsigned numbers[] = {start.wDay,  start.wMonth,  start.wYear,
                              start.wHour, start.wMinute, weekday};
  for (std::size_t i = 0; i < std::size(numbers); ++i) {
    if (i > 0) log->push_back(' ');
    AppendNumber(log, numbers[i]);
  }
  AppendText(log, "\n");
  AppendText(log, title);
  AppendText(log, "\n");
}
