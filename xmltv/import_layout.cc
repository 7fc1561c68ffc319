#include "xmltv/import_layout.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <utility>

#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/file_ops.h"
#include "text/ascii.h"
#include "text/clock_text.h"
#include "text/escape.h"

std::string BaseFileNameOf(const std::string& id) {
  std::string name = id.empty() ? "_" : id;
  for (char& c : name) {
    const bool kept = IsAsciiLetter(c) || IsAsciiDigit(c) || c == '.' || c == '_' || c == '-';
    if (!kept) c = '_';
  }
  return name;
}

namespace {

std::string DateOfDay(std::int64_t day) {
  const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{day}}};
  return DateText(static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                  static_cast<int>(unsigned(date.day())));
}

// A channel of more programmes than a base holds, and the options that would
// import it: alone, over as many days from its first as hold about a base's
// worth at its rate.
std::string OverCapacityText(const XmltvChannel& channel) {
  const auto day_of = [](std::int64_t wall) { return (wall >= 0 ? wall : wall - 86399) / 86400; };
  const std::int64_t first = day_of(channel.first_wall);
  const std::int64_t span = day_of(channel.last_wall) - first + 1;
  const std::int64_t days =
      std::max<std::int64_t>(1, span * kProgramTableCapacity / channel.in_window);
  return BriefText(channel.id) + " (" + std::to_string(channel.in_window) +
         " programmes; try --channel " + BriefText(channel.id) + " --from " + DateOfDay(first) +
         " --to " + DateOfDay(first + days) + ")";
}

}  // namespace

bool LayOutBases(std::vector<XmltvChannel>* channels, std::vector<LaidOutBase>* bases,
                 std::string* error) {
  std::string over;
  for (const XmltvChannel& channel : *channels) {
    if (channel.in_window <= kProgramTableCapacity) continue;
    over += (over.empty() ? "" : ", ") + OverCapacityText(channel);
  }
  if (!over.empty()) {
    *error = "a base holds at most " + std::to_string(kProgramTableCapacity) +
             " programmes, and in the window more are held by channel " + over +
             "; nothing written";
    return false;
  }
  std::unordered_map<std::string, std::string> ids_of_files;
  for (XmltvChannel& channel : *channels) {
    const std::string file_name = BaseFileNameOf(channel.id);
    // As the system compares names: on Windows "News" and "news" are one file.
    const auto [other, added] = ids_of_files.try_emplace(NameKey(file_name), channel.id);
    if (!added) {
      *error = "channels " + BriefText(other->second) + " and " + BriefText(channel.id) +
               " would both be written to " + BriefText(file_name);
      return false;
    }
    std::stable_sort(
        channel.programs.begin(), channel.programs.end(),
        [](const XmltvProgram& a, const XmltvProgram& b) { return a.start < b.start; });
    std::vector<StoredProgram> programs;
    for (const XmltvProgram& program : channel.programs) {
      programs.push_back({program.start, program.title});
    }
    LaidOutBase base{file_name, {}, {}};
    if (EncodeStoredBase(programs, &base.index, &base.titles) != Status::kOk) {
      *error = "channel " + BriefText(channel.id) + ": " + TitlesTooLongText();
      return false;
    }
    bases->push_back(std::move(base));
  }
  return true;
}
