#include "selection/select_composition.h"

#include "base/load_program_base.h"
#include "base/stored_base.h"
#include "platform/names.h"
#include "selection/select_channel.h"

Status SelectComposition(const IniProfile& composition, ProgramTables& tables,
                         std::string* failed_section, std::vector<Provenance>* trace) {
  BaseCache cache;
  return SelectComposition(composition, tables, &cache, failed_section, trace);
}

namespace {

Status SelectSections(const IniProfile& composition, ProgramTables& tables, BaseCache* cache,
                      std::string* failed_section, std::vector<Provenance>* trace) {
  tables.guide.count = 0;
  tables.channel.count = 0;
  ChannelSelection selection;  // its storage used again by every channel
  StartFilter kept;
  Status keys = Status::kOk;
  std::string previous;
  // Names are taken one at a time: a list of them all could be large.
  for (std::size_t i = 0; i < composition.sections.size(); ++i) {
    const std::string channel(ProfileSectionName(composition, i));
    const std::size_t traced = trace != nullptr ? trace->size() : 0;
    // The keys are read first, to build only what they can keep; a failure
    // of the base still counts first. A section of the name just read has
    // the same keys: lookups find the first section of a name.
    if (i == 0 || CompareProfileNames(channel, previous) != 0) {
      keys = ReadChannelSelection(channel, composition, &selection);
      kept = KeptStarts(selection);
      previous = channel;
    }
    const StoredBase* base = nullptr;
    tables.channel.count = 0;
    Status status = ReadCachedBase(cache, NameFromComposition(channel), &base);
    if (status == Status::kOk) status = LoadStoredBase(*base, tables.channel, kept);
    if (status == Status::kOk) status = keys;
    if (status == Status::kOk) {
      status = SelectChannel(selection, tables.channel, tables.guide, trace);
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

}  // namespace

Status SelectComposition(const IniProfile& composition, ProgramTables& tables, BaseCache* cache,
                         std::string* failed_section, std::vector<Provenance>* trace) {
  tables.guide.count = 0;
  tables.channel.count = 0;
  if (composition.sections.empty()) return Status::kNoSections;
  StartComposition(cache);
  ExpectRepeatedBases(composition, cache);
  const std::size_t traced = trace != nullptr ? trace->size() : 0;
  Status status = SelectSections(composition, tables, cache, failed_section, trace);
  // What was read counts only once each base is known to have been read as
  // one version; otherwise the composition is selected again, its bases
  // read base by base.
  if (!ConfirmComposition(cache)) {
    if (trace != nullptr) trace->resize(traced);
    failed_section->clear();
    status = SelectSections(composition, tables, cache, failed_section, trace);
    ConfirmComposition(cache);
  }
  return status;
}

void ExpectRepeatedBases(const IniProfile& composition, BaseCache* cache) {
  for (std::size_t i = 0; i < composition.sections.size(); ++i) {
    const std::string_view section = ProfileSectionName(composition, i);
    if (FindProfileSection(composition, section) != i) {
      ExpectBaseAgain(cache, NameFromComposition(section));
    }
  }
}
