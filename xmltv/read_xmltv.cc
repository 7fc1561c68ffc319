#include "xmltv/read_xmltv.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

#include "base/program_tables.h"
#include "text/code_page.h"
#include "text/escape.h"
#include "xmltv/xmltv_time.h"

namespace {

struct ImportState {
  const XmltvReading* reading = nullptr;
  std::vector<XmltvChannel> channels;
  std::unordered_map<std::string, std::size_t> channel_index;
};

// The start as a wall time of ZONE in FILETIME ticks, or "" and the reason.
// With the offset the document writes, and the zone's at that moment.
std::string ReadStart(const XmltvReading& reading, std::string_view start, std::int64_t* wall,
                      std::uint64_t* ticks, std::int64_t* written_offset,
                      std::int64_t* zone_offset) {
  std::int64_t utc = 0;
  switch (ParseXmltvTime(start, &utc, written_offset)) {
    case XmltvTimeResult::kOk:
      break;
    case XmltvTimeResult::kMalformed:
      return "is no valid XMLTV time (YYYYMMDDhhmmss +HHMM)";
    case XmltvTimeResult::kUnknownZoneName:
      return "has a zone name that is not accepted; accepted are " + XmltvZoneNameList() +
             " (any case); write the offset as +HHMM or -HHMM instead";
  }
  *wall = WallTimeOf(reading.zone, utc);
  *zone_offset = *wall - utc;
  if (*wall > kLatestXmltvWallTime) {
    return "falls after 9999-12-31 23:59:59 in " + reading.zone.name + ", past any XMLTV time";
  }
  if (!TicksOfWallTime(*wall, ticks)) return "falls before 1601, which a base cannot hold";
  return {};
}

void Widen(OffsetRange* range, std::int64_t offset, bool first) {
  range->low = first ? offset : std::min(range->low, offset);
  range->high = first ? offset : std::max(range->high, offset);
}

// What a start tells of its channel beyond the programme: the window's span
// and the offsets, the document's and the zone's.
// Called before the start is counted in the window.
void NoteStart(XmltvChannel* channel, std::int64_t wall, std::int64_t written,
               std::int64_t zone_offset) {
  const bool first = channel->in_window == 0;
  channel->first_wall = first ? wall : std::min(channel->first_wall, wall);
  channel->last_wall = first ? wall : std::max(channel->last_wall, wall);
  Widen(&channel->written, written, first);
  Widen(&channel->zone, zone_offset, first);
}

std::string AddProgramme(ImportState* state, const ScannedProgramme& programme) {
  const XmltvReading& options = *state->reading;
  std::int64_t wall = 0;
  std::uint64_t ticks = 0;
  std::int64_t written_offset = 0;
  std::int64_t zone_offset = 0;
  if (const std::string why =
          ReadStart(options, programme.start, &wall, &ticks, &written_offset, &zone_offset);
      !why.empty()) {
    return "programme of " + BriefText(programme.channel) + ": start \"" +
           BriefText(programme.start) + "\" " + why;
  }
  if ((options.has_from && wall < options.from) || (options.has_to && wall >= options.to)) {
    return {};
  }
  const std::string id(programme.channel);
  auto slot = state->channel_index.find(id);
  if (slot == state->channel_index.end()) {
    if (state->channels.size() == kMaxChannels) {
      return "more than " + std::to_string(kMaxChannels) +
             " channels have programmes in the window, more than one import writes; choose "
             "some with --channel";
    }
    slot = state->channel_index.emplace(id, state->channels.size()).first;
    XmltvChannel added;
    added.id = id;
    state->channels.push_back(std::move(added));
  }
  XmltvChannel& channel = state->channels[slot->second];
  NoteStart(&channel, wall, written_offset, zone_offset);
  // Past the capacity only the count goes on: the import is refused anyway.
  if (++channel.in_window > kProgramTableCapacity) return {};
  std::string converted;
  if (programme.title != nullptr) {
    converted = FromUtf8(options.code_page, *programme.title, &channel.replaced, &channel.lost);
    if (programme.title_cut || converted.size() > static_cast<std::size_t>(kMaxTitleLength)) {
      converted.resize(std::min(converted.size(), static_cast<std::size_t>(kMaxTitleLength)));
      ++channel.cut;
    }
  }
  channel.programs.push_back({ticks, std::move(converted)});
  return {};
}

// Counts the programmes that repeat an earlier one of their channel exactly,
// start and title, and with `drop` leaves them out, the first kept. Sorted
// apart, so that a channel of any size costs n log n.
void FindRepeats(XmltvChannel* channel, bool drop) {
  std::vector<std::uint32_t> order(channel->programs.size());
  for (std::uint32_t k = 0; k < order.size(); ++k) order[k] = k;
  const auto& programs = channel->programs;
  const auto key = [&](std::uint32_t k) { return std::tie(programs[k].start, programs[k].title); };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
  std::vector<bool> repeat(programs.size(), false);
  for (std::size_t i = 1; i < order.size(); ++i) {
    if (key(order[i]) == key(order[i - 1])) {
      repeat[order[i]] = true;
      ++channel->repeats;
    }
  }
  if (!drop || channel->repeats == 0) return;
  std::size_t kept = 0;
  for (std::size_t k = 0; k < programs.size(); ++k) {
    if (repeat[k]) continue;
    if (kept != k) channel->programs[kept] = std::move(channel->programs[k]);
    ++kept;
  }
  channel->programs.resize(kept);
  channel->in_window -= channel->repeats;
}

}  // namespace

bool IgnoresDaylightSaving(const XmltvChannel& channel) {
  return channel.zone.low != channel.zone.high && channel.written.low == channel.written.high &&
         (channel.written.low == channel.zone.low || channel.written.low == channel.zone.high);
}

bool ReadXmltv(std::FILE* file, const XmltvReading& reading, XmltvListing* listing,
               std::string* error) {
  ImportState state;
  state.reading = &reading;
  const bool read = ScanXmltv(
      file, reading.scope,
      [&state](const ScannedProgramme& programme) { return AddProgramme(&state, programme); },
      &listing->tally, error);
  for (XmltvChannel& channel : state.channels) FindRepeats(&channel, reading.drop_repeats);
  listing->channels = std::move(state.channels);
  return read;
}
