// A whole composition's selection: every channel it lists, loaded and
// selected into the guide table in file order, nothing written.
#ifndef SKEDCOMP_SELECTION_SELECT_COMPOSITION_H_
#define SKEDCOMP_SELECTION_SELECT_COMPOSITION_H_

#include <string>
#include <vector>

#include "base/base_cache.h"
#include "base/program_tables.h"
#include "base/status.h"
#include "composition/ini_profile.h"
#include "selection/select_programs.h"

// Empties both tables, then loads each section's base into tables.channel and
// appends what the section keeps to tables.guide, section by section. Stops at
// the first failure, naming its section in `*failed_section`. kNoSections for
// a composition without sections. With `trace`, where each programme came
// from, its section's position included.
Status SelectComposition(const IniProfile& composition, ProgramTables& tables,
                         std::string* failed_section, std::vector<Provenance>* trace = nullptr);

// The same, with bases read through `cache` (one composition of it): a base
// that several sections name is read once. Only the programmes a section
// can keep are built in tables.channel.
Status SelectComposition(const IniProfile& composition, ProgramTables& tables, BaseCache* cache,
                         std::string* failed_section, std::vector<Provenance>* trace = nullptr);

// Tells `cache` which bases the composition names more than once, so that
// each is read once.
void ExpectRepeatedBases(const IniProfile& composition, BaseCache* cache);

#endif  // SKEDCOMP_SELECTION_SELECT_COMPOSITION_H_
