// Choosing a channel's programmes for the guide.
#ifndef SKEDCOMP_SELECTION_SELECT_CHANNEL_H_
#define SKEDCOMP_SELECTION_SELECT_CHANNEL_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/load_program_base.h"

#include "base/status.h"
#include "composition/channel_keys.h"
#include "composition/ini_profile.h"
#include "selection/select_programs.h"

// The channel's time shift: kWrongTimeshift unless it is a whole number
// from -kMaxShift to kMaxShift (a missing key is 0).
Status ReadTimeShift(std::string_view section, const IniProfile& composition, int* shift);

// A channel section's keys as selection reads them: its time shift and the
// range list of each weekday, up to the first range that does not parse.
struct ChannelSelection {
  int shift = 0;
  std::vector<TimeRange> ranges;  // Monday's list, then Tuesday's ...
  // Weekday w's ranges are [weekday_end[w - 1], weekday_end[w]).
  std::array<std::size_t, 8> weekday_end{};
};

// Reads the section's keys into `selection` (its storage used again):
// kWrongTimeshift, and no ranges, when ReadTimeShift refuses the shift.
Status ReadChannelSelection(std::string_view section, const IniProfile& composition,
                            ChannelSelection* selection);

// The starts the selection can take, so that a load builds only those.
StartFilter KeptStarts(const ChannelSelection& selection);

// Appends the programmes of the channel table that the selection keeps to
// the guide table, time-shifted; with `trace`, where each came from.
Status SelectChannel(const ChannelSelection& selection, const ProgramTable& channel,
                     ProgramTable& guide, std::vector<Provenance>* trace = nullptr);

// The same for the composition's section `section`, its keys read first.
Status SelectChannel(std::string_view section, const IniProfile& composition,
                     const ProgramTable& channel, ProgramTable& guide,
                     std::vector<Provenance>* trace = nullptr);

#endif  // SKEDCOMP_SELECTION_SELECT_CHANNEL_H_
