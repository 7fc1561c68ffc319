#include "base/load_program_base.h"

#include <cstring>
#include <tuple>

#include "base/calendar_time.h"
#include "base/program_start.h"
#include "base/program_tables.h"
#include "base/stored_base.h"

Status LoadProgramBase(std::string_view name, ProgramTable& channel) {
  channel.count = 0;
  StoredBase base;
  BaseDamage damage;
  if (const Status status = ReadStoredBase(name, &base, &damage); status != Status::kOk) {
    return status;
  }
  return LoadStoredBase(base, channel);
}

namespace {

// Builds record `k` from its entry; `day` and `date` carry the date of the
// last one built, as programmes come in runs of one day.
void BuildRecord(const StoredProgram& program, std::uint64_t* day, CalendarTime* date,
                 ProgramRecord& record) {
  if (program.start / kTicksPerDay != *day) {
    *day = program.start / kTicksPerDay;
    CalendarOfStoredTime(StoredTime{*day * kTicksPerDay}, date);  // in range: checked when decoded
  }
  const std::uint64_t time_of_day = program.start % kTicksPerDay;
  record.hour = static_cast<std::int32_t>(time_of_day / kTicksPerHour);
  record.minute = static_cast<std::int32_t>(time_of_day % kTicksPerHour / kTicksPerMinute);
  record.day = date->wDay;
  record.month = date->wMonth;
  record.year = date->wYear;
  record.weekday = WeekdayNumber(*date);
  const std::string_view title = TitleOfStored(program.title);
  // An empty title may have no storage behind it at all.
  if (!title.empty()) std::memcpy(record.title, title.data(), title.size());
  record.title[title.size()] = '\0';
}

template <typename Keep>
Status LoadKept(const StoredBase& base, ProgramTable& channel, Keep&& keep) {
  channel.count = 0;
  std::uint64_t day = ~std::uint64_t{0};
  CalendarTime date;
  BaseDamage damage;
  const std::string_view index = base.index();
  const std::string_view titles = base.titles();
  const std::size_t count = base.count;
  for (std::size_t k = 0; k < count; ++k) {
    StoredProgram program;
    if (const Status status = LocateStoredProgram(index, titles, k, &program, &damage);
        status != Status::kOk) {
      return status;
    }
    if (keep(program.start)) {
      BuildRecord(program, &day, &date, channel.records[k]);
    } else {
      channel.records[k].weekday = 0;
    }
  }
  channel.count = static_cast<std::int32_t>(count);
  return Status::kOk;
}

}  // namespace

Status LoadStoredBase(const StoredBase& base, ProgramTable& channel) {
  return LoadKept(base, channel, [](std::uint64_t) { return true; });
}

void KeepStarts(StartFilter* filter, int weekday, int first, int end) {
  if (first >= end) return;
  const int start = (weekday - kMonday) * kMinutesPerDay + first;
  const int last = (weekday - kMonday) * kMinutesPerDay + end - 1;
  const std::uint64_t from_first = ~std::uint64_t{0} << (start % 64);
  const std::uint64_t to_last = ~std::uint64_t{0} >> (63 - last % 64);
  auto& words = filter->bits;
  const auto first_word = static_cast<std::size_t>(start / 64);
  const auto last_word = static_cast<std::size_t>(last / 64);
  if (first_word == last_word) {
    words[first_word] |= from_first & to_last;
    return;
  }
  words[first_word] |= from_first;
  for (std::size_t word = first_word + 1; word < last_word; ++word) words[word] = ~std::uint64_t{0};
  words[last_word] |= to_last;
}

namespace {

bool KeepsBit(const StartFilter& filter, std::uint64_t bit) {
  return (filter.bits[bit / 64] >> (bit % 64) & 1) != 0;
}

}  // namespace

bool KeepsStart(const StartFilter& filter, int weekday, int minute) {
  return KeepsBit(filter,
                  static_cast<std::uint64_t>((weekday - kMonday) * kMinutesPerDay + minute));
}

Status LoadStoredBase(const StoredBase& base, ProgramTable& channel, const StartFilter& filter) {
  // 1601-01-01 was a Monday, so the minutes since then, taken modulo a week,
  // are the filter's bit: one division and one remainder an entry.
  constexpr std::uint64_t kMinutesPerWeek = 7 * kMinutesPerDay;
  static_assert(kMonday == 1 &&
                std::tuple_size_v<decltype(StartFilter::bits)> * 64 >= kMinutesPerWeek);
  return LoadKept(base, channel, [&filter](std::uint64_t start) {
    return KeepsBit(filter, start / kTicksPerMinute % kMinutesPerWeek);
  });
}
