#include "selection/select_composition.h"

#include "base/load_program_base.h"
#include "base/stored_base.h"
#include "platform/names.h"
#include "selection/select_channel.h"

Status SelectComposition(const IniProfile& composition, ProgramTables& tables,
                         std::string* failed_section, std::vector<Provenance>* trace) {
  tables.guide.count = 0;
  tables.channel.count = 0;
  if (composition.sections.empty()) return Status::kNoSections;
  StoredBase scratch;  // reused by every channel
  // Names are taken one at a time: a list of them all could be large.
  for (std::size_t i = 0; i < composition.sections.size(); ++i) {
    const std::string channel(ProfileSectionName(composition, i));
    const std::size_t traced = trace != nullptr ? trace->size() : 0;
    Status status = LoadProgramBase(NameFromComposition(channel), tables.channel, &scratch);
    if (status == Status::kOk) {
      status = SelectChannel(channel, composition, tables.channel, tables.guide, trace);
    }
    if (status != Status::kOk) {
      *failed_section = channel;
      return status;
    }
    if (trace != nullptr) {
      for (std::size_t k = traced; k < trace->size(); ++k) (*trace)[k].section = i;
    }
  }
  return Status::kOk;
}
