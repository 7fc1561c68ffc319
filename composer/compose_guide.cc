#include "composer/compose_guide.h"

#include <new>

#include "base/program_tables.h"
#include "base/write_program_base.h"
#include "composition/composition_file.h"
#include "composition/ini_profile.h"
#include "selection/select_channel.h"
#include "selection/select_composition.h"

namespace {

Status Compose(std::string_view name, ProgramTables& tables, BaseCache* cache,
               ComposeReport* report) {
  const Status status =
      SelectComposition(ReadIniProfile(CompositionFilePath(name)), tables, cache, &report->section);
  if (status != Status::kOk) return status;
  // Whether or not the write succeeds, the guide's files may have changed.
  ForgetBase(cache, name);
  return WriteProgramBase(name, tables.guide, &report->replace);
}

}  // namespace

Status ComposeGuide(std::string_view name, ProgramTables& tables, ComposeReport* report) {
  BaseCache cache;
  return ComposeGuide(name, tables, &cache, report);
}

Status ComposeGuide(std::string_view name, ProgramTables& tables, BaseCache* cache,
                    ComposeReport* report) {
  *report = {};
  // A huge composition file can outgrow the memory a shell's limit leaves;
  // that is a failure like any other, reported before any file is touched.
  try {
    return Compose(name, tables, cache, report);
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
}
