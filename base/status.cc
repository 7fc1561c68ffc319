#include "base/status.h"

#include "base/program_base_format.h"
#include "base/program_start.h"
#include "base/program_tables.h"
#include "platform/base_lock.h"
#include "platform/read_file.h"

namespace {

// Every status: its message, the old tool's; where it stands and why; and
// whether a base's own error adds the reason, where the message says less.
struct StatusEntry {
  Status status;
  const char* message;
  FailurePlace place;
  const char* reason;
  bool reason_told_with_base = false;
};

using enum FailurePlace;
constexpr StatusEntry kStatuses[] = {
    {Status::kOk, "Ok\n", kGuide, ""},
    {Status::kNoSections, "Sections not found in .cfg file or .cfg file error!\n", kCompositionFile,
     "missing, unreadable, not a file, larger than 64 MiB, or without sections"},
    {Status::kCantOpenBase, "Can't open file .ndx or .pdt!\n", kSection,
     "its base's .ndx or .pdt is missing, unreadable or not a regular file"},
    {Status::kReadError, "Read error!\n", kSection, "reading its base failed"},
    {Status::kTooManyInBase, "Too many programs in .ndx file!\n", kSection,
     "its base holds more than 400 programmes"},
    {Status::kDamagedBase, "Damaged .ndx or .pdt file!\n", kSection,
     "its base is damaged (skedtool dump says where)"},
    {Status::kTooManyInGuide, "Too many programs for new base!\n", kSection,
     "with its programmes the guide would hold more than 400"},
    {Status::kWrongTimeshift, "Wrong timeshift in .cfg file!\n", kSection,
     "its timeshift is not a whole number from -24 to 24"},
    {Status::kCantOpenOutput, "Can't open file .ndx or .pdt or .log!\n", kGuide,
     "its files could not be written"},
    {Status::kWriteError, "Write error!\n", kGuide, "its files could not be written"},
    {Status::kGuideTooBig, "New base is too big!\n", kGuide,
     "its titles do not fit the 16-bit offsets of a base"},
    {Status::kCantConvertTime, "Can't convert program time!\n", kGuide,
     "a programme's start is not a valid date and time from 1601 on"},
    {Status::kOutOfMemory, "Out of memory!\n", kGuide,
     "it needs more memory than the system gives"},
    {Status::kBaseLocked, "Can't open file .ndx or .pdt!\n", kSection,
     "other runs kept replacing its base for 10 s", true},
    {Status::kUnusableName, "Can't open file .ndx or .pdt!\n", kSection,
     "its name holds a zero byte, or on Windows a dot or space ending a part or a colon, which "
     "the system would cut short or read as another file",
     true},
};
static_assert(kTextFileLimit == std::size_t{64} << 20 && kProgramTableCapacity == 400 &&
                  kMaxShift == 24 && kLockWait == std::chrono::seconds(10) &&
                  kMaxTitleOffset == 0xFFFF,
              "the reasons state these limits");

constexpr const StatusEntry* EntryOf(Status status) {
  for (const StatusEntry& entry : kStatuses) {
    if (entry.status == status) return &entry;
  }
  return nullptr;
}

}  // namespace

const char* StatusMessage(Status status) {
  const StatusEntry* entry = EntryOf(status);
  return entry != nullptr ? entry->message : "Internal error!\n";
}

std::string StatusText(Status status) {
  std::string text = StatusMessage(status);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

FailureReason ExplainFailure(Status status) {
  const StatusEntry* entry = EntryOf(status);
  if (entry == nullptr || status == Status::kOk) return {kGuide, "internal error"};
  return {entry->place, entry->reason};
}

const char* StatusReason(Status status) {
  const StatusEntry* entry = EntryOf(status);
  return entry != nullptr && entry->reason_told_with_base ? entry->reason : "";
}
