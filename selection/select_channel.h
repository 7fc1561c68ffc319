// Choosing a channel's programmes for the guide.
#ifndef SKEDCOMP_SELECTION_SELECT_CHANNEL_H_
#define SKEDCOMP_SELECTION_SELECT_CHANNEL_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "composition/ini_profile.h"
#include "selection/select_programs.h"

// What a channel section's keys mean, for everything that reads them.
inline constexpr std::string_view kTimeshiftKey = "timeshift";
inline constexpr std::string_view kWholeDay = "0:00-24:00";  // a missing range key
inline constexpr int kMaxShift = 24;  // more would move a start by more than a day

// "range1" (Monday) to "range7" (Sunday).
std::string RangeKey(int weekday);

// The channel's time shift: kWrongTimeshift unless it is a whole number
// from -kMaxShift to kMaxShift (a missing key is 0).
Status ReadTimeShift(std::string_view section, const IniProfile& composition, int* shift);

// Appends the programmes of the channel table that the composition's section
// `section` keeps to the guide table, time-shifted; with `trace`, where each
// came from.
Status SelectChannel(std::string_view section, const IniProfile& composition,
                     const ProgramTable& channel, ProgramTable& guide,
                     std::vector<Provenance>* trace = nullptr);

#endif  // SKEDCOMP_SELECTION_SELECT_CHANNEL_H_
