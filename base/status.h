// The outcome of every step of a composition. The library returns these; only
// the entry point prints their messages and ends the process.
#ifndef SKEDCOMP_BASE_STATUS_H_
#define SKEDCOMP_BASE_STATUS_H_

#include <string>

enum class Status {
  kOk,
  kNoSections,
  kCantOpenBase,
  kReadError,
  kTooManyInBase,
  kDamagedBase,
  kTooManyInGuide,
  kWrongTimeshift,
  kCantOpenOutput,
  kWriteError,
  kGuideTooBig,
  kCantConvertTime,
  kOutOfMemory,
  // Shown as kCantOpenBase is; the reason says more.
  kBaseLocked,    // writers kept changing the base for the whole wait
  kUnusableName,  // a name the system would cut short or read otherwise
};

// The message printed for a failure, ending in a newline; "Ok\n" for kOk.
const char* StatusMessage(Status status);

// What a failure means, for a person, and where it stands: whether it
// concerns a section (its base or keys), the composition file, or the
// guide's files. Fixed text, so that it can be told when memory ran out.
enum class FailurePlace { kCompositionFile, kSection, kGuide };
struct FailureReason {
  FailurePlace place;
  const char* text;  // no line end
};
FailureReason ExplainFailure(Status status);

// Why a base could not be read, where the message alone does not say:
// "other runs kept replacing its base for 10 s"; "" for the other statuses.
const char* StatusReason(Status status);

// The same without its line feed, to stand inside other text.
std::string StatusText(Status status);

#endif  // SKEDCOMP_BASE_STATUS_H_
