// Choosing a channel's programmes for the guide.
#ifndef SKEDCOMP_SELECTION_SELECT_CHANNEL_H_
#define SKEDCOMP_SELECTION_SELECT_CHANNEL_H_

#include <string_view>

#include "base/status.h"
#include "platform/ini_profile.h"

// Appends the programmes of the ChannelTable that the composition's section
// `section` keeps to the GuideTable, time-shifted.
Status SelectChannel(std::string_view section, const IniProfile& composition);

#endif  // SKEDCOMP_SELECTION_SELECT_CHANNEL_H_
