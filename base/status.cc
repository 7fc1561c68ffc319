#include "base/status.h"

#include "platform/base_lock.h"

const char* StatusMessage(Status status) {
  switch (status) {
    case Status::kOk:
      return "Ok\n";
    case Status::kNoSections:
      return "Sections not found in .cfg file or .cfg file error!\n";
    case Status::kCantOpenBase:
    case Status::kBaseLocked:
    case Status::kUnusableName:
      return "Can't open file .ndx or .pdt!\n";
    case Status::kReadError:
      return "Read error!\n";
    case Status::kTooManyInBase:
      return "Too many programs in .ndx file!\n";
    case Status::kDamagedBase:
      return "Damaged .ndx or .pdt file!\n";
    case Status::kTooManyInGuide:
      return "Too many programs for new base!\n";
    case Status::kWrongTimeshift:
      return "Wrong timeshift in .cfg file!\n";
    case Status::kCantOpenOutput:
      return "Can't open file .ndx or .pdt or .log!\n";
    case Status::kWriteError:
      return "Write error!\n";
    case Status::kGuideTooBig:
      return "New base is too big!\n";
    case Status::kCantConvertTime:
      return "Can't convert program time!\n";
    case Status::kOutOfMemory:
      return "Out of memory!\n";
  }
  return "Internal error!\n";
}

std::string StatusText(Status status) {
  std::string text = StatusMessage(status);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

static_assert(kLockWait == std::chrono::seconds(10), "the reason states it");

const char* StatusReason(Status status) {
  switch (status) {
    case Status::kBaseLocked:
      return "other runs kept replacing its base for 10 s";
    case Status::kUnusableName:
      return "its name holds a zero byte, or on Windows a dot or space ending a part or a colon, "
             "which the system would cut short or read as another file";
    default:
      return "";
  }
}
