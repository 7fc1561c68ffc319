#include "composer/compose_guide.h"

#include <new>

#include "base/load_program_base.h"
#include "base/program_tables.h"
#include "base/write_program_base.h"
#include "composition/composition_file.h"
#include "composition/ini_profile.h"
#include "selection/select_channel.h"

namespace {

Status Compose(std::string_view name, ReplaceReport* report) {
  GuideTable.count = 0;
  ChannelTable.count = 0;
  // Parsed once; every later lookup of this composition is answered from memory.
  const IniProfile composition = ReadIniProfile(CompositionFilePath(name));
  if (composition.sections.empty()) return Status::kNoSections;
  StoredBase scratch;  // reused by every channel
  // Names are taken one at a time: a list of them all could be large.
  for (std::size_t i = 0; i < composition.sections.size(); ++i) {
    const std::string channel(ProfileSectionName(composition, i));
    if (const Status status = LoadProgramBase(channel, &scratch); status != Status::kOk) {
      return status;
    }
    if (const Status status = SelectChannel(channel, composition); status != Status::kOk) {
      return status;
    }
  }
  return WriteProgramBase(name, report);
}

}  // namespace

Status ComposeGuide(std::string_view name, ReplaceReport* report) {
  *report = {};
  // A huge composition file can outgrow the memory a shell's limit leaves;
  // that is a failure like any other, reported before any file is touched.
  try {
    return Compose(name, report);
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
}
