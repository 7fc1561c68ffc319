#include "xmltv/import_layout.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/file_ops.h"
#include "text/ascii.h"
#include "text/escape.h"

std::string BaseFileNameOf(const std::string& id) {
  std::string name = id.empty() ? "_" : id;
  for (char& c : name) {
    const bool kept = IsAsciiLetter(c) || IsAsciiDigit(c) || c == '.' || c == '_' || c == '-';
    if (!kept) c = '_';
  }
  return name;
}

bool LayOutBases(std::vector<XmltvChannel>* channels, std::vector<LaidOutBase>* bases,
                 std::string* error) {
  std::unordered_map<std::string, std::string> ids_of_files;
  for (XmltvChannel& channel : *channels) {
    if (channel.in_window > kProgramTableCapacity) {
      *error = "channel " + BriefText(channel.id) + ": " + std::to_string(channel.in_window) +
               " programmes in the window, but a base holds at most " +
               std::to_string(kProgramTableCapacity) + "; choose fewer days with --from and --to";
      return false;
    }
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
