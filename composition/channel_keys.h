// The keys of a channel section, named once for everything that reads or
// names them: the selection, check and the review page. A key added here is
// read, known and shown everywhere.
#ifndef SKEDCOMP_COMPOSITION_CHANNEL_KEYS_H_
#define SKEDCOMP_COMPOSITION_CHANNEL_KEYS_H_

#include <array>
#include <string>
#include <string_view>

#include "base/program_start.h"

inline constexpr std::string_view kTimeshiftKey = "timeshift";
inline constexpr std::string_view kWholeDay = "0:00-24:00";  // a missing range key

// Every key of a channel section, read together: the shift, then Monday's
// to Sunday's range lists, at the weekday's number.
inline constexpr std::array<std::string_view, 8> kChannelKeys = {
    kTimeshiftKey, "range1", "range2", "range3", "range4", "range5", "range6", "range7"};
static_assert(kMonday == 1 && kSunday == 7);

// "range1" (Monday) to "range7" (Sunday).
inline std::string RangeKey(int weekday) {
  return std::string(kChannelKeys[static_cast<std::size_t>(weekday)]);
}

#endif  // SKEDCOMP_COMPOSITION_CHANNEL_KEYS_H_
