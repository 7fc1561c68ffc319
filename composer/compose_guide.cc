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

static_assert(kProgramTableCapacity == 400 && kMaxShift == 24,
              "the reasons below state these limits");

FailureReason ExplainFailure(Status status) {
  using enum FailurePlace;
  switch (status) {
    case Status::kOk:
      break;
    case Status::kNoSections:
      return {kCompositionFile,
              "missing, unreadable, not a file, larger than 64 MiB, or without "
              "sections"};
    case Status::kCantOpenBase:
      return {kSection, "its base's .ndx or .pdt is missing, unreadable or not a regular file"};
    case Status::kReadError:
      return {kSection, "reading its base failed"};
    case Status::kTooManyInBase:
      return {kSection, "its base holds more than 400 programmes"};
    case Status::kDamagedBase:
      return {kSection, "its base is damaged (skedtool dump says where)"};
    case Status::kWrongTimeshift:
      return {kSection, "its timeshift is not a whole number from -24 to 24"};
    case Status::kTooManyInGuide:
      return {kSection, "with its programmes the guide would hold more than 400"};
    case Status::kCantOpenOutput:
    case Status::kWriteError:
      return {kGuide, "its files could not be written"};
    case Status::kGuideTooBig:
      return {kGuide, "its titles do not fit the 16-bit offsets of a base"};
    case Status::kCantConvertTime:
      return {kGuide, "a programme's start is not a valid date and time from 1601 on"};
    case Status::kOutOfMemory:
      return {kGuide, "it needs more memory than the system gives"};
    case Status::kBaseLocked:
    case Status::kUnusableName:
      return {kSection, StatusReason(status)};
  }
  return {kGuide, "internal error"};
}
