#include "xmltv/feed_check.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "text/ascii.h"
#include "text/counted.h"
#include "text/escape.h"
#include "text/hash.h"
#include "text/utf8.h"
#include "xmltv/import_layout.h"
#include "xmltv/read_xmltv.h"
#include "xmltv/xmltv_time.h"

namespace {

constexpr std::int64_t kNoStop = std::numeric_limits<std::int64_t>::min();

// How many programmes let go of a window are dropped from its memory at once.
constexpr std::ptrdiff_t kDroppedAtOnce = 32;

// Where a programme is: how many came before it, and the line of its element
// (a document may be all one line).
struct Place {
  long long ordinal = 0;
  int line = 0;
};

// A programme as the window holds it: enough to compare it with its
// neighbours, and no more.
struct Held {
  std::int64_t start = 0;       // UTC
  std::int64_t stop = kNoStop;  // UTC, when one can be read
  std::uint32_t title = 0;      // TextHash of the title
  Place place;

  // How far it reaches: its stop, or its start when it has none after it.
  std::int64_t Reach() const { return stop > start ? stop : start; }
};

// The window's order: by start, and exact repeats side by side.
bool Before(const Held& a, const Held& b) {
  return std::tie(a.start, a.title, a.stop) < std::tie(b.start, b.title, b.stop);
}

struct ChannelState {
  // Sorted by Before from `first`; what lies before it was let go, and is
  // dropped a batch at a time. (Empty, it takes no memory: a document may
  // name many channels.)
  std::vector<Held> window;
  std::size_t first = 0;
  bool settled_any = false;
  Held last;               // the last let go of the window, the one before in start order
  std::int64_t reach = 0;  // the furthest any let go reaches ...
  Place reach_place;       // ... and which
};

struct IdHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
};

struct CheckState {
  const FeedCheckOptions* options = nullptr;
  FeedCheck* check = nullptr;
  std::vector<ChannelState> states;  // beside check->channels
  std::unordered_map<std::string, std::size_t, IdHash, std::equal_to<>> index;
  std::unordered_map<std::string, std::size_t> file_owners;  // lower-case file name: channel
  std::size_t current = 0;   // the channel of the programme before, most often the next one's
  bool holds_ascii = false;  // whether the code page holds every ASCII character
};

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Counts a finding at `place`, a programme once a kind however many of its
// times show it; where it is the first of its kind in the file, the record
// whose detail is to be written, else null (so that a finding of every
// programme costs no text).
FindingSeen* Note(FeedChannel* channel, FeedFinding kind, const Place& place) {
  FindingSeen& seen = channel->found[static_cast<std::size_t>(kind)];
  if (seen.count > 0 && seen.last == place.ordinal) return nullptr;
  seen.last = place.ordinal;
  const bool first = seen.count++ == 0 || place.ordinal < seen.first;
  if (!first) return nullptr;
  seen.first = place.ordinal;
  seen.line = place.line;
  return &seen;
}

// A moment as an XMLTV time on the clock of --tz, or in UTC without it.
std::string MomentText(const FeedCheckOptions& options, std::int64_t utc) {
  if (!options.has_zone) return FormatXmltvTime(utc, 0);
  const std::int64_t wall = WallTimeOf(options.zone, utc);
  return FormatXmltvTime(wall, wall - utc);
}

// "25 hours", "1 h 30 min", "45 min".
std::string DurationText(std::int64_t seconds) {
  const std::int64_t minutes = seconds / 60;
  const std::string hours = std::to_string(minutes / 60);
  if (minutes < 60) return std::to_string(minutes) + " min";
  if (minutes % 60 != 0) return hours + " h " + std::to_string(minutes % 60) + " min";
  return hours + (minutes == 60 ? " hour" : " hours");
}

// The channel of `id`, added at its first programme; null past kMaxChannels.
FeedChannel* ChannelOf(CheckState* state, std::string_view id, int line) {
  FeedCheck& check = *state->check;
  if (state->current < check.channels.size() && check.channels[state->current].id == id) {
    return &check.channels[state->current];
  }
  if (const auto found = state->index.find(id); found != state->index.end()) {
    state->current = found->second;
    return &check.channels[state->current];
  }
  if (check.channels.size() == kMaxChannels) return nullptr;
  state->current = check.channels.size();
  state->index.emplace(std::string(id), state->current);
  check.channels.push_back({});
  check.channels.back().id = id;
  state->states.emplace_back();
  // Where an import would write the channel: as on Windows, where names that
  // differ in letter case only are one file.
  const std::string file_name = BaseFileNameOf(std::string(id));
  const auto [owner, added] =
      state->file_owners.try_emplace(AsciiLowerCase(file_name), state->current);
  if (!added) {
    const std::string& other = check.channels[owner->second].id;
    check.shared_files.push_back(
        {other, std::string(id), line, BaseFileNameOf(other) != file_name});
  }
  return &check.channels.back();
}

// Whether `offset`, written for the moment `utc`, is not the zone's offset
// then but is the one it has half a year before or after: a clock that
// missed a daylight-saving change. (An offset the zone never has is taken as
// another zone's, which a feed of several may well hold.)
bool MissesDaylightSaving(const TimeZone& zone, std::int64_t utc, std::int64_t offset) {
  const auto offset_at = [&zone](std::int64_t moment) { return WallTimeOf(zone, moment) - moment; };
  constexpr std::int64_t kHalfYear = 182 * 86'400;
  return offset_at(utc) != offset &&
         (offset_at(utc - kHalfYear) == offset || offset_at(utc + kHalfYear) == offset);
}

// What a written time tells: the moment, when it can be read. Notes how its
// offset is written, and whether --tz has it then; a zone name no reader
// knows is noted as such.
XmltvTimeResult ReadTime(const CheckState& state, FeedChannel* channel, std::string_view text,
                         std::string_view which, const Place& line, std::int64_t* utc) {
  const FeedCheckOptions& options = *state.options;
  std::int64_t offset = 0;
  XmltvOffsetForm form = XmltvOffsetForm::kNone;
  const XmltvTimeResult result = ParseXmltvTime(text, utc, &offset, &form);
  if (result == XmltvTimeResult::kUnknownZoneName) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kZoneName, line))
      seen->detail =
          std::string(which) + " \"" + BriefText(text) +
          "\" names a zone that means no one offset: no reader can place it; write +HHMM";
  }
  if (result != XmltvTimeResult::kOk) return result;
  if (form == XmltvOffsetForm::kNone) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kNoOffset, line))
      seen->detail = std::string(which) + " \"" + BriefText(text) +
                     "\" has no offset: some players read it as UTC, others on their own clock";
  } else if (form == XmltvOffsetForm::kZoneName) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kZoneName, line))
      seen->detail = std::string(which) + " \"" + BriefText(text) +
                     "\" names its zone, where players expect +HHMM";
  }
  if (options.has_zone && form != XmltvOffsetForm::kNone &&
      MissesDaylightSaving(options.zone, *utc, offset)) {
    const std::int64_t zone_offset = WallTimeOf(options.zone, *utc) - *utc;
    const std::int64_t off = zone_offset > offset ? zone_offset - offset : offset - zone_offset;
    if (FindingSeen* seen = Note(channel, FeedFinding::kOffsetNotZone, line))
      seen->detail = std::string(which) + " \"" + BriefText(text) + "\" is written at " +
                     XmltvOffsetText(offset) + ", " + options.zone.name +
                     "'s offset at another time of the year; it is at " +
                     XmltvOffsetText(zone_offset) + " then: " + DurationText(off) +
                     " off if the feed means that clock";
  }
  return XmltvTimeResult::kOk;
}

// The earliest programme of the window, compared with those before it in
// start order, and let go.
void Settle(const CheckState& state, FeedChannel* channel, ChannelState* held) {
  const Held next = held->window[held->first++];
  if (held->first == held->window.size()) {
    held->window.clear();
    held->first = 0;
  } else if (held->first == kDroppedAtOnce) {
    held->window.erase(held->window.begin(), held->window.begin() + kDroppedAtOnce);
    held->first = 0;
  }
  if (held->settled_any) {
    const Held& last = held->last;
    if (next.start == last.start && next.stop == last.stop && next.title == last.title) {
      if (FindingSeen* seen = Note(channel, FeedFinding::kRepeat, next.place))
        seen->detail = "repeats the programme of line " + std::to_string(last.place.line) +
                       " exactly: start, stop and title";
      return;
    }
    if (next.start < held->reach) {
      if (FindingSeen* seen = Note(channel, FeedFinding::kOverlap, next.place))
        seen->detail = "starts at " + MomentText(*state.options, next.start) +
                       ", before the programme of line " + std::to_string(held->reach_place.line) +
                       " stops at " + MomentText(*state.options, held->reach);
    } else if (next.start - held->reach > std::int64_t{state.options->max_gap_minutes} * 60) {
      if (FindingSeen* seen = Note(channel, FeedFinding::kGap, next.place))
        seen->detail = "nothing for " + DurationText(next.start - held->reach) +
                       " before it, from " + MomentText(*state.options, held->reach) + " (line " +
                       std::to_string(held->reach_place.line) + "): more than --max-gap " +
                       std::to_string(state.options->max_gap_minutes) + " minutes";
    }
  }
  if (!held->settled_any || next.Reach() > held->reach) {
    held->reach = next.Reach();
    held->reach_place = next.place;
  }
  held->settled_any = true;
  held->last = next;
}

void Hold(const CheckState& state, FeedChannel* channel, ChannelState* held, const Held& next) {
  if (held->settled_any && Before(next, held->last)) {
    ++channel->unplaced;  // its neighbours were let go
    return;
  }
  std::vector<Held>& window = held->window;
  if (window.size() == held->first || !Before(next, window.back())) {
    window.push_back(next);
  } else {
    window.insert(std::upper_bound(window.begin() + static_cast<std::ptrdiff_t>(held->first),
                                   window.end(), next, Before),
                  next);
  }
  if (window.size() - held->first > kFeedWindow) Settle(state, channel, held);
}

std::string TakeProgramme(CheckState* state, const ScannedProgramme& programme) {
  const FeedCheckOptions& options = *state->options;
  const Place line{state->check->programmes, programme.line};
  FeedChannel* channel = ChannelOf(state, programme.channel, programme.line);
  if (channel == nullptr) {
    return "more than " + std::to_string(kMaxChannels) +
           " channels have programmes; check some at a time with --channel";
  }
  ++channel->programmes;
  ++state->check->programmes;
  if (programme.title != nullptr && !(state->holds_ascii && IsAscii(*programme.title))) {
    int replaced = 0;
    FromUtf8(options.code_page, *programme.title, &replaced, &channel->lost);
    if (replaced > 0) Note(channel, FeedFinding::kLostCharacters, line);
  }
  Held next;
  next.place = line;
  next.title = programme.title != nullptr ? TextHash(*programme.title) : 0;
  const XmltvTimeResult start =
      ReadTime(*state, channel, programme.start, "start", line, &next.start);
  if (start == XmltvTimeResult::kMalformed) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kBadStart, line))
      seen->detail = "start \"" + BriefText(programme.start) +
                     "\" is no XMLTV time (YYYYMMDDhhmmss +HHMM): players leave the programme out";
  }
  if (start != XmltvTimeResult::kOk) return {};
  std::int64_t stop = 0;
  const XmltvTimeResult stop_read =
      programme.has_stop ? ReadTime(*state, channel, programme.stop, "stop", line, &stop)
                         : XmltvTimeResult::kOk;
  if (!programme.has_stop) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kNoStop, line))
      seen->detail = "no stop: tvheadend and Jellyfin leave it out";
  } else if (stop_read == XmltvTimeResult::kMalformed) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kBadStop, line))
      seen->detail = "stop \"" + BriefText(programme.stop) +
                     "\" is no XMLTV time: players take the programme as one without a stop";
  } else if (stop_read != XmltvTimeResult::kOk) {
    // told of as a zone name
  } else if (stop <= next.start) {
    if (FindingSeen* seen = Note(channel, FeedFinding::kStopNotAfterStart, line))
      seen->detail = "stop \"" + BriefText(programme.stop) + "\" is not after start \"" +
                     BriefText(programme.start) + "\": tvheadend leaves it out";
  } else {
    next.stop = stop;
  }
  Hold(*state, channel, &state->states[state->current], next);
  return {};
}

std::string LostText(const FeedCheckOptions& options, const FeedChannel& channel) {
  std::string shown;
  for (std::size_t k = 0; k < channel.lost.size() && k < 5; ++k) {
    shown += k == 0 ? "" : " ";
    AppendUtf8(channel.lost[k], &shown);
  }
  return "a title holds characters " + options.code_page + " lacks (" + shown +
         (channel.lost.size() > 5 ? " ..." : "") + "), each '?' once imported" +
         PagesHoldingText(channel.lost);
}

}  // namespace

bool CheckFeed(std::FILE* file, const FeedCheckOptions& options, FeedCheck* check,
               std::string* error) {
  CheckState state;
  state.options = &options;
  state.check = check;
  std::string ascii;
  for (char c = 1; c < 0x7F; ++c) ascii += c;
  int replaced = 0;
  state.holds_ascii = FromUtf8(options.code_page, ascii, &replaced) == ascii && replaced == 0;
  const bool read = ScanXmltv(
      file, options.scope,
      [&state](const ScannedProgramme& programme) { return TakeProgramme(&state, programme); },
      &check->tally, error);
  if (!read) return false;
  for (std::size_t k = 0; k < check->channels.size(); ++k) {
    while (!state.states[k].window.empty()) Settle(state, &check->channels[k], &state.states[k]);
  }
  return true;
}

std::vector<std::string> FeedCheckLines(const FeedCheck& check, const FeedCheckOptions& options,
                                        long* findings) {
  const std::string& file = options.scope.shown_file;
  std::vector<std::string> lines;
  std::vector<std::string> notes;
  long channels_found = 0;
  for (const FeedChannel& channel : check.channels) {
    const std::size_t before = lines.size();
    for (std::size_t kind = 0; kind < kFeedFindingKinds; ++kind) {
      const FindingSeen& seen = channel.found[kind];
      if (seen.count == 0) continue;
      const std::string detail = static_cast<FeedFinding>(kind) == FeedFinding::kLostCharacters
                                     ? LostText(options, channel)
                                     : seen.detail;
      lines.push_back(file + ":" + std::to_string(seen.line) + ": " + BriefText(channel.id) + ": " +
                      detail +
                      (seen.count > 1 ? " (and " + std::to_string(seen.count - 1) + " more)" : ""));
    }
    channels_found += lines.size() > before;
    if (channel.unplaced > 0) {
      notes.push_back(file + ": " + BriefText(channel.id) +
                      ": note: " + Counted(channel.unplaced, "programme", "programmes") +
                      " listed more than " + std::to_string(kFeedWindow) +
                      " places from start order, not compared with the ones beside it");
    }
  }
  for (const SharedBaseFile& shared : check.shared_files) {
    const std::string first = BriefText(BaseFileNameOf(shared.first_id));
    const std::string second = BriefText(BaseFileNameOf(shared.second_id));
    lines.push_back(file + ":" + std::to_string(shared.line) + ": channels " +
                    BriefText(shared.first_id) + " and " + BriefText(shared.second_id) +
                    (shared.windows_only ? " would be imported to " + first + " and " + second +
                                               ", one file on Windows"
                                         : " would both be imported to the base file " + first));
  }
  if (check.tally.without_channel > 0) {
    lines.push_back(file + ": " +
                    Counted(check.tally.without_channel, "programme names", "programmes name") +
                    " no channel (no channel=): no player can place it");
  }
  *findings = static_cast<long>(lines.size());
  lines.insert(lines.end(), notes.begin(), notes.end());
  lines.push_back(file + ": " +
                  Counted(static_cast<long long>(check.channels.size()), "channel", "channels") +
                  ", " + Counted(check.programmes, "programme", "programmes") + ": " +
                  (*findings == 0 ? "nothing found"
                                  : Counted(*findings, "finding", "findings") + " in " +
                                        Counted(channels_found, "channel", "channels")));
  return lines;
}
