// One composition: the guide of one command-line name.
#ifndef SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_
#define SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/base_cache.h"
#include "base/program_tables.h"
#include "base/status.h"
#include "composition/ini_profile.h"
#include "platform/file_replace.h"
#include "selection/select_programs.h"

// Reads ./NAME.cfg, loads and selects every channel it lists in file order,
// then writes the guide NAME.ndx, NAME.pdt and NAME.log. Every channel is read
// before any output file is touched, so a name may list itself as a channel.
// `report` gets where a failure happened.
struct ComposeReport {
  std::string section;    // the channel whose base or keys failed, when one did
  ReplaceReport replace;  // how replacing the guide's files went, when it was tried
};
Status ComposeGuide(std::string_view name, ProgramTables& tables, ComposeReport* report);

// The same with bases read through `cache`, which a run keeps from name to
// name: a base read for one name is read again for the next only when its
// files changed.
Status ComposeGuide(std::string_view name, ProgramTables& tables, BaseCache* cache,
                    ComposeReport* report);

#endif  // SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_
