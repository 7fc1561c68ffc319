// Loading a channel's program base into the channel table.
#ifndef SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
#define SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "base/program_tables.h"
#include "base/status.h"
#include "base/stored_base.h"

// Replaces the channel table's records and count with the base `name` (its
// NAME.ndx and NAME.pdt). On failure the channel table is left empty.
Status LoadProgramBase(std::string_view name, ProgramTable& channel);

// The same from a base already read and checked (ReadStoredBase or
// CheckStoredBase).
Status LoadStoredBase(const StoredBase& base, ProgramTable& channel);

inline constexpr int kMinutesPerDay = 24 * 60;

// Which programmes a load builds, by the weekday and minute of the day of
// their start: what an index entry tells alone, before any date or title is
// made. Each bit is one minute of one weekday, Monday 0:00 first.
struct StartFilter {
  std::array<std::uint64_t, (7 * kMinutesPerDay + 63) / 64> bits{};
};

// Keeps the starts of `weekday` (kMonday ... kSunday) from minute `first` of
// the day up to, not including, minute `end` (0 to kMinutesPerDay).
void KeepStarts(StartFilter* filter, int weekday, int first, int end);
bool KeepsStart(const StartFilter& filter, int weekday, int minute);

// LoadStoredBase that builds only the programmes `filter` keeps; every
// entry is checked all the same, so a damaged base fails as before. The
// others are left unbuilt with weekday 0, which no range list takes.
Status LoadStoredBase(const StoredBase& base, ProgramTable& channel, const StartFilter& filter);

#endif  // SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
